// Pulse power: the GAIN of every T record of a pulse file in whole
// hundredths, shown as text ("50 -20 100 ") and set in place. The file is
// validated once per command; each record set is written and sealed by
// itself, so the file is valid after every record.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "orvane/messages.h"
#include "orvane/reporter.h"

namespace orvane {

// A T record whose GAIN has no whole number of hundredths an int holds
// (NaN, an infinity, or a value beyond about ±21474836): the text still
// shows one value for it, so that the values keep their places for "Set",
// and this says which value stands in for what.
struct PowerWarning {
  std::string record;  // "T0", "T1", ...
  float gain = 0;      // the GAIN as the file holds it
  int shown = 0;       // the value the text shows in its place
  // "GAIN nan has no pulse power; shown as 0"
  std::string text;
};

struct PowerReading {
  Outcome outcome;
  // The text "Get Pulse Power" shows, one "%d " per T record read; nothing
  // when there is nothing to show. After a record that cannot be read it
  // holds the values read before it.
  std::optional<std::string> text;
  std::vector<int> powers;  // the same values as numbers
  // One per T record whose value stands in for a GAIN without one, in
  // record order; the outcome is not changed by them.
  std::vector<PowerWarning> warnings;
};

// fileName as typed (base-name rule); the pulse file is BASE.spf.
PowerReading GetPulsePower(const std::string& fileName, ConversionReporter& reporter);

// Sets T records 0, 1, ... from the blank-separated integers of text
// (clamped to -100..100). A text with a token that is not an integer sets
// nothing. A text without values, or a file without T records, sets
// nothing and shows nothing: the outcome is then None with an empty message.
Outcome SetPulsePower(const std::string& fileName, const std::string& text, ConversionReporter& reporter);

}  // namespace orvane
