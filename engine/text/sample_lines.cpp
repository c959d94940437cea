#include "text/sample_lines.h"

#include <bit>
#include <cstring>
#include <optional>
#include <vector>

#include "orvane/byte_order.h"
#include "text/exact_reals.h"
#include "text/line_index.h"
#include "text/swar_digits.h"
#include "text/text_format.h"
#include "text/text_scan.h"
#include "text/word_fields.h"

namespace orvane {

namespace {

constexpr size_t kBlockSamples = 1 << 15;
// At most 19 characters a sample (16 and three blanks in the exact layout)
// and 23 of index a line, and 16 bytes that a rendering may touch past its
// end: 1024 samples (a whole number of lines of either form) take less than
// a reservation's room.
constexpr size_t kSamplesPerReserve = 1024;
static_assert(kSamplesPerReserve * (19 + 23) + 16 < TextWriter::kMaxReserve);

// One sample of a sample line. Labelled lines start with the index of
// their first sample ("%6d:  "); the last sample of a line ends it, every
// other one is followed by three blanks.
template <unsigned PerLine, typename Value>
char* AppendSample(char* out, uint64_t i, Value value, bool labelled, char* (*format)(char*, Value)) {
  unsigned column = static_cast<unsigned>(i % PerLine);
  if (labelled && column == 0) {
    out = text::AppendRightAligned(out, static_cast<int64_t>(i), 6);
    out = text::AppendLiteral(out, ":  ");
  }
  out = format(out, value);
  return column == PerLine - 1 ? text::AppendLiteral(out, "\n") : text::AppendLiteral(out, "   ");
}

// A whole line of eight 16-bit samples: each field comes from the table of
// rendered fields with the blanks after it; the last ends the line.
char* AppendWordLine(char* out, const uint8_t* samples, const char* fields) {
  for (int k = 0; k < 7; ++k) {
    const uint64_t w = text::WordFieldWord(fields, LoadI16(samples + 2 * k));
    std::memcpy(out + 9 * k, &w, sizeof w);
    out[9 * k + 8] = ' ';
  }
  const uint64_t last =
      (text::WordFieldWord(fields, LoadI16(samples + 14)) & 0x0000FFFFFFFFFFFFull) | (uint64_t{'\n'} << 48);
  std::memcpy(out + 63, &last, sizeof last);
  return out + 70;
}

// How one real of a sample line is written: "%15.7e" with what it loses,
// or the nine digits of the exact layout, which lose nothing.
struct CountedReal {
  text::CountedText operator()(char* out, float value) const {
    return text::AppendExp15_7Counted(out, value);
  }
};
struct ExactReal {
  text::CountedText operator()(char* out, float value) const { return {text::AppendExp16_8(out, value), 0}; }
};

// A whole line of four reals; adds their losses to *losses.
template <typename Real>
char* AppendRealLine(char* out, const uint8_t* samples, Real real, uint64_t* losses) {
  uint64_t lost = 0;
  for (int k = 0; k < 3; ++k) {
    const text::CountedText field = real(out, LoadF32(samples + 4 * k));
    lost += field.losses;
    out = text::AppendLiteral(field.end, "   ");
  }
  const text::CountedText field = real(out, LoadF32(samples + 12));
  *losses += lost + field.losses;
  return text::AppendLiteral(field.end, "\n");
}

// One real of a sample line that is not whole (the last of a record).
template <typename Real>
char* AppendRealSample(char* out, uint64_t i, float value, bool labelled, Real real, uint64_t* losses) {
  const unsigned column = static_cast<unsigned>(i % 4);
  if (labelled && column == 0) {
    out = text::AppendRightAligned(out, static_cast<int64_t>(i), 6);
    out = text::AppendLiteral(out, ":  ");
  }
  const text::CountedText field = real(out, value);
  *losses += field.losses;
  return column == 3 ? text::AppendLiteral(field.end, "\n") : text::AppendLiteral(field.end, "   ");
}

// Reads a blank-separated integer of at most seven digits eight bytes at a
// time, without a branch per character: the value lines of a long record are
// millions of such numbers. Anything else (other white space, longer
// numbers, no number) is left to the scanner: false, p unchanged. The line
// must be readable for eight bytes past its end.
bool QuickInteger(const char*& p, int64_t* value) {
  constexpr uint64_t kBlanks = 0x2020202020202020ull;
  const char* q = p;
  uint64_t w;
  for (;;) {
    std::memcpy(&w, q, sizeof w);
    if (uint64_t other = w ^ kBlanks) {
      q += std::countr_zero(other) / 8;
      break;
    }
    q += 8;
  }
  const bool negative = *q == '-';
  q += (negative || *q == '+') ? 1 : 0;
  std::memcpy(&w, q, sizeof w);
  const uint64_t nonDigits = text::NonDigits(w);
  const int digits = nonDigits == 0 ? 8 : std::countr_zero(nonDigits) / 8;
  if (digits == 0 || digits == 8) return false;
  // Leading zero bytes, then the digits, most significant first.
  const uint64_t n = text::EightDigitsValue(w << (8 * (8 - digits)));
  p = q + digits;
  *value = negative ? -static_cast<int64_t>(n) : static_cast<int64_t>(n);
  return true;
}

// The value of one "%6d" field as the export writes it: blanks, an optional
// minus sign and at least one digit, six characters in all, followed by two
// blanks. Nothing when the field has another shape.
std::optional<int64_t> CanonicalWordField(const char* field) {
  constexpr uint64_t kBlanks = 0x2020202020202020ull;
  uint64_t w;
  std::memcpy(&w, field, sizeof w);
  if ((w >> 48) != 0x2020) return std::nullopt;  // the two blanks after it
  const int blanks = std::countr_zero((w ^ kBlanks) | (uint64_t{1} << 48)) / 8;
  const bool negative = field[blanks] == '-';
  const int first = blanks + (negative ? 1 : 0);
  if (first >= 6) return std::nullopt;
  const uint64_t fieldDigits = (uint64_t{1} << 48) - (uint64_t{1} << (8 * first));
  if ((text::NonDigits(w) & fieldDigits) != 0) return std::nullopt;
  // Digits right-aligned in six bytes: clear the rest, then convert.
  const uint64_t n = text::EightDigitsValue((w & fieldDigits) << 16);
  return negative ? -static_cast<int64_t>(n) : static_cast<int64_t>(n);
}

// A value line exactly as the export writes it, read by columns: each of
// the needed fields sits nine columns after the one before. False when the
// line has another shape; the scanner then reads it.
bool ScanCanonicalWordLine(const char* line, bool labelled, int needed, int16_t* values) {
  const char* field = line;
  if (labelled) {
    // "%6d:  ": the index, a colon and two blanks.
    if (line[6] != ':' || line[7] != ' ' || line[8] != ' ') return false;
    char index[8];
    std::memcpy(index, line, 6);
    std::memcpy(index + 6, "  ", 2);
    if (!CanonicalWordField(index)) return false;
    field = line + 9;
  }
  for (int k = 0; k < needed; ++k, field += 9) {
    auto value = CanonicalWordField(field);
    if (!value || *value < INT16_MIN || *value > INT16_MAX) return false;
    if (k + 1 < needed && field[8] != ' ') return false;  // the third blank between fields
    values[k] = static_cast<int16_t>(*value);
  }
  return true;
}

// losses: the sum of the losses of every real written (text::CountedText).
template <typename Real>
bool ExportSampleBlocks(SampleType form, io::File& binary, uint64_t count, bool labelled, TextWriter& out,
                        Real real, uint64_t* losses) {
  const size_t width = static_cast<size_t>(SampleBytes(form));
  const unsigned perLine = static_cast<unsigned>(SamplesPerLine(form));
  const char* fields = text::WordFields();
  // No larger than the record, as most records are far smaller than a
  // block; not cleared, as only the bytes read into it are used.
  io::ByteBuffer buffer(static_cast<size_t>(std::min<uint64_t>(kBlockSamples, count)) * width);
  const auto* block = reinterpret_cast<const uint8_t*>(buffer.data());
  LineIndex index(0);
  uint64_t i = 0;
  while (i < count) {
    size_t want = static_cast<size_t>(std::min<uint64_t>(kBlockSamples, count - i));
    size_t got = binary.Read(buffer.data(), want * width) / width;
    const uint8_t* p = block;
    for (size_t k = 0; k < got;) {
      // One reservation for a run of samples that surely fits in it. Runs
      // and blocks hold whole lines; only the last line of a record may be
      // short.
      const size_t run = std::min<size_t>(got - k, kSamplesPerReserve);
      const size_t lines = run / perLine;
      char* end = out.Reserve();
      // Summed in a register: the characters stored may alias *losses.
      uint64_t lost = 0;
      for (size_t line = 0; line < lines; ++line, p += perLine * width) {
        if (labelled) {
          end = index.Append(end);
          index.Step(perLine);
        }
        end =
            form == SampleType::Int16 ? AppendWordLine(end, p, fields) : AppendRealLine(end, p, real, &lost);
      }
      i += lines * perLine;
      for (size_t r = lines * perLine; r < run; ++r, ++i, p += width) {
        end = form == SampleType::Int16 ? AppendSample<8>(end, i, LoadI16(p), labelled, text::AppendWord6)
                                        : AppendRealSample(end, i, LoadF32(p), labelled, real, &lost);
      }
      out.Advance(end);
      *losses += lost;
      k += run;
    }
    if (got < want) return false;
  }
  return true;
}

}  // namespace

bool ExportSamples(SampleType form, io::File& binary, uint64_t count, bool labelled, TextWriter& out,
                   bool exact, RealSampleLosses* losses) {
  uint64_t lost = 0;
  const bool read = exact ? ExportSampleBlocks(form, binary, count, labelled, out, ExactReal{}, &lost)
                          : ExportSampleBlocks(form, binary, count, labelled, out, CountedReal{}, &lost);
  if (losses != nullptr) {
    losses->rounded += lost & 0xFFFFFFFF;
    losses->nans += lost >> 32;
  }
  return read;
}

bool ScanWordLine(const char* line, bool labelled, int needed, int16_t* values) {
  if (ScanCanonicalWordLine(line, labelled, needed, values)) return true;
  text::Scanner in(line);
  int64_t v;
  if (labelled && !(in.Integer(&v) && in.Match(":"))) return false;
  const char* p = in.Position();
  for (int k = 0; k < needed; ++k) {
    if (!QuickInteger(p, &v)) {
      text::Scanner rest(p);
      if (!rest.Integer(&v)) return false;
      p = rest.Position();
    }
    if (v < INT16_MIN || v > INT16_MAX) return false;
    values[k] = static_cast<int16_t>(v);
  }
  return true;
}

bool ScanRealLine(const char* line, bool labelled, int needed, float* values) {
  text::Scanner in(line);
  int64_t index;
  // The index is read whatever its width: past sample 999999 it has seven
  // digits, and the export writes it so.
  if (labelled && !(in.Integer(&index) && in.Match(":"))) return false;
  for (int k = 0; k < needed; ++k)
    if (!in.Real(&values[k])) return false;
  return true;
}

}  // namespace orvane
