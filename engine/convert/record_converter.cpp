// The record converter shared by the three record kinds: everything that
// tells them apart comes from their description.
#include "convert/record_converter.h"

#include <array>
#include <cstdio>
#include <vector>

#include "convert/base_name.h"
#include "convert/export_losses.h"
#include "convert/text_source.h"
#include "orvane/byte_order.h"
#include "orvane/pulse_file.h"
#include "run/byte_progress.h"
#include "text/canonical_lines.h"
#include "text/header_lines.h"
#include "text/sample_lines.h"
#include "text/text_writer.h"

namespace orvane {

namespace {

constexpr size_t kMaxRecordHeader = format::kLargestRecordHeader;

void WriteHeaderLines(TextWriter& out, const HeaderDescription& header, const uint8_t* bytes, bool labelled,
                      bool exact) {
  for (const FieldDescription& field : header.fields) {
    char* end = out.Reserve();
    out.Advance(AppendHeaderLine(end, field, bytes, labelled, exact));
  }
}
// Lines a canonical run takes at most: 64 KiB of samples.
constexpr size_t kMaxRunLines = 4096;

// Takes up to maxLines value lines of the export's shape from the text and
// writes their samples: the lines taken, or -1 when a write failed.
int64_t TakeCanonicalRun(SampleType form, bool labelled, TextSource& text, io::File& binary, int64_t maxLines,
                         std::vector<uint8_t>& samples) {
  int64_t taken = 0;
  while (taken < maxLines) {
    auto [data, size] = text.file->Peek();
    const size_t want = static_cast<size_t>(std::min<int64_t>(maxLines - taken, kMaxRunLines));
    if (samples.size() < want * 16) samples.resize(want * 16);
    const CanonicalRun run = TakeCanonicalLines(form, labelled, data, size, want, samples.data());
    if (run.lines == 0) break;
    text.file->Consume(run.bytes);
    text.lineNumber += static_cast<unsigned>(run.lines);
    taken += static_cast<int64_t>(run.lines);
    if (!binary.Write(samples.data(),
                      run.lines * static_cast<size_t>(SamplesPerLine(form) * SampleBytes(form))))
      return -1;
  }
  return taken;
}

}  // namespace

void ExportRecord(const RecordDescription& kind, const RecordRun& run, io::File& binary, uint32_t n,
                  RunReport& report) {
  const std::string name = OutputName(run.outputDir, run.baseName, RecordTextName(kind, "", n));
  const bool labelled = run.labelled;
  auto out = TextWriter::Create(name, run.staged);
  if (!out) {
    report.ReportStatus(Failure::CantOpenForWriting, name.c_str());
    binary.Seek(binary.Tell() + format::kOffsetEntrySize);  // the entry is taken all the same
    return;
  }
  uint8_t entry[format::kOffsetEntrySize];
  if (!binary.ReadExact(entry, sizeof entry)) {
    report.ReportStatus(Failure::BinaryReadError);
    out->Abandon();
    return;
  }
  const uint64_t nextEntry = binary.Tell();
  std::array<uint8_t, kMaxRecordHeader> header{};
  bool wroteLines = false;
  if (!binary.Seek(LoadU32(entry))) {
    report.ReportStatus(Failure::BinarySeekError);
  } else if (!binary.ReadExact(header.data(), kind.header.size)) {
    report.ReportStatus(Failure::BinaryReadError);
  } else {
    const uint64_t start = LoadU32(entry);
    const uint64_t count = kind.DeclaredSamples(header.data());
    ReadCredit credit(run.progress, binary, start, start + kind.header.size + count * kind.sampleBytes);
    WriteHeaderLines(*out, kind.header, header.data(), labelled, run.exact);
    WarnOfHeaderLosses(kind.header, header.data(), run.exact, name, report);
    RealSampleLosses losses;
    if (!ExportSamples(kind.sample, binary, count, labelled, *out, run.exact, &losses))
      report.ReportStatus(Failure::BinaryReadError);
    WarnOfSampleLosses(losses, count, name, report);
    out->Append("\n", 1);
    wroteLines = true;
  }
  if (!binary.Seek(nextEntry)) report.ReportStatus(Failure::BinarySeekError);
  // A record that failed before its first line leaves an existing text file
  // as it was; one that failed part-way is finished with what it got (put
  // in place only when the run keeps partial results: otherwise the failed
  // run drops every staged file).
  if (!wroteLines) {
    out->Abandon();
  } else if (!out->Finish()) {
    report.ReportStatus(Failure::AsciiWriteError, name.c_str());
  }
}

bool ImportRecord(const RecordDescription& kind, const RecordRun& run, io::File& binary, uint32_t n,
                  RunReport& report) {
  TextSource text;
  text.name = RecordTextName(kind, run.baseName, n);
  text.file = io::File::Open(text.name, io::File::Mode::Read);
  if (!text.file) {
    report.ReportStatus(Failure::CantOpenForReading, text.name.c_str());
    return false;
  }
  ReadCredit credit(run.progress, *text.file, 0, text.file->Size());
  const bool labelled = run.labelled;
  std::array<uint8_t, kMaxRecordHeader> header{};
  for (const FieldDescription& field : kind.header.fields) {
    if (!NextLine(text, report)) return false;
    if (!ReadHeaderLine(text.line, field, header.data(), labelled)) {
      report.ReportStatus(Failure::AsciiReadErrorAtLine, text.name.c_str(), text.lineNumber);
      return false;
    }
  }
  if (!binary.Write(header.data(), kind.header.size)) {
    report.ReportStatus(Failure::BinaryWriteError);
    return false;
  }
  const int perLine = kind.samplesPerLine;
  const int64_t count = kind.ImportCount(header.data());
  std::vector<uint8_t> canonical;
  for (int64_t remaining = count; remaining > 0; remaining -= perLine) {
    if (remaining >= perLine) {
      // Lines of the export's own shape are read in runs, straight from the
      // buffered text; whatever line ends a run takes the line reader.
      const int64_t lines =
          TakeCanonicalRun(kind.sample, labelled, text, binary, remaining / perLine, canonical);
      if (lines < 0) {
        report.ReportStatus(Failure::BinaryWriteError);
        return false;
      }
      remaining -= lines * perLine;
      if (remaining <= 0) break;
    }
    const int needed = static_cast<int>(std::min<int64_t>(remaining, perLine));
    if (!NextLine(text, report)) return false;
    uint8_t bytes[16];
    bool scanned;
    if (kind.sample == SampleType::Int16) {
      int16_t values[8] = {};
      scanned = ScanWordLine(text.line, labelled, needed, values);
      for (int k = 0; k < needed; ++k) StoreU16(bytes + 2 * k, static_cast<uint16_t>(values[k]));
    } else {
      float values[4] = {};
      scanned = ScanRealLine(text.line, labelled, needed, values);
      for (int k = 0; k < needed; ++k) StoreF32(bytes + 4 * k, values[k]);
    }
    if (!scanned) {
      report.ReportStatus(Failure::AsciiReadErrorAtLine, text.name.c_str(), text.lineNumber);
      return false;
    }
    if (!binary.Write(bytes, static_cast<size_t>(needed * kind.sampleBytes))) {
      report.ReportStatus(Failure::BinaryWriteError);
      return false;
    }
  }
  if (kind.padOddCount && count > 0 && count % 2 == 1) {
    const uint8_t pad[2] = {0, 0};
    if (!binary.Write(pad, 2)) {
      report.ReportStatus(Failure::BinaryWriteError);
      return false;
    }
  }
  return true;
}

}  // namespace orvane
