#include "pulse_power_states.h"

#include <gtest/gtest.h>

namespace orvane::testing {

std::string PowerText(const std::vector<int>& values) {
  std::string text;
  for (int v : values) text += std::to_string(v) + " ";
  return text;
}

std::vector<std::string> SetStates(const std::string& original, const std::vector<int>& values) {
  std::vector<std::string> states = {original};
  for (size_t j = 1; j <= values.size(); ++j) {
    ScratchDir dir;
    WriteFile(dir / "data.spf", original);
    RecordedConverter run;
    run.SetPulsePower(dir / "data.spf", PowerText({values.begin(), values.begin() + static_cast<long>(j)}));
    EXPECT_EQ(LastStatus(run.trace), "conversion complete");
    states.push_back(ReadFile(dir / "data.spf"));
  }
  return states;
}

int StepOf(const std::string& file, const std::vector<std::string>& states) {
  for (size_t j = 0; j < states.size(); ++j)
    if (file == states[j]) return static_cast<int>(j);
  return -1;
}

}  // namespace orvane::testing
