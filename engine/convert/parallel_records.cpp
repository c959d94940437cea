// Record conversion on several threads. Each record is converted with a
// file handle of its own into a report that collects its messages; the
// run's report shows them in record order, so the protocol of a run is the
// one a single thread would give.
#include <array>
#include <optional>
#include <thread>

#include "convert/base_name.h"
#include "convert/drivers.h"
#include "orvane/byte_order.h"
#include "orvane/ordered_runner.h"
#include "orvane/pulse_file.h"
#include "run/byte_progress.h"
#include "text/header_lines.h"
#include "text/text_line_reader.h"

namespace orvane {

namespace {

// Records a run's threads keep in flight ahead of the one being reported.
constexpr size_t kWindow = 16;

// The records of a file in table order, T, R, then I: one run of threads
// converts them all, as starting threads for each kind cost more than
// converting a few records.
class RecordSpans {
 public:
  struct Span {
    const RecordDescription& kind;
    uint64_t first;  // table entry of its first record
    uint32_t count;
  };

  explicit RecordSpans(const PulseFileHeader& header)
      : spans_{{{format::kTRecord, 0, header.TCount()},
                {format::kRRecord, header.TCount(), header.RCount()},
                {format::kIRecord, uint64_t{header.TCount()} + header.RCount(), header.ICount()}}} {}

  uint64_t Total() const { return spans_[2].first + spans_[2].count; }
  const std::array<Span, 3>& All() const { return spans_; }

  // The span of table entry index, and the record's number within it.
  std::pair<const Span*, uint32_t> Locate(uint64_t index) const {
    const Span* span = &spans_[0];
    while (index >= span->first + span->count) ++span;
    return {span, static_cast<uint32_t>(index - span->first)};
  }

  // Calls step once for every kind from the stepped-th on whose records all
  // lie before entry `done` (a kind without records is done at once);
  // answers how many kinds are done now. A run steps the progress once for
  // every kind, after its last record.
  template <typename Step>
  size_t StepThrough(size_t stepped, uint64_t done, Step step) const {
    for (; stepped < spans_.size() && spans_[stepped].first + spans_[stepped].count <= done; ++stepped)
      step();
    return stepped;
  }

 private:
  std::array<Span, 3> spans_;
};

}  // namespace

unsigned DefaultThreadCount() {
  // Asked once: the system reads a file to answer.
  static const unsigned count = [] {
    unsigned cores = std::thread::hardware_concurrency();
    return cores == 0 ? 1 : std::min(cores, 8u);
  }();
  return count;
}

unsigned ExportThreadsFor(unsigned requested, uint64_t fileBytes) {
  // About a tenth of a millisecond of converting on one thread: a file of
  // records of a few hundred samples each goes faster on the thread it
  // started on than with a hand-off of each record.
  constexpr uint64_t kBytesWorthThreads = 64 * 1024;
  if (requested != 0) return requested;
  return fileBytes < kBytesWorthThreads ? 1 : DefaultThreadCount();
}

void ExportRecordsInParallel(const RecordRun& run, const std::string& spf, const PulseFileHeader& header,
                             unsigned threads, RunReport& report) {
  const RecordSpans spans(header);
  // A record's messages, and what its text cannot carry.
  struct RecordNotes {
    std::vector<ExportWarning> warnings;
    std::vector<Outcome> messages;
  };
  const auto notes = [](RunReport& record) {
    return RecordNotes{record.TakeWarnings(), record.TakeMessages()};
  };
  OrderedRunner<RecordNotes> runner(threads, kWindow);
  const auto step = [&report] { report.StepProgress(); };
  size_t stepped = spans.StepThrough(0, 0, step);
  runner.Run(
      spans.Total(),
      [&](uint64_t index) {
        const auto [span, n] = spans.Locate(index);
        RunReport record;
        if (run.progress != nullptr && run.progress->StopRequested()) return notes(record);
        record.SetSubject(spf);
        auto binary = io::File::Open(spf, io::File::Mode::Read);
        if (!binary) {
          record.ReportStatus(Failure::CantOpenForReading, spf.c_str());
        } else if (!binary->Seek(format::EntryPosition(index))) {
          record.ReportStatus(Failure::BinarySeekError);
        } else {
          ExportRecord(span->kind, run, *binary, n, record);
        }
        return notes(record);
      },
      [&](uint64_t index, RecordNotes& record) {
        for (ExportWarning& warning : record.warnings) report.Warn(std::move(warning));
        for (const Outcome& message : record.messages) report.Report(message);
        if (report.CheckStop()) return false;
        stepped = spans.StepThrough(stepped, index + 1, step);
        return true;
      });
}

}  // namespace orvane

namespace orvane {

namespace {

// Most records an import plans ahead; beyond it records go one by one.
constexpr uint64_t kMaxPlannedRecords = 1 << 16;

// What the import of one record on a worker reported, shown in record order.
struct RecordMessages {
  std::vector<TextDiagnostic> diagnostics;
  std::vector<Outcome> messages;
};

RecordMessages TakeAll(RunReport& record) { return {record.TakeDiagnostics(), record.TakeMessages()}; }

// Bytes the import of a record text file will write, from its header lines;
// nothing when its header cannot be read.
std::optional<uint64_t> PlannedRecordBytes(const RecordDescription& kind, const std::string& baseName,
                                           uint32_t n, bool labelled) {
  auto text = io::File::Open(RecordTextName(kind, baseName, n), io::File::Mode::Read);
  if (!text) return std::nullopt;
  uint8_t header[format::kLargestRecordHeader] = {};
  char line[kTextLineChars + 1];
  for (const FieldDescription& field : kind.header.fields) {
    if (ReadLineOfText(text.get(), line) != LineStatus::Delivered ||
        !ReadHeaderLine(line, field, header, labelled))
      return std::nullopt;
    if (field.offset == kind.sizeOffset) break;
  }
  return kind.RecordBytes(static_cast<uint64_t>(std::max<int64_t>(kind.ImportCount(header), 0)));
}

}  // namespace

std::optional<bool> ImportRecordsInParallel(const RecordRun& run, const std::string& spf,
                                            io::ReplacementFile& output, const PulseFileHeader& header,
                                            unsigned threads, RunReport& report) {
  const RecordSpans spans(header);
  if (header.EntryCount() > kMaxPlannedRecords) return std::nullopt;

  // Plan every record's place; any doubt leaves the import to one thread,
  // which reports exactly where a text file goes wrong.
  std::vector<uint64_t> offsets;
  uint64_t position = header.TableEnd();
  for (const auto& span : spans.All()) {
    for (uint32_t n = 0; n < span.count; ++n) {
      auto bytes = PlannedRecordBytes(span.kind, run.baseName, n, run.labelled);
      if (!bytes || position >= format::kOffsetLimit) return std::nullopt;
      offsets.push_back(position);
      position += *bytes;
    }
  }

  const size_t records = offsets.size();
  offsets.push_back(position);  // where the records end
  io::File& binary = output.Stream();
  std::vector<uint8_t> table(records * format::kOffsetEntrySize);
  for (size_t i = 0; i < records; ++i)
    StoreU32(&table[i * format::kOffsetEntrySize], static_cast<uint32_t>(offsets[i]));
  if (!binary.Seek(format::kTableStart)) {
    report.ReportSeekFailure(binary, spf);
    return false;
  }
  if (!binary.Write(table.data(), table.size()) || !binary.Flush()) {
    report.ReportStatus(Failure::BinaryWriteErrorOn, spf.c_str());
    return false;
  }

  OrderedRunner<RecordMessages> runner(threads, kWindow);
  const auto step = [&report] { report.StepProgress(); };
  size_t stepped = spans.StepThrough(0, 0, step);
  const bool accepted = runner.Run(
      spans.Total(),
      [&](uint64_t index) {
        const auto [span, n] = spans.Locate(index);
        RunReport record;
        if (run.progress != nullptr && run.progress->StopRequested()) return TakeAll(record);
        record.SetSubject(spf);
        auto file = io::File::Open(output.TemporaryPath(), io::File::Mode::Update);
        if (!file) {
          record.ReportStatus(Failure::CantOpenForWriting, spf.c_str());
        } else if (!file->Seek(offsets[index])) {
          record.ReportStatus(Failure::BinarySeekErrorOn, spf.c_str());
        } else if (ImportRecord(span->kind, run, file.get(), n, record) &&
                   (file->Tell() != offsets[index + 1] || !file->Close())) {
          // A text file that changed since its place was planned would
          // overwrite the next record: that is a failed write too.
          record.ReportStatus(Failure::BinaryWriteErrorOn, spf.c_str());
        }
        return TakeAll(record);
      },
      [&](uint64_t index, RecordMessages& messages) {
        for (TextDiagnostic& diagnostic : messages.diagnostics) report.Diagnose(std::move(diagnostic));
        for (const Outcome& message : messages.messages) report.Report(message);
        if (report.Failed() || report.CheckStop()) return false;
        stepped = spans.StepThrough(stepped, index + 1, step);
        return true;
      });
  if (!accepted) return false;
  if (!binary.SeekEnd() || binary.Tell() != position) {
    report.ReportStatus(Failure::BinaryWriteErrorOn, spf.c_str());
    return false;
  }
  return true;
}

}  // namespace orvane
