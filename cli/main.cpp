// orvane-cli: the pulse file converter for scripts and batch jobs.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "commands.h"
#include "options.h"
#include "orvane/interruption.h"

namespace {

// Output that did not reach standard output (a full disk, a closed pipe) is
// a failure of the run, not a success.
int WithOutputChecked(int status) {
  if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0 || std::fclose(stdout) != 0) {
    std::fprintf(stderr, "orvane-cli: standard output: %s\n", std::strerror(errno));
    return status == 0 ? 1 : status;
  }
  return status;
}

int Run(int argc, char** argv) {
  using namespace orvane::cli;
  ParsedCommandLine parsed = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  if (!parsed.usageError.empty()) {
    std::fprintf(stderr, "orvane-cli: %s\n%s", parsed.usageError.c_str(), kUsageHint);
    return 2;
  }
  switch (parsed.options.command) {
    case Command::Help: std::fputs(HelpText().c_str(), stdout); return 0;
    case Command::Version: std::fputs(VersionText().c_str(), stdout); return 0;
    default: return RunCommand(parsed.options);
  }
}

}  // namespace

int main(int argc, char** argv) {
  // Before any thread starts: Ctrl-C and the like remove the run's
  // temporary files and end the program with 128 + the signal's number.
  orvane::InstallInterruptionHandler("orvane-cli: interrupted\n");
  return WithOutputChecked(Run(argc, argv));
}
