// The pulse power text: blank-separated whole numbers, one per T record, each
// the record's GAIN in hundredths.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orvane {

constexpr int kMaxPulsePower = 100;

struct PowerScan {
  std::vector<int64_t> powers;  // every integer of the text, in order
  std::string badToken;         // the first token that is not an integer
  bool valid = true;
};

// Splits text at white space; every token must be an optionally signed run
// of decimal digits. Values too large for any power are kept as large ones.
PowerScan ScanPowerText(const std::string& text);

// The nearest whole number of hundredths, a half rounding up.
int PowerOfGain(float gain);
// The GAIN that a power sets: clamped to -100 to 100, in hundredths.
float GainOfPower(int64_t power);
// One power as the text shows it: "%d ".
void AppendPower(std::string& text, int power);

}  // namespace orvane
