// Findings of value lines read outside the canonical runs: the label of a
// labelled line, each value's text and range, and the number of values.
#include <cmath>
#include <string>

#include "text/line_findings.h"
#include "text/text_scan.h"

namespace orvane {

namespace {

constexpr char kStops[] = "; the import stops here";

inline bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

const char* WordEnd(const char* p) {
  while (*p && !IsSpace(*p)) ++p;
  return p;
}

unsigned ColumnOf(const char* line, const char* p) { return static_cast<unsigned>(p - line) + 1; }

std::string Values(int n) { return std::to_string(n) + (n == 1 ? " value" : " values"); }

std::string Ordinal(int n) {
  const char* suffix = (n % 100 >= 11 && n % 100 <= 13) ? "th"
                       : n % 10 == 1                    ? "st"
                       : n % 10 == 2                    ? "nd"
                       : n % 10 == 3                    ? "rd"
                                                        : "th";
  return std::to_string(n) + suffix;
}

}  // namespace

uint64_t FindInSampleLine(const char* line, const SampleLineRead& read, LineFindings& out) {
  text::Scanner in(line);
  uint64_t label = read.expectedIndex;
  const bool real = read.form == SampleType::Real32;
  const char* kind = real ? "a real number" : "a whole number";
  if (read.labelled) {
    int64_t index;
    in.SkipSpace();
    const char* start = in.Position();
    if (!(in.Integer(&index) && in.Match(":"))) {
      const char* end = WordEnd(start);
      out.push_back({end == start ? 1 : ColumnOf(line, start), TextIssue::SampleLabel,
                     (end == start ? std::string("an empty line") : Quoted(start, end)) +
                         " where the sample label " + std::to_string(read.expectedIndex) + " was expected" +
                         kStops});
      return label;
    }
    if (index < 0 || (static_cast<uint64_t>(index) != read.expectedIndex &&
                      static_cast<uint64_t>(index) != read.alternateIndex)) {
      out.push_back({1, TextIssue::SampleLabel,
                     "sample label " + std::to_string(index) + " where " +
                         std::to_string(read.expectedIndex) + " was expected (a line removed or added?)"});
    }
    if (index >= 0) label = static_cast<uint64_t>(index);
  }
  int count = 0;
  for (;;) {
    in.SkipSpace();
    const char* start = in.Position();
    if (*start == 0) break;
    const bool used = count < read.needed;
    int64_t integer = 0;
    float value = 0;
    const bool number = real ? in.Real(&value) : in.Integer(&integer);
    const char* end = in.Position();
    if (!number || (*end != 0 && !IsSpace(*end))) {
      // The scanner stops at the first character that does not continue
      // the number: a value still needed after it is not there.
      const char* word = WordEnd(start);
      if (used && (!number || count + 1 < read.needed)) {
        out.push_back(
            {ColumnOf(line, start), TextIssue::NotANumber, Quoted(start, word) + " is not " + kind + kStops});
      } else if (used) {
        out.push_back(
            {ColumnOf(line, end), TextIssue::TrailingText,
             Quoted(start, word) + " has text after its number; stored " + std::string(start, end)});
      } else {
        out.push_back({ColumnOf(line, start), TextIssue::TrailingText,
                       Quoted(start, word) + " after the values of the line; ignored"});
      }
      return label;
    }
    if (used && !real && (integer < INT16_MIN || integer > INT16_MAX)) {
      out.push_back({ColumnOf(line, start), TextIssue::OutOfRange,
                     std::string(start, end) + " does not fit in 16 bits" + kStops});
      return label;
    }
    if (used && real &&
        ((std::isinf(value) && *start != 'i' && *start != 'I' && start[1] != 'i' && start[1] != 'I') ||
         (value == 0 && [&] {
           for (const char* p = start; p < end && *p != 'e' && *p != 'E'; ++p)
             if (*p >= '1' && *p <= '9') return true;
           return false;
         }()))) {
      out.push_back({ColumnOf(line, start), TextIssue::OutOfRange,
                     std::string(start, end) + " does not fit in a 32-bit real; stored " +
                         (value == 0            ? "0"
                          : std::signbit(value) ? "-inf"
                                                : "inf")});
    }
    ++count;
  }
  if (count < read.needed) {
    out.push_back(
        {1, TextIssue::SampleCount,
         Values(count) + " where " + std::to_string(read.needed) + " were expected" +
             (read.needed < read.perLine ? " (SIZE " + std::to_string(read.size) + ")" : std::string()) +
             kStops});
  } else if (count > read.needed) {
    out.push_back(
        {1, TextIssue::SampleCount,
         Values(count) + " where " +
             (read.needed < read.perLine ? "SIZE " + std::to_string(read.size) + " leaves " : std::string()) +
             std::to_string(read.needed) +
             (read.needed < read.perLine ? " for the last line" : " were expected") + "; the " +
             Ordinal(read.needed + 1) + " and later are ignored"});
  }
  return label;
}

}  // namespace orvane
