// Convert to ASCII: checks a pulse file, writes its header text file and has
// the record converters write one text file per record.
#include <cstdio>

#include "convert/base_name.h"
#include "convert/drivers.h"
#include "convert/export_losses.h"
#include "format/checksum.h"
#include "format/structure_check.h"
#include "io/temporary_files.h"
#include "orvane/pulse_file.h"
#include "run/byte_progress.h"
#include "text/header_lines.h"
#include "text/text_writer.h"

namespace orvane {

namespace {

// The files an export writes, in the order a run reports them.
void NoteTextFiles(const RecordRun& run, const std::string& pfh, const PulseFileHeader& header,
                   RunReport& report) {
  report.NoteWritten(pfh);
  const uint32_t counts[] = {header.TCount(), header.RCount(), header.ICount()};
  for (RecordType type : {RecordType::T, RecordType::R, RecordType::I})
    for (uint32_t n = 0; n < counts[static_cast<size_t>(type)]; ++n)
      report.NoteWritten(
          OutputName(run.outputDir, run.baseName, RecordTextName(DescribeRecord(type), "", n)));
}

// Steps 3 to 7 of an export: header, magic number, counts, checksum. True
// when the run may go on, with the pulse file at the offset table.
bool ExportHeaderPhase(const std::string& spf, io::File& binary, PulseFileHeader& header, RunReport& report) {
  report.StepProgress();
  if (!binary.ReadExact(header.bytes.data(), header.bytes.size())) {
    report.ReportStatus(Failure::BinaryReadErrorOn, spf.c_str());
    return false;
  }
  if (header.Magic() != format::kMagic) {
    report.ReportStatus(Failure::InvalidMagicNumber);
    return false;
  }
  // The table of offsets must fit in the file: counts beyond that would
  // send the record loops through billions of failing reads.
  if (Failure table = CheckOffsetTable(header, binary.Size()); table != Failure::None) {
    report.ReportStatus(table);
    return false;
  }
  report.StepProgress();
  ChecksumPass pass = SumFileWords(binary);
  if (pass.readError) {
    report.ReportStatus(Failure::SealReadError, spf.c_str());
    return false;
  }
  if (pass.sum != 0) {
    report.ReportStatus(Failure::ChecksumError, static_cast<unsigned>(pass.sum));
    return false;
  }
  if (!binary.Seek(format::kTableStart)) {
    report.ReportStatus(Failure::SeekError, spf.c_str());
    return false;
  }
  report.StepProgress(2);
  return true;
}

// The end of an export: its staged text files in place after a run
// without failures, removed after any other.
void PutStagedFilesInPlace(StagedFiles& staged, RunReport& report) {
  // An interruption waits until every file is in place or none is.
  temporary::CriticalSection renames;
  if (report.Failed() || report.CheckStop()) {
    staged.DiscardAll();
  } else if (auto failed = staged.PutAllInPlace()) {
    report.ReportStatus(Failure::AsciiWriteError, failed->c_str());
  }
}

}  // namespace

void ExportToAscii(const ConversionRequest& request, const std::string& baseName, RunReport& report) {
  const std::string spf = baseName + ".spf";
  const std::string pfh = OutputName(request.outputDir, baseName, ".pfh");
  report.SetSubject(spf);
  auto binary = io::File::Open(spf, io::File::Mode::Read, io::File::Lock::Shared);
  if (!binary) {
    report.ReportStatus(Failure::CantOpenForReading, spf.c_str());
    return;
  }
  // Staged files not put in place are removed when the run ends, whichever
  // way it ends.
  std::optional<StagedFiles> staged;
  if (!request.keepPartial) staged.emplace();
  RecordRun run{baseName, request.labelled, request.outputDir, staged ? &*staged : nullptr,
                nullptr,  request.exact};
  auto text = TextWriter::Create(pfh, run.staged);
  if (!text) {
    report.ReportStatus(Failure::CantOpenForWriting, pfh.c_str());
    return;
  }
  PulseFileHeader header;
  if (!ExportHeaderPhase(spf, *binary, header, report)) return;
  // The header and the offset table are read once they are checked.
  std::optional<ByteProgress> progress;
  if (report.Reporter())
    run.progress = &progress.emplace(*report.Reporter(), binary->Size(), header.TableEnd(), report.Stop());

  const bool labelled = request.labelled;
  for (const FieldDescription& field : format::kFileHeader.fields) {
    char* end = text->Reserve();
    text->Advance(AppendHeaderLine(end, field, header.bytes.data(), labelled, request.exact));
  }
  WarnOfHeaderLosses(format::kFileHeader, header.bytes.data(), request.exact, pfh, report);
  if (!text->Finish()) {
    report.ReportStatus(Failure::AsciiWriteError, pfh.c_str());
    return;
  }
  report.StepProgress();

  const unsigned threads = ExportThreadsFor(request.threads, binary->Size());
  if (threads > 1 && header.EntryCount() > 1) {
    binary.reset();
    ExportRecordsInParallel(run, spf, header, threads, report);
  } else {
    for (uint32_t n = 0; n < header.TCount() && !report.CheckStop(); ++n)
      ExportTRecord(run, *binary, n, report);
    report.StepProgress();
    for (uint32_t n = 0; n < header.RCount() && !report.CheckStop(); ++n)
      ExportRRecord(run, *binary, n, report);
    report.StepProgress();
    for (uint32_t n = 0; n < header.ICount() && !report.CheckStop(); ++n)
      ExportIRecord(run, *binary, n, report);
    report.StepProgress();
  }
  if (staged) PutStagedFilesInPlace(*staged, report);
  if (!report.Failed()) NoteTextFiles(run, pfh, header, report);
  report.ReportCompletion();
}

}  // namespace orvane
