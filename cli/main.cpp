// orvane-cli: the pulse file converter for scripts and batch jobs.
#include <cstdio>
#include <string>
#include <vector>

#include "commands.h"
#include "options.h"

int main(int argc, char** argv) {
  using namespace orvane::cli;
  ParsedCommandLine parsed = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  if (!parsed.usageError.empty()) {
    std::fprintf(stderr, "orvane-cli: %s\n%s", parsed.usageError.c_str(), kUsageHint);
    return 2;
  }
  switch (parsed.options.command) {
    case Command::Help: std::fputs(HelpText(), stdout); return 0;
    case Command::Version: std::fputs(VersionText().c_str(), stdout); return 0;
    default: return RunCommand(parsed.options);
  }
}
