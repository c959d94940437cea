#include "text/pulse_power_text.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace orvane {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Any magnitude beyond this clamps the same way.
constexpr int64_t kSaturated = int64_t{1} << 40;

bool ParseInteger(const std::string& token, int64_t* value) {
  size_t i = 0;
  bool negative = false;
  if (token[0] == '+' || token[0] == '-') {
    negative = token[0] == '-';
    i = 1;
  }
  if (i == token.size()) return false;
  int64_t magnitude = 0;
  for (; i < token.size(); ++i) {
    if (!IsDigit(token[i])) return false;
    magnitude = std::min(kSaturated, magnitude * 10 + (token[i] - '0'));
  }
  *value = negative ? -magnitude : magnitude;
  return true;
}

}  // namespace

PowerScan ScanPowerText(const std::string& text) {
  PowerScan scan;
  size_t i = 0;
  while (i < text.size()) {
    if (IsBlank(text[i])) {
      ++i;
      continue;
    }
    size_t end = i;
    while (end < text.size() && !IsBlank(text[end])) ++end;
    std::string token = text.substr(i, end - i);
    int64_t value = 0;
    if (!ParseInteger(token, &value)) {
      scan.valid = false;
      scan.badToken = token;
      scan.powers.clear();
      return scan;
    }
    scan.powers.push_back(value);
    i = end;
  }
  return scan;
}

int PowerOfGain(float gain) {
  double power = std::floor(static_cast<double>(gain) * 100.0 + 0.5);
  // GAIN is carried, not checked: a value no whole number of hundredths
  // can show is shown as the nearest one that can.
  if (std::isnan(power)) return 0;
  constexpr double kLow = std::numeric_limits<int>::min();
  constexpr double kHigh = std::numeric_limits<int>::max();
  return static_cast<int>(std::clamp(power, kLow, kHigh));
}

float GainOfPower(int64_t power) {
  int64_t clamped = std::clamp<int64_t>(power, -kMaxPulsePower, kMaxPulsePower);
  return static_cast<float>(static_cast<double>(clamped) / 100.0);
}

void AppendPower(std::string& text, int power) {
  text += std::to_string(power);
  text += ' ';
}

}  // namespace orvane
