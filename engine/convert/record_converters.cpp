// The T, R and I record converters. The three kinds share one export and
// one import routine and differ only in the data of their RecordKind.
#include <array>
#include <cstdio>
#include <vector>

#include "run/byte_progress.h"
#include "text/canonical_lines.h"
#include "text/header_layout.h"
#include "orvane/byte_order.h"
#include "orvane/pulse_file.h"
#include "convert/pulse_converter.h"
#include "convert/record_kind.h"
#include "text/sample_lines.h"
#include "convert/text_source.h"
#include "text/text_writer.h"

namespace orvane {

const RecordKind kTRecord{'T',  kTRecordHeaderLayout, SampleForm::Words, format::t::SIZE, true,
                          true, RecordType::T};
const RecordKind kRRecord{'R',   kRRecordHeaderLayout, SampleForm::Reals, format::r::SIZE, true,
                          false, RecordType::R};
const RecordKind kIRecord{'I',  kIRecordHeaderLayout, SampleForm::Words, format::i::SIZE, false,
                          true, RecordType::I};

namespace {

constexpr size_t kMaxRecordHeader = format::kLargestRecordHeader;

void WriteHeaderLines(TextWriter& out, const HeaderLayout& layout, const uint8_t* header, bool labelled) {
  for (const HeaderField& field : layout.fields) {
    char* end = out.Reserve();
    out.Advance(AppendHeaderLine(end, field, header, labelled));
  }
}

// Lines a canonical run takes at most: 64 KiB of samples.
constexpr size_t kMaxRunLines = 4096;

// Takes up to maxLines value lines of the export's shape from the text and
// writes their samples: the lines taken, or -1 when a write failed.
int64_t TakeCanonicalRun(SampleForm form, bool labelled, TextSource& text, io::File& binary, int64_t maxLines,
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

void CPulseFileConverter::ExportTRecord(std::string baseName, io::File& binaryFile, uint32_t n) {
  ExportRecord(kTRecord, baseName, binaryFile, n);
}
void CPulseFileConverter::ExportRRecord(std::string baseName, io::File& binaryFile, uint32_t n) {
  ExportRecord(kRRecord, baseName, binaryFile, n);
}
void CPulseFileConverter::ExportIRecord(std::string baseName, io::File& binaryFile, uint32_t n) {
  ExportRecord(kIRecord, baseName, binaryFile, n);
}
int CPulseFileConverter::ImportTRecord(std::string baseName, io::File& binaryFile, uint32_t n) {
  return ImportRecord(kTRecord, baseName, binaryFile, n);
}
int CPulseFileConverter::ImportRRecord(std::string baseName, io::File& binaryFile, uint32_t n) {
  return ImportRecord(kRRecord, baseName, binaryFile, n);
}
int CPulseFileConverter::ImportIRecord(std::string baseName, io::File& binaryFile, uint32_t n) {
  return ImportRecord(kIRecord, baseName, binaryFile, n);
}

void CPulseFileConverter::ExportRecord(const RecordKind& kind, const std::string& baseName, io::File& binary,
                                       uint32_t n) {
  const std::string name = OutputName(baseName, kind.TextFileName("", n));
  const bool labelled = m_bHeaders != 0;
  auto out = TextWriter::Create(name, m_staged.get());
  if (!out) {
    ReportStatus(Failure::CantOpenForWriting, name.c_str());
    binary.Seek(binary.Tell() + format::kOffsetEntrySize);  // the entry is taken all the same
    return;
  }
  uint8_t entry[format::kOffsetEntrySize];
  if (!binary.ReadExact(entry, sizeof entry)) {
    ReportStatus(Failure::BinaryReadError);
    out->Abandon();
    return;
  }
  const uint64_t nextEntry = binary.Tell();
  std::array<uint8_t, kMaxRecordHeader> header{};
  bool wroteLines = false;
  if (!binary.Seek(LoadU32(entry))) {
    ReportStatus(Failure::BinarySeekError);
  } else if (!binary.ReadExact(header.data(), kind.layout.size)) {
    ReportStatus(Failure::BinaryReadError);
  } else {
    const uint64_t start = LoadU32(entry);
    ReadCredit credit(m_byteProgress.get(), binary, start,
                      start + kind.layout.size + kind.ExportCount(header.data()) * SampleBytes(kind.form));
    WriteHeaderLines(*out, kind.layout, header.data(), labelled);
    if (!ExportSamples(kind.form, binary, kind.ExportCount(header.data()), labelled, *out))
      ReportStatus(Failure::BinaryReadError);
    out->Append("\n", 1);
    wroteLines = true;
  }
  if (!binary.Seek(nextEntry)) ReportStatus(Failure::BinarySeekError);
  // A record that failed before its first line leaves an existing text file
  // as it was; one that failed part-way is finished with what it got (put
  // in place only when the run keeps partial results: otherwise the failed
  // run drops every staged file).
  if (!wroteLines) {
    out->Abandon();
  } else if (!out->Finish()) {
    ReportStatus(Failure::AsciiWriteError, name.c_str());
  }
}

int CPulseFileConverter::ImportRecord(const RecordKind& kind, const std::string& baseName, io::File& binary,
                                      uint32_t n) {
  TextSource text;
  text.name = kind.TextFileName(baseName, n);
  text.file = io::File::Open(text.name, io::File::Mode::Read);
  if (!text.file) {
    ReportStatus(Failure::CantOpenForReading, text.name.c_str());
    return 0;
  }
  ReadCredit credit(m_byteProgress.get(), *text.file, 0, text.file->Size());
  const bool labelled = m_bHeaders != 0;
  std::array<uint8_t, kMaxRecordHeader> header{};
  for (const HeaderField& field : kind.layout.fields) {
    if (!NextLine(text)) return 0;
    if (!ReadHeaderLine(text.line, field, header.data(), labelled)) {
      ReportStatus(Failure::AsciiReadErrorAtLine, text.name.c_str(), text.lineNumber);
      return 0;
    }
  }
  if (!binary.Write(header.data(), kind.layout.size)) {
    ReportStatus(Failure::BinaryWriteError);
    return 0;
  }
  const int perLine = SamplesPerLine(kind.form);
  const int64_t count = kind.ImportCount(header.data());
  std::vector<uint8_t> run;
  for (int64_t remaining = count; remaining > 0; remaining -= perLine) {
    if (remaining >= perLine) {
      // Lines of the export's own shape are read in runs, straight from the
      // buffered text; whatever line ends a run takes the line reader.
      const int64_t lines = TakeCanonicalRun(kind.form, labelled, text, binary, remaining / perLine, run);
      if (lines < 0) {
        ReportStatus(Failure::BinaryWriteError);
        return 0;
      }
      remaining -= lines * perLine;
      if (remaining <= 0) break;
    }
    const int needed = static_cast<int>(std::min<int64_t>(remaining, perLine));
    if (!NextLine(text)) return 0;
    uint8_t bytes[16];
    bool scanned;
    if (kind.form == SampleForm::Words) {
      int16_t values[8] = {};
      scanned = ScanWordLine(text.line, labelled, needed, values);
      for (int k = 0; k < needed; ++k) StoreU16(bytes + 2 * k, static_cast<uint16_t>(values[k]));
    } else {
      float values[4] = {};
      scanned = ScanRealLine(text.line, labelled, needed, values);
      for (int k = 0; k < needed; ++k) StoreF32(bytes + 4 * k, values[k]);
    }
    if (!scanned) {
      ReportStatus(Failure::AsciiReadErrorAtLine, text.name.c_str(), text.lineNumber);
      return 0;
    }
    if (!binary.Write(bytes, static_cast<size_t>(needed * SampleBytes(kind.form)))) {
      ReportStatus(Failure::BinaryWriteError);
      return 0;
    }
  }
  if (kind.padOddCount && count > 0 && count % 2 == 1) {
    const uint8_t pad[2] = {0, 0};
    if (!binary.Write(pad, 2)) {
      ReportStatus(Failure::BinaryWriteError);
      return 0;
    }
  }
  return 1;
}

}  // namespace orvane
