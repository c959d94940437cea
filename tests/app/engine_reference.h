// The engine's own account of a command, run through the public engine API
// without a window: what the dialog's status line and progress bar are held
// against.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "orvane/convert.h"
#include "orvane/pulse_power.h"
#include "orvane/reporter.h"

namespace orvane::testing {

// Every report of a run, in order.
class ReportRecorder final : public ConversionReporter {
 public:
  void ShowStatus(const std::string& text) override {
    statuses.push_back(text);
    events.push_back("status: " + text);
  }
  void SetProgressPosition(int position) override {
    positions.push_back(position);
    events.push_back("progress: " + std::to_string(position));
  }
  std::string LastStatus() const { return statuses.empty() ? std::string() : statuses.back(); }
  // Where the bar stands after the run (0 when the run never moved it).
  int LastPosition() const { return positions.empty() ? 0 : positions.back(); }

  std::vector<std::string> statuses;
  std::vector<int> positions;
  std::vector<std::string> events;
};

inline ReportRecorder ConvertedByTheEngine(const std::string& fileName, bool toAscii, bool labelled) {
  ConversionRequest request;
  request.fileName = fileName;
  request.direction = toAscii ? Direction::ToText : Direction::FromText;
  request.labelled = labelled;
  ReportRecorder recorder;
  Convert(request, recorder);
  return recorder;
}

inline std::optional<std::string> PowersReadByTheEngine(const std::string& fileName) {
  SilentReporter silent;
  return GetPulsePower(fileName, silent).text;
}

}  // namespace orvane::testing
