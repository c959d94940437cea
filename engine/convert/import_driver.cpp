// Convert from ASCII: reads the header text file, builds a new pulse file
// from the record text files under a temporary name, seals it and puts it in
// place only when every step succeeded.
#include <cstdio>
#include <vector>

#include "run/byte_progress.h"
#include "text/header_layout.h"
#include "orvane/byte_order.h"
#include "orvane/pulse_file.h"
#include "convert/pulse_converter.h"
#include "convert/text_source.h"

namespace orvane {

namespace {
constexpr uint64_t kLargeTable = uint64_t{1} << 20;
}

// Reads the 23 lines of the header text file into header. False when the
// run must stop; the failure has been reported.
bool CPulseFileConverter::ReadHeaderText(TextSource& pfh, PulseFileHeader& header) {
  const bool labelled = m_bHeaders != 0;
  const auto& fields = kPulseFileHeaderLayout.fields;
  pfh.lineNumber = 1;
  LineStatus first = ReadTextLine(pfh.name, pfh.file.get(), pfh.line);
  if (first == LineStatus::ReadError) return false;
  if (!ReadHeaderLine(pfh.line, fields[0], header.bytes.data(), labelled)) {
    ReportStatus(Failure::AsciiReadError, pfh.name.c_str());
    return false;
  }
  if (header.Magic() != format::kMagic) {
    ReportStatus(Failure::InvalidMagicNumber);
    return false;
  }
  if (!labelled) StepProgress();
  for (size_t i = 1; i < fields.size(); ++i) {
    if (!NextLine(pfh)) return false;
    if (!ReadHeaderLine(pfh.line, fields[i], header.bytes.data(), labelled)) {
      ReportStatus(Failure::AsciiReadErrorAtLine, pfh.name.c_str(), pfh.lineNumber);
      return false;
    }
  }
  return true;
}

// Steps 9 of an import: enters each record's position into the table and
// appends the record. False at the first failure.
bool CPulseFileConverter::ImportRecords(const std::string& baseName, const std::string& spf, io::File& binary,
                                        const PulseFileHeader& header) {
  using Importer = int (CPulseFileConverter::*)(std::string, io::File&, uint32_t);
  const std::pair<uint32_t, Importer> kinds[] = {
      {header.TCount(), &CPulseFileConverter::ImportTRecord},
      {header.RCount(), &CPulseFileConverter::ImportRRecord},
      {header.ICount(), &CPulseFileConverter::ImportIRecord},
  };
  uint64_t tablePos = format::kTableStart;
  for (const auto& [count, importer] : kinds) {
    for (uint32_t n = 0; n < count; ++n) {
      const uint64_t recPos = binary.Tell();
      if (recPos >= format::kOffsetLimit) {
        ReportStatus(Failure::FileTooLarge, spf.c_str());
        return false;
      }
      uint8_t entry[format::kOffsetEntrySize];
      StoreU32(entry, static_cast<uint32_t>(recPos));
      if (!binary.Seek(tablePos)) {
        ReportSeekFailure(binary, spf);
        return false;
      }
      if (!binary.Write(entry, sizeof entry)) {
        ReportStatus(Failure::BinaryWriteErrorOn, spf.c_str());
        return false;
      }
      tablePos += format::kOffsetEntrySize;
      if (!binary.Seek(recPos)) {
        ReportSeekFailure(binary, spf);
        return false;
      }
      (this->*importer)(baseName, binary, n);
      if (m_bRunFailed) return false;
    }
    StepProgress();
  }
  return true;
}

void CPulseFileConverter::ImportFromAscii(std::string baseName) {
  BeginRun();
  const std::string spf = OutputName(baseName, ".spf");
  TextSource pfh;
  pfh.name = baseName + ".pfh";
  pfh.file = io::File::Open(pfh.name, io::File::Mode::Read);
  if (!pfh.file) {
    ReportStatus(Failure::CantOpenForReading, pfh.name.c_str());
    return;
  }
  auto output = io::ReplacementFile::Create(spf);
  if (!output) {
    ReportStatus(Failure::CantOpenForWriting, spf.c_str());
    return;
  }
  io::File& binary = output->Stream();
  StepProgress();

  PulseFileHeader header;
  if (!ReadHeaderText(pfh, header)) return;
  const uint64_t entries = header.EntryCount();
  if (entries >= format::kOffsetLimit || header.TableEnd() > format::kOffsetLimit) {
    ReportStatus(Failure::InvalidRecordCount);
    return;
  }
  const uint64_t headerBytes = pfh.file->Size();
  m_byteProgress = std::make_shared<ByteProgress>(m_reporter, headerBytes + RecordTextBytes(baseName, header),
                                                  headerBytes);
  if (!binary.Write(header.bytes.data(), header.bytes.size())) {
    ReportStatus(Failure::BinaryWriteErrorOn, spf.c_str());
    return;
  }
  StepProgress();

  // The offset table is reserved as zeros and filled in record by record.
  // A large table is left as a hole that reads as zeros: a header text with
  // absurd counts must not cost gigabytes of writing before its first
  // missing record file stops the run.
  const uint64_t tableBytes = entries * format::kOffsetEntrySize;
  std::vector<uint8_t> zeros(std::min<uint64_t>(tableBytes, kLargeTable), 0);
  bool reserved =
      tableBytes > kLargeTable ? binary.Seek(header.TableEnd()) : binary.Write(zeros.data(), zeros.size());
  if (!reserved) {
    ReportStatus(Failure::BinaryWriteErrorOn, spf.c_str());
    return;
  }
  StepProgress();

  std::optional<bool> parallel;
  if (m_nThreads > 1 && entries > 1) parallel = ImportRecordsInParallel(baseName, spf, *output, header);
  if (parallel ? !*parallel : !ImportRecords(baseName, spf, binary, header)) return;
  if (!AppendSealWord(spf, binary)) return;
  if (!output->Commit(true)) {
    ReportStatus(Failure::BinaryWriteErrorOn, spf.c_str());
    return;
  }
  ReportCompletion();
}

}  // namespace orvane
