// Findings of header lines: the label, the value's text and its range, by
// the field's description, the same one ReadHeaderLine reads by.
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "orvane/byte_order.h"
#include "text/line_findings.h"
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
  std::string stored(reinterpret_cast<const char*>(at), storedChars);
  while (!stored.empty() && stored.back() == ' ') stored.pop_back();
  const size_t start = labelled ? kLabelledTextColumn : 0;
  if (labelled) {
    std::string expected(field.label);
    expected += ": ";
    if (std::memcmp(line, expected.data(), kLabelledTextColumn - 1) == 0 &&
        line[kLabelledTextColumn - 1] != ' ') {
      out.push_back({static_cast<unsigned>(kLabelledTextColumn), TextIssue::MissingBlank,
                     "no blank after \"" + expected.substr(0, 5) + "\"; stored " +
                         Quoted(stored.data(), stored.data() + stored.size())});
    } else if (std::memcmp(line, expected.data(), kLabelledTextColumn) != 0) {
      out.push_back({1, TextIssue::LabelMismatch,
                     "label " + Quoted(line, line + kLabelledTextColumn) + " where " +
                         Quoted(expected.data(), expected.data() + expected.size()) +
                         " was expected; stored " + Quoted(stored.data(), stored.data() + stored.size())});
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
    const std::string expected = ExpectedLabel(field);
    const std::string found = FoundLabel(line);
    if (!labelOk) {
      // The first line tells a file of the other layout.
      const bool bare = field.read == F::Hex32 && text::Scanner(line).Hex(&hex);
      out.push_back({1, TextIssue::LabelMismatch,
                     "label " + Quoted(found.data(), found.data() + found.size()) + " where " +
                         Quoted(expected.data(), expected.data() + expected.size()) + " was expected" +
                         (bare ? " (bare values read as labelled lines?)" : "") + kStops});
      return;
    }
    if (index != field.rsIndex) {
      out.push_back({1, TextIssue::LabelMismatch,
                     "label " + Quoted(found.data(), found.data() + found.size()) + " where " +
                         Quoted(expected.data(), expected.data() + expected.size()) +
                         " was expected; the value goes to " + std::string(field.label) +
                         " by the line's place"});
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
  const std::string stored = StoredText(field, header);
  in.SkipSpace();
  if (*in.Position() != 0) {
    const char* end = TrimmedEnd(line);
    if (field.read == F::Real32 && *valueEnd == ',' && valueEnd[1] >= '0' && valueEnd[1] <= '9') {
      out.push_back({column, TextIssue::NotANumber,
                     Quoted(start, WordEnd(start)) + " is not a real number; stored " + stored});
    } else {
      out.push_back({ColumnOf(line, in.Position()), TextIssue::TrailingText,
                     Quoted(start, end) + " has text after its number; stored " + stored});
    }
  }
  const std::string numberText(start, valueEnd);
  switch (field.read) {
    case F::Int32:
      if (number < INT32_MIN || number > INT32_MAX)
        out.push_back(
            {column, TextIssue::OutOfRange, numberText + " does not fit in 32 bits; stored " + stored});
      break;
    case F::UInt32:
      if (number < INT32_MIN || number > UINT32_MAX)
        out.push_back(
            {column, TextIssue::OutOfRange, numberText + " does not fit in 32 bits; stored " + stored});
      break;
    case F::Word16:
      if (number < INT16_MIN || number > UINT16_MAX)
        out.push_back(
            {column, TextIssue::OutOfRange, numberText + " does not fit in 16 bits; stored " + stored});
      break;
    case F::Real32:
      if ((std::isinf(real) && !NamesInfinity(start)) || (real == 0 && NonZeroDigits(start, valueEnd)))
        out.push_back(
            {column, TextIssue::OutOfRange, numberText + " does not fit in a 32-bit real; stored " + stored});
      break;
    case F::Hex32:
    case F::Text80: break;
  }
  if (kind != nullptr && field.offset == kind->sizeOffset && number < 0) {
    const bool none = kind->ImportCount(header) <= 0;
    out.push_back(
        {column, TextIssue::NegativeSize,
         numberText + " is negative; stored " + stored + (none ? ", and no sample line is read" : "")});
  }
}

}  // namespace orvane
