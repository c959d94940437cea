// The column reader of value lines gives what the scanner gives, on the
// lines the export writes and on any variation of them.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

#include "text/sample_lines.h"
#include "text/text_scan.h"

namespace orvane {
namespace {

// The value line as "%*hd:%hd %hd ..." reads it, with the range rule.
bool ScannerReading(const char* line, bool labelled, int needed, int16_t* values) {
  text::Scanner in(line);
  int64_t v;
  if (labelled && !(in.Integer(&v) && in.Match(":"))) return false;
  for (int k = 0; k < needed; ++k) {
    if (!in.Integer(&v) || v < INT16_MIN || v > INT16_MAX) return false;
    values[k] = static_cast<int16_t>(v);
  }
  return true;
}

// A line as the export writes it, padded like a delivered line.
std::string CanonicalLine(std::mt19937& rng, bool labelled, int count) {
  char buffer[256];
  int at = 0;
  if (labelled) at += std::snprintf(buffer, sizeof buffer, "%6u:  ", static_cast<unsigned>(rng() % 1200000));
  for (int k = 0; k < count; ++k) {
    int16_t value = static_cast<int16_t>(rng());
    if (rng() % 4 == 0) value = static_cast<int16_t>(value % 100);
    at +=
        std::snprintf(buffer + at, sizeof buffer - static_cast<size_t>(at), k == 7 ? "%6d" : "%6d   ", value);
  }
  std::string line(buffer, static_cast<size_t>(at));
  line.resize(120, ' ');
  return line;
}

TEST(ValueLineScan, AgreesWithTheScannerOnWrittenAndAlteredLines) {
  std::mt19937 rng(20261208);
  const char alphabet[] = " -+0123456789:\t#x";
  for (int round = 0; round < 40000; ++round) {
    const bool labelled = round % 2 == 0;
    const int count = 1 + static_cast<int>(rng() % 8);
    std::string line = CanonicalLine(rng, labelled, count);
    for (int changes = static_cast<int>(rng() % 4); changes > 0; --changes)
      line[rng() % 90] = alphabet[rng() % (sizeof alphabet - 1)];
    char padded[120 + 1 + 8] = {};
    std::memcpy(padded, line.data(), 120);
    const int needed = 1 + static_cast<int>(rng() % count);
    int16_t fast[8] = {}, reference[8] = {};
    const bool fastOk = ScanWordLine(padded, labelled, needed, fast);
    const bool referenceOk = ScannerReading(padded, labelled, needed, reference);
    ASSERT_EQ(fastOk, referenceOk) << '"' << line << '"';
    if (fastOk) {
      for (int k = 0; k < needed; ++k) ASSERT_EQ(fast[k], reference[k]) << '"' << line << "\" value " << k;
    }
  }
}

}  // namespace
}  // namespace orvane
