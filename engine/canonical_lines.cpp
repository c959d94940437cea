#include "canonical_lines.h"

#include <cstring>

#include "orvane/byte_order.h"
#include "text_scan.h"
#include "word_fields.h"

namespace orvane {

namespace {

constexpr uint64_t kBlanks = 0x2020202020202020ull;
constexpr uint64_t kLow48 = 0x0000FFFFFFFFFFFFull;

// The characters of a bare word line and of a bare real line, line feed
// included; eight fields of six and four of fifteen, three blanks apart.
constexpr size_t kWordLineChars = 70;
constexpr size_t kRealLineChars = 70;
// A label "%6d:  " longer than this is left to the scanner (a delivered
// line holds 120 characters).
constexpr size_t kMaxLabelChars = 30;

inline uint64_t Load8(const char* p) {
  uint64_t w;
  std::memcpy(&w, p, sizeof w);
  return w;
}

// Eight digit characters, the first in the lowest byte, as their number.
inline uint32_t EightDigitsValue(uint64_t w) {
  w &= 0x0F0F0F0F0F0F0F0Full;
  w = (w * 2561) >> 8;
  w = ((w & 0x00FF00FF00FF00FFull) * 6553601) >> 16;
  return static_cast<uint32_t>(((w & 0x0000FFFF0000FFFFull) * 42949672960001ull) >> 32);
}

// Bytes of w that are not decimal digits, as a nonzero byte each: a byte is
// a digit when its high nibble is 3 before and after adding 6.
inline uint64_t NonDigits(uint64_t w) {
  constexpr uint64_t kHigh = 0xF0F0F0F0F0F0F0F0ull;
  constexpr uint64_t kThrees = 0x3030303030303030ull;
  return ((w & kHigh) ^ kThrees) | (((w + 0x0606060606060606ull) & kHigh) ^ kThrees);
}

// The value of a "%6d" field of the table's shape, read without looking at
// its shape: digits count where they stand, anything else is zero, and a
// minus anywhere makes it negative. The caller checks the shape by
// comparing the field with the table's rendering of the value.
inline int32_t LooseWordValue(uint64_t field) {
  const uint64_t digitBytes = ((field & 0x1010101010101010ull) >> 4) * 0xFF;
  const bool negative = (field & ~digitBytes & 0x0000080808080808ull) != 0;
  const int32_t magnitude = static_cast<int32_t>(EightDigitsValue((field & digitBytes) << 16));
  return negative ? -magnitude : magnitude;
}

// The label of a labelled line, "%6d:  " as the export writes it (blanks,
// an optional sign, digits, a colon, two blanks): the length, or 0.
size_t LabelLength(const char* line, size_t size) {
  size_t i = 0;
  const size_t limit = size < kMaxLabelChars ? size : kMaxLabelChars;
  while (i < limit && line[i] == ' ') ++i;
  if (i < limit && (line[i] == '-' || line[i] == '+')) ++i;
  const size_t digits = i;
  while (i < limit && static_cast<unsigned>(line[i] - '0') <= 9) ++i;
  if (i == digits || i + 3 > limit) return 0;
  return line[i] == ':' && line[i + 1] == ' ' && line[i + 2] == ' ' ? i + 3 : 0;
}

}  // namespace

bool TakeWordLine(const char* line, int16_t* values) {
  const char* fields = text::WordFields();
  for (int k = 0; k < 8; ++k) {
    const uint64_t w = Load8(line + 9 * k);
    const int32_t v = LooseWordValue(w & kLow48);
    if (v < INT16_MIN || v > INT16_MAX) return false;
    // The field as the table renders it, then two blanks and a third (or
    // the line feed after the last field).
    const uint64_t rendered = text::WordFieldWord(fields, static_cast<int16_t>(v));
    const char after = k < 7 ? ' ' : '\n';
    if (k < 7 ? w != rendered : (w & kLow48) != (rendered & kLow48)) return false;
    if (line[9 * k + (k < 7 ? 8 : 6)] != after) return false;
    values[k] = static_cast<int16_t>(v);
  }
  return true;
}

bool TakeRealLine(const char* line, float* values) {
  // " d.ddddddde+ddd": a blank or a minus, a digit, a point, seven digits,
  // 'e', a sign and three digits.
  constexpr uint64_t kHeadShape = 0x00000000002E0000ull;  // bytes 0, 1, 3-7 vary
  constexpr uint64_t kHeadFixed = 0x0000000000FF0000ull;
  for (int k = 0; k < 4; ++k) {
    const char* f = line + 18 * k;
    const uint64_t head = Load8(f);      // sign, digit, point, five digits
    const uint64_t tail = Load8(f + 7);  // three digits, 'e', a sign, three digits
    if ((head & kHeadFixed) != kHeadShape || (f[0] != ' ' && f[0] != '-')) return false;
    if ((NonDigits(head) & 0xFFFFFFFFFF00FF00ull) != 0) return false;
    if ((NonDigits(tail) & 0xFFFFFF0000FFFFFFull) != 0) return false;
    if (f[10] != 'e' || (f[11] != '+' && f[11] != '-')) return false;
    if (f[15] != (k < 3 ? ' ' : '\n') || (k < 3 && (f[16] != ' ' || f[17] != ' '))) return false;
    const uint32_t mantissa = EightDigitsValue((Load8(f + 2) & ~uint64_t{0xFF}) | static_cast<uint8_t>(f[1]));
    const int exponent = (f[12] - '0') * 100 + (f[13] - '0') * 10 + (f[14] - '0');
    float magnitude;
    if (!text::NearestFloat(mantissa, (f[11] == '-' ? -exponent : exponent) - 7, &magnitude)) {
      // Beyond the reach of double precision: the scanner decides, reading
      // no further than the field.
      text::Scanner in(f);
      if (!in.Real(&values[k])) return false;
      continue;
    }
    values[k] = f[0] == '-' ? -magnitude : magnitude;
  }
  return true;
}

CanonicalRun TakeCanonicalLines(SampleForm form, bool labelled, const char* data, size_t size,
                                size_t maxLines, uint8_t* samples) {
  CanonicalRun run;
  const size_t bareChars = form == SampleForm::Words ? kWordLineChars : kRealLineChars;
  // Loads read up to eight bytes past a field: a line is only taken when
  // that many bytes follow it in the buffer.
  while (run.lines < maxLines) {
    const char* line = data + run.bytes;
    const size_t left = size - run.bytes;
    const size_t label = labelled ? LabelLength(line, left) : 0;
    if ((labelled && label == 0) || left < label + bareChars + 8) break;
    uint8_t* out = samples + 16 * run.lines;
    if (form == SampleForm::Words) {
      int16_t values[8];
      if (!TakeWordLine(line + label, values)) break;
      for (int k = 0; k < 8; ++k) StoreU16(out + 2 * k, static_cast<uint16_t>(values[k]));
    } else {
      float values[4];
      if (!TakeRealLine(line + label, values)) break;
      for (int k = 0; k < 4; ++k) StoreF32(out + 4 * k, values[k]);
    }
    ++run.lines;
    run.bytes += label + bareChars;
  }
  return run;
}

}  // namespace orvane
