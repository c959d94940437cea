// The fault seam walked over every I/O call (see fault_walk.h) of an export
// and an import of every golden case in both layouts, and of a pulse power
// "Set". The export may leave each text file old or complete, or, after a
// failed read of the pulse file, with the lines it got; the import leaves
// the old pulse file unless it completed; the Set writes and seals each T
// record by itself, so the pulse file is the old one or the file of a
// completed record step, never a record header written without its seal.
#include <gtest/gtest.h>

#include "fault_walk.h"
#include "pulse_power_states.h"

namespace orvane::testing {
namespace {

// A walk by its name; it is made when its test runs.
struct WalkCase {
  std::string name;
  std::function<FaultWalk()> make;
};

std::vector<WalkCase> GoldenWalks() {
  std::vector<WalkCase> walks;
  for (const std::string& name : GoldenCaseNames()) {
    for (bool labelled : {true, false}) {
      const fs::path caseDir = GoldenDir() / name;
      const fs::path layoutDir = caseDir / (labelled ? "labelled" : "bare");
      const std::string what = name + (labelled ? " labelled" : " bare");
      walks.push_back({"export " + what, [=] {
                         FaultWalk walk =
                             ExportWalk("export " + what, ReadFile(caseDir / "data.spf"), labelled);
                         walk.expected = GoldenTexts(layoutDir);
                         return walk;
                       }});
      walks.push_back({"import " + what, [=] {
                         FaultWalk walk = ImportWalk("import " + what, GoldenTexts(layoutDir),
                                                     ReadFile(caseDir / "data.spf") + "old", labelled);
                         walk.expected = {{"data.spf", ReadFile(layoutDir / "data.spf")}};
                         return walk;
                       }});
    }
  }
  return walks;
}

FaultWalk SetWalk() {
  const std::string original = GeneratedPulseFile(3, 41, 7);
  const std::vector<int> values = {50, -20, 100};
  FaultWalk walk{"set", {{"data.spf", original}}, [values](RecordedConverter& run, const fs::path& dir) {
                   run.SetPulsePower((dir / "data.spf").string(), PowerText(values));
                 }};
  walk.mayLeave = [states = SetStates(original, values)](const FaultedRun&, const std::string& name,
                                                         const std::optional<std::string>& now) {
    return name == "data.spf" && now && StepOf(*now, states) >= 0;
  };
  return walk;
}

void PrintTo(const WalkCase& walk, std::ostream* out) { *out << walk.name; }

class FaultWalkOf : public ::testing::TestWithParam<WalkCase> {};

TEST_P(FaultWalkOf, EveryFailingCallLeavesEveryFileOldOrAsTheOperationMayLeaveIt) { Walk(GetParam().make()); }

std::vector<WalkCase> AllWalks() {
  std::vector<WalkCase> walks = GoldenWalks();
  walks.push_back({"set", SetWalk});
  return walks;
}

INSTANTIATE_TEST_SUITE_P(Operations, FaultWalkOf, ::testing::ValuesIn(AllWalks()),
                         [](const auto& testInfo) { return TestNameOf(testInfo.param.name); });

}  // namespace
}  // namespace orvane::testing
