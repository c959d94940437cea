// Runs one engine operation for the benchmarks, with the same arguments as
// naive_convert, so that run_bench.sh can time both alike. Status messages
// and progress steps are dropped; the exit status tells whether the
// operation succeeded.
//
// Usage: orvane_bench export|import BASE labelled|bare
//        orvane_bench export BASE labelled|bare exact
//        orvane_bench validate FILE.spf
//        orvane_bench get BASE
//        orvane_bench set BASE "VALUES"
// Exit status: 0 success, 1 failure, 2 usage.
#include <cstdio>
#include <string>

#include "orvane/convert.h"
#include "orvane/pulse_file.h"
#include "orvane/pulse_power.h"
#include "tool_command.h"

namespace {

int Finish(const orvane::Outcome& outcome) {
  if (outcome.ok()) return 0;
  std::fprintf(stderr, "orvane_bench: %s\n", outcome.message.c_str());
  return 1;
}

int Convert(const std::string& base, bool toAscii, bool labelled, bool exact = false) {
  orvane::SilentReporter reporter;
  orvane::ConversionRequest request;
  request.exact = exact;
  request.fileName = base + ".spf";
  request.direction = toAscii ? orvane::Direction::ToText : orvane::Direction::FromText;
  request.labelled = labelled;
  return Finish(orvane::Convert(request, reporter));
}

int PulsePower(const std::string& base, const std::string* setText) {
  orvane::SilentReporter reporter;
  if (setText) return Finish(orvane::SetPulsePower(base + ".spf", *setText, reporter));
  orvane::PowerReading reading = orvane::GetPulsePower(base + ".spf", reporter);
  if (!reading.text) return Finish(reading.outcome);
  std::printf("%s\n", reading.text->c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  // "export BASE LAYOUT exact": the exact layout (to-ascii --exact), which
  // the naive tool has not.
  if (argc == 5 && std::string(argv[1]) == "export" && std::string(argv[4]) == "exact") {
    auto tool = ParseToolCommand(4, argv);
    if (!tool) return ToolUsage(argv[0]);
    return Convert(tool->target, true, tool->labelled, true);
  }
  auto tool = ParseToolCommand(argc, argv);
  if (!tool) return ToolUsage(argv[0]);
  switch (tool->kind) {
    case ToolCommand::Kind::Export: return Convert(tool->target, true, tool->labelled);
    case ToolCommand::Kind::Import: return Convert(tool->target, false, tool->labelled);
    case ToolCommand::Kind::Validate: return orvane::ValidatePulseFile(tool->target) == 1 ? 0 : 1;
    case ToolCommand::Kind::Get: return PulsePower(tool->target, nullptr);
    case ToolCommand::Kind::Set: return PulsePower(tool->target, &tool->values);
  }
  return 2;
}
