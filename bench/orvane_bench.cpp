// Runs one engine operation for the benchmarks, with the same arguments as
// naive_convert, so that run_bench.sh can time both alike. Status messages
// and progress steps are dropped; the exit status tells whether the
// operation succeeded.
//
// Usage: orvane_bench export|import BASE labelled|bare
//        orvane_bench validate FILE.spf
//        orvane_bench get BASE
//        orvane_bench set BASE "VALUES"
// Exit status: 0 success, 1 failure, 2 usage.
#include <cstdio>
#include <string>

#include "conversion_reporter.h"
#include "pulse_converter.h"
#include "pulse_file.h"
#include "tool_command.h"

namespace {

class SilentReporter : public orvane::ConversionReporter {
 public:
  void ShowStatus(const std::string&) override {}
  void SetProgressPosition(int) override {}
};

constexpr char kComplete[] = "conversion complete";

int Finish(const orvane::CPulseFileConverter& converter) {
  if (converter.m_strStatus == kComplete) return 0;
  std::fprintf(stderr, "orvane_bench: %s\n", converter.m_strStatus.c_str());
  return 1;
}

int Convert(const std::string& base, bool toAscii, bool labelled) {
  SilentReporter reporter;
  orvane::CPulseFileConverter converter(reporter);
  converter.m_strFileName = base + ".spf";
  converter.m_bToAscii = toAscii ? 1 : 0;
  converter.m_bHeaders = labelled ? 1 : 0;
  converter.OnConvert();
  return Finish(converter);
}

int PulsePower(const std::string& base, const std::string* setText) {
  SilentReporter reporter;
  orvane::CPulseFileConverter converter(reporter);
  converter.m_strFileName = base + ".spf";
  if (setText) {
    converter.SetPulsePower(*setText);
    return Finish(converter);
  }
  std::optional<std::string> text = converter.GetPulsePower();
  if (!text) return Finish(converter);
  std::printf("%s\n", text->c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
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
