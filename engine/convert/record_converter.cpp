// The record converter shared by the three record kinds: everything that
// tells them apart comes from their description.
#include "convert/record_converter.h"

#include <array>
#include <cstdio>
#include <cstring>
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

// The lines of a canonical run of reals before the first whose text holds
// a value beyond the floats (read as an infinity, or as zero from digits
// that are not all zero): that line is left to the line reader, which
// stores the same and says so. *bytes: the text those lines take.
size_t LinesWithinFloats(const char* data, size_t lines, const uint8_t* samples, bool labelled,
                         size_t* bytes) {
  bool suspect = false;
  for (size_t i = 0; i < lines * 4; ++i) {
    const uint32_t magnitude = LoadU32(samples + 4 * i) & 0x7FFFFFFF;
    suspect |= magnitude == 0 || magnitude == 0x7F800000;
  }
  if (!suspect) return lines;
  const char* p = data;
  for (size_t j = 0; j < lines; ++j) {
    const char* end = static_cast<const char*>(std::memchr(p, '\n', *bytes - static_cast<size_t>(p - data)));
    const char* fields =
        labelled ? static_cast<const char*>(std::memchr(p, ':', static_cast<size_t>(end - p))) + 3 : p;
    for (size_t k = 0; k < 4; ++k) {
      const uint32_t magnitude = LoadU32(samples + 16 * j + 4 * k) & 0x7FFFFFFF;
      const char* f = fields + 18 * k;  // " d.ddddddde+ddd"
      const bool zeroDigits = f[1] == '0' && std::memcmp(f + 3, "0000000", 7) == 0;
      if (magnitude == 0x7F800000 || (magnitude == 0 && !zeroDigits)) {
        *bytes = static_cast<size_t>(p - data);
        return j;
      }
    }
    p = end + 1;
  }
  return lines;
}

// Takes up to maxLines value lines of the export's shape from the text and
// writes their samples (binary null: only reads them): the lines taken, or
// -1 when a write failed. firstLabel: the label the first line should carry.
int64_t TakeCanonicalRun(SampleType form, bool labelled, TextSource& text, io::File* binary, int64_t maxLines,
                         uint64_t firstLabel, std::vector<uint8_t>& samples) {
  int64_t taken = 0;
  const uint64_t perLine = static_cast<uint64_t>(SamplesPerLine(form));
  while (taken < maxLines) {
    auto [data, size] = text.file->Peek();
    const size_t want = static_cast<size_t>(std::min<int64_t>(maxLines - taken, kMaxRunLines));
    if (samples.size() < want * 16) samples.resize(want * 16);
    CanonicalRun run = TakeCanonicalLines(form, labelled, data, size, want, samples.data(),
                                          firstLabel + static_cast<uint64_t>(taken) * perLine);
    bool cut = false;
    if (form == SampleType::Real32 && run.lines > 0) {
      const size_t within = LinesWithinFloats(data, run.lines, samples.data(), labelled, &run.bytes);
      cut = within < run.lines;
      run.lines = within;
    }
    if (run.lines == 0) break;
    text.file->Consume(run.bytes);
    text.lineNumber += static_cast<unsigned>(run.lines);
    taken += static_cast<int64_t>(run.lines);
    if (binary != nullptr &&
        !binary->Write(samples.data(),
                       run.lines * static_cast<size_t>(SamplesPerLine(form) * SampleBytes(form))))
      return -1;
    if (cut) break;  // the next line goes to the line reader
  }
  return taken;
}

// Reads the header lines of a record text file into header, diagnosing
// each line. False when the record cannot go on; the failure is reported.
bool ReadRecordHeader(const RecordDescription& kind, bool labelled, TextSource& text, uint8_t* header,
                      RunReport& report) {
  LineFindings findings;
  for (const FieldDescription& field : kind.header.fields) {
    if (!NextLine(text, report)) return false;
    const bool matched = ReadHeaderLine(text.line, field, header, labelled);
    // A byte-order mark shifts the first line: that, not its field, is
    // what went wrong there.
    if (!(text.lineNumber == 1 && DiagnoseByteOrderMark(text, report))) {
      FindInHeaderLine(text.line, field, header, labelled, matched, &kind, findings);
      Diagnose(text, field.label, findings, report);
    }
    if (!matched) {
      report.ReportStatus(Failure::AsciiReadErrorAtLine, text.name.c_str(), text.lineNumber);
      return false;
    }
  }
  return true;
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

bool ImportRecord(const RecordDescription& kind, const RecordRun& run, io::File* binary, uint32_t n,
                  RunReport& report) {
  TextSource text;
  text.name = RecordTextName(kind, run.baseName, n);
  text.file = io::File::Open(text.name, io::File::Mode::Read);
  if (!text.file) {
    report.ReportStatus(Failure::CantOpenForReading, text.name.c_str());
    return false;
  }
  const uint64_t textSize = text.file->Size();
  ReadCredit credit(run.progress, *text.file, 0, textSize);
  const bool labelled = run.labelled;
  std::array<uint8_t, kMaxRecordHeader> header{};
  if (!ReadRecordHeader(kind, labelled, text, header.data(), report)) return false;
  if (binary != nullptr && !binary->Write(header.data(), kind.header.size)) {
    report.ReportStatus(Failure::BinaryWriteError);
    return false;
  }
  const int perLine = kind.samplesPerLine;
  const int64_t count = kind.ImportCount(header.data());
  std::vector<uint8_t> canonical;
  LineFindings findings;
  uint64_t label = 0;              // the label the next value line should carry
  uint64_t alternate = kAnyLabel;  // or, after a label out of place, this one
  for (int64_t remaining = count; remaining > 0; remaining -= perLine) {
    if (remaining >= perLine) {
      // Lines of the export's own shape are read in runs, straight from the
      // buffered text; whatever line ends a run takes the line reader.
      const int64_t lines =
          TakeCanonicalRun(kind.sample, labelled, text, binary, remaining / perLine, label, canonical);
      if (lines < 0) {
        report.ReportStatus(Failure::BinaryWriteError);
        return false;
      }
      remaining -= lines * perLine;
      label += static_cast<uint64_t>(lines) * static_cast<uint64_t>(perLine);
      if (remaining <= 0) break;
    }
    const int needed = static_cast<int>(std::min<int64_t>(remaining, perLine));
    if (!NextLine(text, report)) {
      if (text.ended)
        Diagnose(text, text.lineNumber, 1, TextIssue::MissingSamples,
                 "the file ends after " + std::to_string(count - remaining) + " of the " +
                     std::to_string(count) + " samples SIZE asks for",
                 report);
      return false;
    }
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
    const SampleLineRead read{kind.sample, labelled, needed, perLine, label, alternate, count, scanned};
    const uint64_t found = FindInSampleLine(text.line, read, findings);
    // A label out of place is diagnosed once: the lines after it may go on
    // from where it stood (a line removed or added) or from where it
    // should have stood (a line relabelled).
    const uint64_t step = static_cast<uint64_t>(perLine);
    if (found == label || found == alternate) {
      label = found + step;
      alternate = kAnyLabel;
    } else {
      alternate = found + step;
      label += step;
    }
    Diagnose(text, "", findings, report);
    if (!scanned) {
      report.ReportStatus(Failure::AsciiReadErrorAtLine, text.name.c_str(), text.lineNumber);
      return false;
    }
    if (binary != nullptr && !binary->Write(bytes, static_cast<size_t>(needed * kind.sampleBytes))) {
      report.ReportStatus(Failure::BinaryWriteError);
      return false;
    }
  }
  if (binary != nullptr && kind.padOddCount && count > 0 && count % 2 == 1) {
    const uint8_t pad[2] = {0, 0};
    if (!binary->Write(pad, 2)) {
      report.ReportStatus(Failure::BinaryWriteError);
      return false;
    }
  }
  if (const LinesAfterEnd after = ReadLinesAfterEnd(text, textSize); after.count > 0)
    DiagnoseLinesAfterEnd(text, after, "the sample lines of SIZE " + std::to_string(count), report);
  return true;
}

}  // namespace orvane
