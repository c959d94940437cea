// Findings of header lines: the label, the value's text and its range, by
// the field's description, the same one ReadHeaderLine reads by.
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "orvane/byte_order.h"
#include "text/line_findings.h"
#include "text/text_line_reader.h"
#include "text/text_scan.h"

namespace orvane {

namespace {

using F = TextFormat;

constexpr size_t kLabelledTextColumn = 6;
constexpr size_t kTextFieldSize = format::kTextFieldSize;
constexpr char kStops[] = "; the import stops here";

inline bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// The end of a delivered line without its trailing white space.
const char* TrimmedEnd(const char* line) {
  const char* end = line + std::strlen(line);
  while (end > line && IsSpace(end[-1])) --end;
  return end;
}

const char* WordEnd(const char* p) {
  while (*p && !IsSpace(*p)) ++p;
  return p;
}

// The label as the export writes it: "GAIN: ", "PID : ", "RS 0: ".
std::string ExpectedLabel(const FieldDescription& field) {
  if (field.rsIndex >= 0) return std::string("RS ") + static_cast<char>('0' + field.rsIndex) + ":";
  std::string label(field.label);
  label.resize(4, ' ');
  return label + ":";
}

// The label a line carries: its text up to the first colon, when one
// comes soon, else its first word.
std::string FoundLabel(const char* line) {
  const char* colon = std::strchr(line, ':');
  if (colon != nullptr && colon - line <= 8) return std::string(line, colon + 1);
  return std::string(line, WordEnd(line));
}

const char* KindOfNumber(F read) {
  switch (read) {
    case F::Hex32: return "a hexadecimal number";
    case F::Real32: return "a real number";
    default: return "a whole number";
  }
}

std::string RealText(float v) {
  char text[32];
  auto [end, error] = std::to_chars(text, text + sizeof text, v);
  (void)error;
  return std::string(text, end);
}

// The value a field holds now, as a message shows it.
std::string StoredText(const FieldDescription& field, const uint8_t* header) {
  const uint8_t* at = header + field.offset;
  char text[32];
  if (field.read == F::Hex32) {
    std::snprintf(text, sizeof text, "%X", LoadU32(at));
    return text;
  }
  switch (field.type) {
    case FieldType::Int32: return std::to_string(LoadI32(at));
    case FieldType::UInt32: return std::to_string(LoadU32(at));
    case FieldType::UInt16: return std::to_string(LoadU16(at));
    case FieldType::Real32: return RealText(LoadF32(at));
    case FieldType::Text80: break;
  }
  return "";
}

unsigned ColumnOf(const char* line, const char* p) { return static_cast<unsigned>(p - line) + 1; }

// A text field: its label (labelled layout) and its length.
void FindInTextLine(const char* line, const FieldDescription& field, const uint8_t* header, bool labelled,
                    LineFindings& out) {
  const uint8_t* at = header + field.offset;
  const size_t storedChars = strnlen(reinterpret_cast<const char*>(at), kTextFieldSize);
  // The stored text as a message quotes it, without its padding blanks.
  const auto stored = [&] {
    std::string text(reinterpret_cast<const char*>(at), storedChars);
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return Quoted(text.data(), text.data() + text.size());
  };
  const size_t start = labelled ? kLabelledTextColumn : 0;
  if (labelled) {
    std::string expected(field.label);
    expected += ": ";
    if (std::memcmp(line, expected.data(), kLabelledTextColumn - 1) == 0 &&
        line[kLabelledTextColumn - 1] != ' ') {
      out.push_back({static_cast<unsigned>(kLabelledTextColumn), TextIssue::MissingBlank,
                     "no blank after \"" + expected.substr(0, 5) + "\"; stored " + stored()});
    } else if (std::memcmp(line, expected.data(), kLabelledTextColumn) != 0) {
      out.push_back({1, TextIssue::LabelMismatch,
                     "label " + Quoted(line, line + kLabelledTextColumn) + " where " +
                         Quoted(expected.data(), expected.data() + expected.size()) +
                         " was expected; stored " + stored()});
    }
  }
  const char* end = TrimmedEnd(line);
  const size_t length = end > line + start ? static_cast<size_t>(end - line) - start : 0;
  // A text of all 80 characters fills the field: the import keeps it
  // whole, needing no NUL. Beyond that nothing can hold it.
  if (length > kTextFieldSize) {
    out.push_back({static_cast<unsigned>(start + storedChars) + 1, TextIssue::TextTooLong,
                   "text of " + std::to_string(length) + " characters; stored its first " +
                       std::to_string(storedChars)});
  }
}

// Whether a number's text said more than zero: a digit other than 0
// before any exponent.
bool NonZeroDigits(const char* begin, const char* end) {
  for (const char* p = begin; p < end && *p != 'e' && *p != 'E'; ++p)
    if (*p >= '1' && *p <= '9') return true;
  return false;
}

bool NamesInfinity(const char* begin) {
  const char* p = begin + ((*begin == '-' || *begin == '+') ? 1 : 0);
  return *p == 'i' || *p == 'I';
}

// The lines of the export's own shape, known clean without reading their
// values: the exact label, a number short enough to fit its field (a
// negative SIZE aside), blanks to the end.
bool PlainlyClean(const char* line, const FieldDescription& field, bool labelled,
                  const RecordDescription* kind) {
  const char* p = line;
  if (labelled) {
    char label[6] = {' ', ' ', ' ', ' ', ':', ' '};
    if (field.rsIndex < 0) {
      std::memcpy(label, field.label.data(), field.label.size());
    } else {
      std::memcpy(label, "RS ", 3);
      label[3] = static_cast<char>('0' + field.rsIndex);
    }
    if (std::memcmp(p, label, sizeof label) != 0) return false;
    p += sizeof label;
  }
  const bool negative = *p == '-';
  if (negative) {
    if (kind != nullptr && field.offset == kind->sizeOffset) return false;
    ++p;
  }
  const char* digits = p;
  uint64_t value = 0;
  while (*p >= '0' && *p <= '9' && p - digits < 11) value = value * 10 + static_cast<unsigned>(*p++ - '0');
  if (p == digits) return false;
  switch (field.read) {
    case F::Int32:
      if (value > (negative ? uint64_t{1} << 31 : INT32_MAX)) return false;
      break;
    case F::UInt32:
      if (value > (negative ? uint64_t{1} << 31 : UINT32_MAX)) return false;
      break;
    case F::Word16:
      if (value > (negative ? uint64_t{1} << 15 : UINT16_MAX)) return false;
      break;
    case F::Real32:
      // Fixed notation: no float overflows below 10^38, and six decimals
      // of a nonzero value are far from the smallest float.
      while (*p >= '0' && *p <= '9' && p - digits < 30) ++p;
      if (*p != '.') return false;
      ++p;
      while (*p >= '0' && *p <= '9') ++p;
      break;
    default: return false;
  }
  // The rest of a delivered line, blanks when clean, compared at once.
  static const std::string blanks(kTextLineChars, ' ');
  const size_t rest = static_cast<size_t>(line + kTextLineChars - p);
  return p <= line + kTextLineChars && std::memcmp(p, blanks.data(), rest) == 0;
}

}  // namespace

std::string Quoted(const char* begin, const char* end) {
  std::string quoted;
  quoted.reserve(static_cast<size_t>(end - begin) + 2);
  quoted.push_back('"');
  quoted.append(begin, end);
  quoted.push_back('"');
  return quoted;
}

bool BlankLine(const char* line) {
  for (; *line; ++line)
    if (!IsSpace(*line)) return false;
  return true;
}

void FindInHeaderLine(const char* line, const FieldDescription& field, const uint8_t* header, bool labelled,
                      bool matched, const RecordDescription* kind, LineFindings& out) {
  if (field.read == F::Text80) {
    FindInTextLine(line, field, header, labelled, out);
    return;
  }
  if (matched && PlainlyClean(line, field, labelled, kind)) return;
  text::Scanner in(line);
  uint32_t hex = 0;
  if (labelled) {
    bool labelOk;
    int64_t index = field.rsIndex;
    if (field.rsIndex < 0) {
      char pattern[8] = {' ', ' ', ' ', ' ', ':', ' ', 0};
      std::memcpy(pattern, field.label.data(), field.label.size());
      labelOk = in.Match(pattern);
    } else {
      labelOk = in.Match("RS") && in.Integer(&index, 2) && in.Match(": ");
    }
    if (!labelOk || index != field.rsIndex) {
      const std::string expected = ExpectedLabel(field);
      const std::string found = FoundLabel(line);
      const std::string said = "label " + Quoted(found.data(), found.data() + found.size()) + " where " +
                               Quoted(expected.data(), expected.data() + expected.size()) + " was expected";
      if (!labelOk) {
        // The first line tells a file of the other layout.
        const bool bare = field.read == F::Hex32 && text::Scanner(line).Hex(&hex);
        out.push_back({1, TextIssue::LabelMismatch,
                       said + (bare ? " (bare values read as labelled lines?)" : "") + kStops});
        return;
      }
      out.push_back({1, TextIssue::LabelMismatch,
                     said + "; the value goes to " + std::string(field.label) + " by the line's place"});
    }
  }
  in.SkipSpace();
  const char* start = in.Position();
  const unsigned column = ColumnOf(line, start);
  int64_t number = 0;
  float real = 0;
  bool read = false;
  switch (field.read) {
    case F::Hex32: read = in.Hex(&hex); break;
    case F::Real32: read = in.Real(&real); break;
    default: read = in.Integer(&number); break;
  }
  if (!read || !matched) {
    const char* word = WordEnd(start);
    std::string what = word == start ? "no value" : Quoted(start, word) + " is not";
    const bool labelledLine = !labelled && field.read == F::Hex32 && std::strncmp(line, "MAGC:", 5) == 0;
    out.push_back({column, TextIssue::NotANumber,
                   what + (word == start ? " where " : " ") + KindOfNumber(field.read) +
                       (word == start ? " was expected" : "") +
                       (labelledLine ? " (labelled lines read as bare values?)" : "") + kStops});
    return;
  }
  const char* valueEnd = in.Position();
  in.SkipSpace();
  // Most lines are clean: the stored value is put into words only for a finding.
  const auto stored = [&] { return StoredText(field, header); };
  if (*in.Position() != 0) {
    const char* end = TrimmedEnd(line);
    if (field.read == F::Real32 && *valueEnd == ',' && valueEnd[1] >= '0' && valueEnd[1] <= '9') {
      out.push_back({column, TextIssue::NotANumber,
                     Quoted(start, WordEnd(start)) + " is not a real number; stored " + stored()});
    } else {
      out.push_back({ColumnOf(line, in.Position()), TextIssue::TrailingText,
                     Quoted(start, end) + " has text after its number; stored " + stored()});
    }
  }
  const std::string_view numberText(start, static_cast<size_t>(valueEnd - start));
  switch (field.read) {
    case F::Int32:
      if (number < INT32_MIN || number > INT32_MAX)
        out.push_back({column, TextIssue::OutOfRange,
                       std::string(numberText) + " does not fit in 32 bits; stored " + stored()});
      break;
    case F::UInt32:
      if (number < INT32_MIN || number > UINT32_MAX)
        out.push_back({column, TextIssue::OutOfRange,
                       std::string(numberText) + " does not fit in 32 bits; stored " + stored()});
      break;
    case F::Word16:
      if (number < INT16_MIN || number > UINT16_MAX)
        out.push_back({column, TextIssue::OutOfRange,
                       std::string(numberText) + " does not fit in 16 bits; stored " + stored()});
      break;
    case F::Real32:
      if ((std::isinf(real) && !NamesInfinity(start)) || (real == 0 && NonZeroDigits(start, valueEnd)))
        out.push_back({column, TextIssue::OutOfRange,
                       std::string(numberText) + " does not fit in a 32-bit real; stored " + stored()});
      break;
    case F::Hex32:
    case F::Text80: break;
  }
  if (kind != nullptr && field.offset == kind->sizeOffset && number < 0) {
    const bool none = kind->ImportCount(header) <= 0;
    out.push_back({column, TextIssue::NegativeSize,
                   std::string(numberText) + " is negative; stored " + stored() +
                       (none ? ", and no sample line is read" : "")});
  }
}

}  // namespace orvane
