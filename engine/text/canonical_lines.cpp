#include "text/canonical_lines.h"

#include <bit>
#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include "orvane/byte_order.h"
#include "text/line_index.h"
#include "text/swar_digits.h"
#include "text/text_scan.h"
#include "text/word_fields.h"

namespace orvane {

namespace {

using text::EightDigitsValue;
using text::NonDigits;

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

#if defined(__x86_64__)
// The same readings sixteen bytes at a time, on processors with SSE4.1.
#define ORVANE_SSE41 __attribute__((target("sse4.1")))

inline uint16_t LoadPair(const char* p) {
  uint16_t v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

// 0xFF where raw holds a decimal digit; digits receives raw - '0'.
ORVANE_SSE41 inline __m128i DigitBytes(__m128i raw, __m128i* digits) {
  *digits = _mm_sub_epi8(raw, _mm_set1_epi8('0'));
  return _mm_cmpeq_epi8(_mm_min_epu8(*digits, _mm_set1_epi8(9)), *digits);
}

// A word line, two fields to a load: the loads at columns 0, 18, 36 and 54
// hold fields at their bytes 0-5 and 9-14 and separators at 6-8 and 15 (the
// line feed after the last field). A field's byte is a digit followed by a
// digit (or ending the field), a blank, or a minus followed by a digit. The
// digits are gathered into eight-byte lanes, "00" and the six characters,
// and converted by multiply-adds: pairs, then fours, then the six.
ORVANE_SSE41 bool TakeWordLineSse(const char* line, uint8_t* samples) {
  const __m128i ends = _mm_setr_epi8(0, 0, 0, 0, 0, -1, 0, 0, 0, 0, 0, 0, 0, 0, -1, 0);
  const __m128i separators = _mm_setr_epi8(0, 0, 0, 0, 0, 0, -1, -1, -1, 0, 0, 0, 0, 0, 0, -1);
  const __m128i gather = _mm_setr_epi8(-1, -1, 0, 1, 2, 3, 4, 5, -1, -1, 9, 10, 11, 12, 13, 14);
  const __m128i blank = _mm_set1_epi8(' ');
  const __m128i lastSeparators = _mm_setr_epi8(0, 0, 0, 0, 0, 0, ' ', ' ', ' ', 0, 0, 0, 0, 0, 0, '\n');
  __m128i pairs[4];
  int negative[8];
  int okAll = 0xFFFF;
  for (int j = 0; j < 4; ++j) {
    const __m128i raw = _mm_loadu_si128(reinterpret_cast<const __m128i*>(line + 18 * j));
    __m128i digitValues;
    const __m128i digit = DigitBytes(raw, &digitValues);
    const __m128i minus = _mm_cmpeq_epi8(raw, _mm_set1_epi8('-'));
    const __m128i next = _mm_srli_si128(digit, 1);
    const __m128i fieldOk = _mm_or_si128(
        _mm_and_si128(digit, _mm_or_si128(next, ends)),
        _mm_andnot_si128(ends, _mm_or_si128(_mm_cmpeq_epi8(raw, blank), _mm_and_si128(minus, next))));
    const __m128i separatorOk = _mm_cmpeq_epi8(raw, j < 3 ? blank : lastSeparators);
    okAll &= _mm_movemask_epi8(
        _mm_or_si128(_mm_andnot_si128(separators, fieldOk), _mm_and_si128(separators, separatorOk)));
    const int minusBits = _mm_movemask_epi8(minus);
    negative[2 * j] = (minusBits & 0x003F) ? -1 : 0;
    negative[2 * j + 1] = (minusBits & 0x7E00) ? -1 : 0;
    const __m128i lanes = _mm_shuffle_epi8(_mm_and_si128(digitValues, digit), gather);
    pairs[j] = _mm_madd_epi16(_mm_maddubs_epi16(lanes, _mm_set1_epi16(0x010A)), _mm_set1_epi32(0x00010064));
  }
  // The blanks between the loads: columns 16-17, 34-35 and 52-53.
  if (okAll != 0xFFFF || LoadPair(line + 16) != 0x2020 || LoadPair(line + 34) != 0x2020 ||
      LoadPair(line + 52) != 0x2020)
    return false;
  const __m128i tenThousandOne = _mm_set1_epi32(0x00012710);
  __m128i low = _mm_madd_epi16(_mm_packus_epi32(pairs[0], pairs[1]), tenThousandOne);
  __m128i high = _mm_madd_epi16(_mm_packus_epi32(pairs[2], pairs[3]), tenThousandOne);
  const __m128i lowSigns = _mm_loadu_si128(reinterpret_cast<const __m128i*>(negative));
  const __m128i highSigns = _mm_loadu_si128(reinterpret_cast<const __m128i*>(negative + 4));
  low = _mm_sub_epi32(_mm_xor_si128(low, lowSigns), lowSigns);
  high = _mm_sub_epi32(_mm_xor_si128(high, highSigns), highSigns);
  // Within the range of a 16-bit sample, or left to the scanner's refusal.
  const __m128i max = _mm_set1_epi32(INT16_MAX);
  const __m128i min = _mm_set1_epi32(INT16_MIN);
  const __m128i outside = _mm_or_si128(_mm_or_si128(_mm_cmpgt_epi32(low, max), _mm_cmplt_epi32(low, min)),
                                       _mm_or_si128(_mm_cmpgt_epi32(high, max), _mm_cmplt_epi32(high, min)));
  if (_mm_movemask_epi8(outside) != 0) return false;
  _mm_storeu_si128(reinterpret_cast<__m128i*>(samples), _mm_packs_epi32(low, high));  // little-endian
  return true;
}

// The label "%6d:  " of blanks, digits, a colon and two blanks, from one
// load; 0 for any other label (a sign, say), which LabelLength then reads.
ORVANE_SSE41 size_t LabelLengthSse(const char* line) {
  const __m128i raw = _mm_loadu_si128(reinterpret_cast<const __m128i*>(line));
  __m128i digitValues;
  const unsigned digits = static_cast<unsigned>(_mm_movemask_epi8(DigitBytes(raw, &digitValues)));
  const unsigned blanks = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(raw, _mm_set1_epi8(' '))));
  const unsigned colons = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(raw, _mm_set1_epi8(':'))));
  if (colons == 0) return 0;
  const unsigned colon = static_cast<unsigned>(__builtin_ctz(colons));
  const unsigned before = (1u << colon) - 1;
  const unsigned labelDigits = digits & before;
  const unsigned firstDigit = labelDigits & (0u - labelDigits);
  if (labelDigits == 0 || labelDigits + firstDigit != 1u << colon || (blanks & before) != firstDigit - 1)
    return 0;
  return ((blanks >> (colon + 1)) & 3) == 3 ? colon + 3 : 0;
}

bool HasSse41() {
  static const bool has = __builtin_cpu_supports("sse4.1");
  return has;
}
#endif

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

namespace {

// The value of a "%15.7e" field whose shape has been checked.
inline bool RealFieldValue(const char* f, float* value) {
  const uint32_t mantissa = EightDigitsValue((Load8(f + 2) & ~uint64_t{0xFF}) | static_cast<uint8_t>(f[1]));
  const int exponent = (f[12] - '0') * 100 + (f[13] - '0') * 10 + (f[14] - '0');
  float magnitude;
  if (!text::NearestFloat(mantissa, (f[11] == '-' ? -exponent : exponent) - 7, &magnitude)) {
    // Beyond the reach of double precision: the scanner decides, reading
    // no further than the field.
    text::Scanner in(f);
    return in.Real(value);
  }
  *value = f[0] == '-' ? -magnitude : magnitude;
  return true;
}

#if defined(__x86_64__)
// A real line, one load a field: the digits stand where the shape wants
// them, and the other bytes match one of two templates, " d.ddddddde+ddd"
// with a blank and a plus or "-d.ddddddde-ddd" with minus signs (each sign
// place is checked on its own), followed by the separator.
ORVANE_SSE41 bool TakeRealLineSse(const char* line, float* values) {
  constexpr int kDigitPlaces = 0x73FA;  // 1, 3-9, 12-14
  constexpr int kFixedPlaces = 0x8C05;  // 0, 2, 10, 11, 15
  const __m128i plain = _mm_setr_epi8(' ', 0, '.', 0, 0, 0, 0, 0, 0, 0, 'e', '+', 0, 0, 0, ' ');
  const __m128i signs = _mm_setr_epi8('-', 0, '.', 0, 0, 0, 0, 0, 0, 0, 'e', '-', 0, 0, 0, ' ');
  const __m128i lastPlain = _mm_setr_epi8(' ', 0, '.', 0, 0, 0, 0, 0, 0, 0, 'e', '+', 0, 0, 0, '\n');
  const __m128i lastSigns = _mm_setr_epi8('-', 0, '.', 0, 0, 0, 0, 0, 0, 0, 'e', '-', 0, 0, 0, '\n');
  int ok = 1;
  for (int k = 0; k < 4; ++k) {
    const __m128i raw = _mm_loadu_si128(reinterpret_cast<const __m128i*>(line + 18 * k));
    __m128i digitValues;
    const int digits = _mm_movemask_epi8(DigitBytes(raw, &digitValues));
    const int fixed = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(raw, k < 3 ? plain : lastPlain),
                                                     _mm_cmpeq_epi8(raw, k < 3 ? signs : lastSigns)));
    ok &= (digits & kDigitPlaces) == kDigitPlaces && (fixed & kFixedPlaces) == kFixedPlaces;
  }
  if (!ok || LoadPair(line + 16) != 0x2020 || LoadPair(line + 34) != 0x2020 || LoadPair(line + 52) != 0x2020)
    return false;
  for (int k = 0; k < 4; ++k)
    if (!RealFieldValue(line + 18 * k, &values[k])) return false;
  return true;
}
#endif

}  // namespace

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
    if (!RealFieldValue(f, &values[k])) return false;
  }
  return true;
}

// A line's samples in the pulse file's little-endian order: on a
// little-endian host the values are copied as they are (storing them byte by
// byte would wait for the values just written).
template <typename Value, size_t N>
inline void StoreSamples(uint8_t* out, const Value (&values)[N]) {
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(out, values, sizeof values);
  } else {
    for (size_t k = 0; k < N; ++k) {
      if constexpr (sizeof(Value) == 2) {
        StoreU16(out + 2 * k, static_cast<uint16_t>(values[k]));
      } else {
        StoreF32(out + 4 * k, values[k]);
      }
    }
  }
}

CanonicalRun TakeCanonicalLines(SampleType form, bool labelled, const char* data, size_t size,
                                size_t maxLines, uint8_t* samples, uint64_t firstLabel) {
  CanonicalRun run;
  const bool checkLabels = labelled && firstLabel != kAnyLabel;
  LineIndex expected(checkLabels ? firstLabel : 0);
  const unsigned perLine = static_cast<unsigned>(SamplesPerLine(form));
  const size_t bareChars = form == SampleType::Int16 ? kWordLineChars : kRealLineChars;
#if defined(__x86_64__)
  const bool sse = HasSse41();
#else
  const bool sse = false;
#endif
  // The readings load from a line's start and up to one byte past its line
  // feed: a line is taken only when it lies whole in the bytes at hand and
  // one byte follows it.
  while (run.lines < maxLines) {
    const char* line = data + run.bytes;
    const size_t left = size - run.bytes;
    if (left <= bareChars) break;
    size_t label = 0;
    if (checkLabels) {
      // The export's label of this line, compared eight bytes at once for
      // the usual nine-character label: a line that carries it needs no
      // reading of its label, and any other label ends the run.
      const char* want = expected.Text(&label);
      if (left <= label + bareChars) break;
      if (label == 9 ? Load8(line) != Load8(want) || line[8] != ' ' : std::memcmp(line, want, label) != 0)
        break;
      expected.Step(perLine);
    } else if (labelled) {
#if defined(__x86_64__)
      if (sse) label = LabelLengthSse(line);
#endif
      if (label == 0) label = LabelLength(line, left);
      if (label == 0 || left <= label + bareChars) break;
    }
    uint8_t* out = samples + 16 * run.lines;
    if (form == SampleType::Int16) {
#if defined(__x86_64__)
      if (sse) {
        if (!TakeWordLineSse(line + label, out)) break;
      } else
#endif
      {
        int16_t values[8];
        if (!TakeWordLine(line + label, values)) break;
        StoreSamples(out, values);
      }
    } else {
      float values[4];
#if defined(__x86_64__)
      if (!(sse ? TakeRealLineSse(line + label, values) : TakeRealLine(line + label, values))) break;
#else
      if (!TakeRealLine(line + label, values)) break;
#endif
      StoreSamples(out, values);
    }
    ++run.lines;
    run.bytes += label + bareChars;
  }
  return run;
}

}  // namespace orvane
