// Convert from ASCII: reads the header text file, builds a new pulse file
// from the record text files under a temporary name, seals it and puts it in
// place only when every step succeeded.
#include <array>
#include <cstdio>
#include <utility>
#include <vector>

#include <sys/stat.h>

#include "convert/base_name.h"
#include "convert/drivers.h"
#include "convert/text_source.h"
#include "io/file_system.h"
#include "io/temporary_files.h"
#include "orvane/byte_order.h"
#include "orvane/pulse_file.h"
#include "run/byte_progress.h"
#include "text/header_lines.h"

namespace orvane {

namespace {

constexpr uint64_t kLargeTable = uint64_t{1} << 20;

// The record kinds in table order with their counts in header.
std::array<std::pair<const RecordDescription*, uint32_t>, 3> RecordCounts(const PulseFileHeader& header) {
  return {{{&format::kTRecord, header.TCount()},
           {&format::kRRecord, header.RCount()},
           {&format::kIRecord, header.ICount()}}};
}

// Bytes of the record text files an import will read, for its progress:
// 0 when there are too many to count.
uint64_t RecordTextBytes(const std::string& baseName, const PulseFileHeader& header) {
  constexpr uint64_t kMostFiles = 1 << 16;
  if (header.EntryCount() > kMostFiles) return 0;
  uint64_t total = 0;
  for (const auto& [kind, count] : RecordCounts(header)) {
    for (uint32_t n = 0; n < count; ++n) {
      // Through the file layer's file system, as the import reads them. The
      // import fails at the first missing text, so the count stops there
      // too: a header that declares thousands of records costs nothing.
      struct stat st;
      if (io::CurrentFileSystem().Stat(RecordTextName(*kind, baseName, n), &st) != 0) break;
      total += static_cast<uint64_t>(st.st_size);
    }
  }
  return total;
}

// Enters the position of the next record, the file's end, into its table
// entry and leaves the file there. False when the run must stop.
bool EnterTableEntry(io::File& binary, uint64_t& tablePos, const std::string& spf, RunReport& report) {
  const uint64_t recPos = binary.Tell();
  if (recPos >= format::kOffsetLimit) {
    report.ReportStatus(Failure::FileTooLarge, spf.c_str());
    return false;
  }
  uint8_t entry[format::kOffsetEntrySize];
  StoreU32(entry, static_cast<uint32_t>(recPos));
  if (!binary.Seek(tablePos)) {
    report.ReportSeekFailure(binary, spf);
    return false;
  }
  if (!binary.Write(entry, sizeof entry)) {
    report.ReportStatus(Failure::BinaryWriteErrorOn, spf.c_str());
    return false;
  }
  tablePos += format::kOffsetEntrySize;
  if (!binary.Seek(recPos)) {
    report.ReportSeekFailure(binary, spf);
    return false;
  }
  return true;
}

// Step 9 of an import: enters each record's position into the table and
// appends the record. False at the first failure.
bool ImportRecords(const RecordRun& run, const std::string& spf, io::File& binary,
                   const PulseFileHeader& header, RunReport& report) {
  uint64_t tablePos = format::kTableStart;
  // A record's result is not used: a record that failed has reported it,
  // which stops the run; an R record cut short by a short value line ends
  // silently, and the run goes on.
  const auto importOne = [&](auto importer, uint32_t n) {
    if (report.CheckStop() || !EnterTableEntry(binary, tablePos, spf, report)) return false;
    importer(run, binary, n, report);
    return !report.Failed();
  };
  for (uint32_t n = 0; n < header.TCount(); ++n)
    if (!importOne(ImportTRecord, n)) return false;
  report.StepProgress();
  for (uint32_t n = 0; n < header.RCount(); ++n)
    if (!importOne(ImportRRecord, n)) return false;
  report.StepProgress();
  for (uint32_t n = 0; n < header.ICount(); ++n)
    if (!importOne(ImportIRecord, n)) return false;
  report.StepProgress();
  return true;
}

}  // namespace

void ImportFromAscii(const ConversionRequest& request, const std::string& baseName, RunReport& report) {
  const std::string spf = OutputName(request.outputDir, baseName, ".spf");
  report.SetSubject(spf);
  if (request.strict && !TextIsExact(request, baseName, report)) return;
  TextSource pfh;
  if (!OpenHeaderText(baseName, pfh, report)) return;
  auto output = io::ReplacementFile::Create(spf);
  if (!output) {
    report.ReportStatus(Failure::CantOpenForWriting, spf.c_str());
    return;
  }
  io::File& binary = output->Stream();
  report.StepProgress();

  PulseFileHeader header;
  if (!ReadHeaderText(pfh, header, request.labelled, report)) return;
  const uint64_t entries = header.EntryCount();
  if (entries >= format::kOffsetLimit || header.TableEnd() > format::kOffsetLimit) {
    report.ReportStatus(Failure::InvalidRecordCount);
    return;
  }
  const uint64_t headerBytes = pfh.file->Size();
  RecordRun run{baseName, request.labelled, request.outputDir, nullptr, nullptr};
  std::optional<ByteProgress> progress;
  if (report.Reporter())
    run.progress = &progress.emplace(*report.Reporter(), headerBytes + RecordTextBytes(baseName, header),
                                     headerBytes, report.Stop());
  if (!binary.Write(header.bytes.data(), header.bytes.size())) {
    report.ReportStatus(Failure::BinaryWriteErrorOn, spf.c_str());
    return;
  }
  report.StepProgress();

  // The offset table is reserved as zeros and filled in record by record.
  // A large table is left as a hole that reads as zeros: a header text with
  // absurd counts must not cost gigabytes of writing before its first
  // missing record file stops the run.
  const uint64_t tableBytes = entries * format::kOffsetEntrySize;
  std::vector<uint8_t> zeros(std::min<uint64_t>(tableBytes, kLargeTable), 0);
  bool reserved =
      tableBytes > kLargeTable ? binary.Seek(header.TableEnd()) : binary.Write(zeros.data(), zeros.size());
  if (!reserved) {
    report.ReportStatus(Failure::BinaryWriteErrorOn, spf.c_str());
    return;
  }
  report.StepProgress();

  const unsigned threads = request.threads != 0 ? request.threads : DefaultThreadCount();
  std::optional<bool> parallel;
  if (threads > 1 && entries > 1)
    parallel = ImportRecordsInParallel(run, spf, *output, header, threads, report);
  if (parallel ? !*parallel : !ImportRecords(run, spf, binary, header, report)) return;
  if (!AppendSealWord(spf, binary, report)) return;
  if (!output->Complete(true)) {
    report.ReportStatus(Failure::BinaryWriteErrorOn, spf.c_str());
    return;
  }
  {
    // An interruption waits until the new file is in place or removed.
    temporary::CriticalSection rename;
    if (report.CheckStop()) return;
    if (!output->PutInPlace()) {
      report.ReportStatus(Failure::BinaryWriteErrorOn, spf.c_str());
      return;
    }
  }
  report.NoteWritten(spf);
  report.ReportCompletion();
}

}  // namespace orvane
