// Pulse files made to measure for the pulse power tests: T records with
// chosen GAIN values, placed where a test needs them.
#pragma once

#include <string>
#include <vector>

namespace orvane::testing {

struct PowerFileLayout {
  std::vector<float> gains;  // one T record per value
  size_t gap = 0;            // filler bytes before each record header
  size_t samples = 2;        // bytes of sample data after each record header
  uint32_t rCount = 0;       // R records, which pulse power never touches
};

// The file's bytes before any checksum word.
std::string UnsealedPowerFile(const PowerFileLayout& layout);
// A valid pulse file: the bytes above and one checksum word.
std::string PowerFile(const PowerFileLayout& layout);
// A valid pulse file of odd length that ends with the last T record's
// header: a balancing word sits right after the offset table instead.
// The length is odd for an odd number of records.
std::string PowerFileEndingInAHeader(const std::vector<float>& gains);

}  // namespace orvane::testing
