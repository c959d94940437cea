// Convert to ASCII: checks a pulse file, writes its header text file and has
// the record converters write one text file per record.
#include <cstdio>

#include "run/byte_progress.h"
#include "format/checksum.h"
#include "text/header_layout.h"
#include "orvane/pulse_file.h"
#include "convert/pulse_converter.h"
#include "format/structure_check.h"
#include "io/temporary_files.h"
#include "text/text_writer.h"

namespace orvane {

// Steps 3 to 7 of an export: header, magic number, counts, checksum. True
// when the run may go on, with the pulse file at the offset table.
bool CPulseFileConverter::ExportHeaderPhase(const std::string& spf, io::File& binary,
                                            PulseFileHeader& header) {
  StepProgress();
  if (!binary.ReadExact(header.bytes.data(), header.bytes.size())) {
    ReportStatus(Failure::BinaryReadErrorOn, spf.c_str());
    return false;
  }
  if (header.Magic() != format::kMagic) {
    ReportStatus(Failure::InvalidMagicNumber);
    return false;
  }
  // The table of offsets must fit in the file: counts beyond that would
  // send the record loops through billions of failing reads.
  if (Failure table = CheckOffsetTable(header, binary.Size()); table != Failure::None) {
    ReportStatus(table);
    return false;
  }
  StepProgress();
  ChecksumPass pass = SumFileWords(binary);
  if (pass.readError) {
    ReportStatus(Failure::SealReadError, spf.c_str());
    return false;
  }
  if (pass.sum != 0) {
    ReportStatus(Failure::ChecksumError, static_cast<unsigned>(pass.sum));
    return false;
  }
  if (!binary.Seek(format::kTableStart)) {
    ReportStatus(Failure::SeekError, spf.c_str());
    return false;
  }
  StepProgress(2);
  return true;
}

void CPulseFileConverter::ExportToAscii(std::string baseName) {
  BeginRun();
  const std::string spf = baseName + ".spf";
  const std::string pfh = OutputName(baseName, ".pfh");
  auto binary = io::File::Open(spf, io::File::Mode::Read, io::File::Lock::Shared);
  if (!binary) {
    ReportStatus(Failure::CantOpenForReading, spf.c_str());
    return;
  }
  // Staged files not put in place are removed when the run's converter
  // goes, whichever way the run ends.
  if (!m_bKeepPartial) m_staged = std::make_shared<StagedFiles>();
  auto text = TextWriter::Create(pfh, m_staged.get());
  if (!text) {
    ReportStatus(Failure::CantOpenForWriting, pfh.c_str());
    return;
  }
  PulseFileHeader header;
  if (!ExportHeaderPhase(spf, *binary, header)) return;
  // The header and the offset table are read once they are checked.
  m_byteProgress = std::make_shared<ByteProgress>(m_reporter, binary->Size(), header.TableEnd());

  const bool labelled = m_bHeaders != 0;
  for (const HeaderField& field : kPulseFileHeaderLayout.fields) {
    char* end = text->Reserve();
    text->Advance(AppendHeaderLine(end, field, header.bytes.data(), labelled));
  }
  if (!text->Finish()) {
    ReportStatus(Failure::AsciiWriteError, pfh.c_str());
    return;
  }
  StepProgress();

  if (m_nThreads > 1 && header.EntryCount() > 1) {
    binary.reset();
    ExportRecordsInParallel(baseName, spf, header);
  } else {
    for (uint32_t n = 0; n < header.TCount(); ++n) ExportTRecord(baseName, *binary, n);
    StepProgress();
    for (uint32_t n = 0; n < header.RCount(); ++n) ExportRRecord(baseName, *binary, n);
    StepProgress();
    for (uint32_t n = 0; n < header.ICount(); ++n) ExportIRecord(baseName, *binary, n);
    StepProgress();
  }
  PutStagedFilesInPlace();
  ReportCompletion();
}

void CPulseFileConverter::PutStagedFilesInPlace() {
  if (!m_staged) return;
  std::shared_ptr<StagedFiles> staged = std::move(m_staged);
  // An interruption waits until every file is in place or none is.
  temporary::CriticalSection renames;
  if (m_bRunFailed) {
    staged->DiscardAll();
  } else if (auto failed = staged->PutAllInPlace()) {
    ReportStatus(Failure::AsciiWriteError, failed->c_str());
  }
}

}  // namespace orvane
