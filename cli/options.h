// The command line of orvane-cli, parsed into what to do. Parsing does no
// file work; a usage error is a message and exit status 2.
#pragma once

#include <string>
#include <vector>

namespace orvane::cli {

enum class Command { ToAscii, FromAscii, Power, Check, Info, Stats, Diff, Repair, Salvage, Help, Version };

struct Options {
  Command command = Command::Help;
  bool labelled = true;  // false with --no-headers
  unsigned jobs = 0;     // 0: one per core
  bool trace = false;
  bool quiet = false;
  // to-ascii: text files go in place as they are complete, even when the
  // run fails (--keep-partial)
  bool keepPartial = false;
  // to-ascii: every real with the digits that give back its bits (--exact)
  bool exact = false;
  // to-ascii, from-ascii: the folder the new files go to (-o); empty:
  // beside the input. repair, salvage: the file to write (-o OUT).
  std::string outputDir;
  // info, check, power, stats, diff, repair, salvage: JSON on standard
  // output instead of text (--json)
  // from-ascii: refuse a text set with any diagnostic (--strict)
  bool strict = false;
  // stats, diff: JSON on standard output instead of a table (--json)
  bool json = false;
  // diff: samples further apart than this differ (--tolerance)
  double tolerance = 0;
  // FILE..., for power FILE and the values to set, for stats FILE and the
  // records to show, for diff the two files.
  std::vector<std::string> operands;
};

struct ParsedCommandLine {
  Options options;
  std::string usageError;  // empty when the command line is sound
};

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args);

// The full --help text, the --version text and the hint after a usage error.
std::string HelpText();
std::string VersionText();
constexpr char kUsageHint[] = "Try 'orvane-cli --help' for more information.\n";

}  // namespace orvane::cli
