#include "options.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <optional>

#include "orvane/messages.h"

namespace orvane::cli {

namespace {

struct CommandName {
  const char* name;
  Command command;
};
constexpr CommandName kCommands[] = {
    {"to-ascii", Command::ToAscii}, {"from-ascii", Command::FromAscii},
    {"power", Command::Power},      {"check", Command::Check},
    {"info", Command::Info},        {"stats", Command::Stats},
    {"diff", Command::Diff},        {"repair", Command::Repair},
    {"salvage", Command::Salvage},
};

std::optional<Command> CommandNamed(const std::string& name) {
  for (const auto& entry : kCommands)
    if (name == entry.name) return entry.command;
  return std::nullopt;
}

// The first word of a power command's VALUEs that is not one or more whole
// numbers ("50", "-20", "+7"); nothing when every word is. A blank word is
// refused too: it would otherwise vanish from the values and shift every
// later one onto the record before its own.
std::optional<std::string> BadPowerValue(const std::vector<std::string>& operands) {
  for (size_t i = 1; i < operands.size(); ++i) {
    const std::string& word = operands[i];
    bool anyValue = false, good = true;
    for (size_t at = 0; at < word.size() && good;) {
      if (std::isspace(static_cast<unsigned char>(word[at]))) {
        ++at;
        continue;
      }
      size_t end = at + ((word[at] == '+' || word[at] == '-') ? 1 : 0);
      const size_t digits = end;
      while (end < word.size() && std::isdigit(static_cast<unsigned char>(word[end]))) ++end;
      good = end > digits && (end == word.size() || std::isspace(static_cast<unsigned char>(word[end])));
      anyValue = true;
      at = end;
    }
    if (!good || !anyValue) return word;
  }
  return std::nullopt;
}

const char* NameOf(Command command) {
  for (const auto& entry : kCommands)
    if (entry.command == command) return entry.name;
  return "";
}

// "-20" is a power value, never an option: no option begins with a digit.
bool LooksLikeOption(const std::string& arg) {
  return arg.size() > 1 && arg[0] == '-' && !(arg[1] >= '0' && arg[1] <= '9');
}

std::optional<unsigned> ParseJobs(const std::string& text) {
  unsigned value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value == 0 || value > 1024)
    return std::nullopt;
  return value;
}

// A tolerance: a number that is not negative ("0.5", "1e-3", "inf").
std::optional<double> ParseTolerance(const std::string& text) {
  double value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || !(value >= 0)) return std::nullopt;
  return value;
}

// The first of stats's RECORDs that is not a record name: T, R or I and a
// number from 0 ("T0", "R12").
std::optional<std::string> BadRecordName(const std::vector<std::string>& operands) {
  for (size_t i = 1; i < operands.size(); ++i) {
    const std::string& name = operands[i];
    uint32_t number = 0;
    const char* digits = name.data() + 1;
    const char* end = name.data() + name.size();
    const bool good = name.size() > 1 && (name[0] == 'T' || name[0] == 'R' || name[0] == 'I') &&
                      std::isdigit(static_cast<unsigned char>(*digits)) &&
                      std::from_chars(digits, end, number).ptr == end;
    if (!good) return name;
  }
  return std::nullopt;
}

class Parser {
 public:
  explicit Parser(const std::vector<std::string>& args) : args_(args) {}

  ParsedCommandLine Run() {
    bool help = false, version = false;
    bool operandsOnly = false;
    // The whole line is read even after an error: --help and --version
    // anywhere on it win.
    for (index_ = 0; index_ < args_.size(); ++index_) {
      const std::string& arg = args_[index_];
      if (operandsOnly || !LooksLikeOption(arg)) {
        Operand(arg);
      } else if (arg == "--") {
        operandsOnly = true;
      } else if (arg == "--help" || arg == "-h") {
        help = true;
      } else if (arg == "--version") {
        version = true;
      } else {
        Option(arg);
      }
    }
    if (help) return Done(Command::Help);
    if (version) return Done(Command::Version);
    if (error_.empty()) CheckCommand();
    return {options_, error_};
  }

 private:
  ParsedCommandLine Done(Command command) {
    options_.command = command;
    return {options_, ""};
  }

  void Fail(const std::string& message) {
    if (error_.empty()) error_ = message;
  }

  void Operand(const std::string& arg) {
    if (haveCommand_ || !error_.empty()) {
      options_.operands.push_back(arg);
      return;
    }
    auto command = CommandNamed(arg);
    if (!command) {
      Fail("unknown command '" + arg + "'");
      return;
    }
    options_.command = *command;
    haveCommand_ = true;
  }

  void Option(const std::string& arg) {
    if (arg == "--no-headers") {
      noHeaders_ = true;
      options_.labelled = false;
    } else if (arg == "--strict") {
      options_.strict = true;
    } else if (arg == "--keep-partial") {
      options_.keepPartial = true;
    } else if (arg == "--exact") {
      options_.exact = true;
    } else if (arg == "--trace") {
      options_.trace = true;
    } else if (arg == "-q" || arg == "--quiet") {
      options_.quiet = true;
    } else if (arg == "--json") {
      options_.json = true;
    } else if (arg == "--tolerance" || arg.starts_with("--tolerance=")) {
      // No short form: ValueOf is given the long name twice.
      const std::string tolerance = *ValueOf(arg, "--tolerance", "--tolerance", "a number");
      tolerance_ = true;
      if (!tolerance.empty() || error_.empty()) Tolerance(tolerance);
    } else if (auto jobs = ValueOf(arg, "-j", "--jobs", "a number of jobs")) {
      if (!jobs->empty() || error_.empty()) Jobs(*jobs);
    } else if (arg == "--output" || arg.starts_with("--output=")) {
      // repair and salvage name their output file: -o OUT, or --output OUT,
      // which reads better than --output-dir for a file.
      const std::string file = *ValueOf(arg, "--output", "--output", "a file");
      if (!file.empty() || error_.empty()) OutputDir(file);
    } else if (auto folder = ValueOf(arg, "-o", "--output-dir", "a folder")) {
      if (!folder->empty() || error_.empty()) OutputDir(*folder);
    } else {
      Fail("unknown option '" + arg + "'");
    }
  }

  // The value of an option that takes one: "-j 4", "-j4", "--jobs 4" or
  // "--jobs=4". Nothing when arg is another option; a missing value is a
  // usage error (and gives an empty value).
  std::optional<std::string> ValueOf(const std::string& arg, const std::string& shortName,
                                     const std::string& longName, const std::string& what) {
    if (arg == shortName || arg == longName) {
      if (index_ + 1 < args_.size()) return args_[++index_];
      Fail("option '" + arg + "' needs " + what);
      return std::string();
    }
    if (arg.rfind(longName + "=", 0) == 0) return arg.substr(longName.size() + 1);
    if (arg.rfind(shortName, 0) == 0) return arg.substr(shortName.size());
    return std::nullopt;
  }

  void Jobs(const std::string& text) {
    auto jobs = ParseJobs(text);
    if (!jobs)
      Fail("invalid number of jobs '" + text + "' (1 to 1024)");
    else
      options_.jobs = *jobs;
  }

  void Tolerance(const std::string& text) {
    auto tolerance = ParseTolerance(text);
    if (!tolerance)
      Fail("invalid tolerance '" + text + "' (a number, 0 or more)");
    else
      options_.tolerance = *tolerance;
  }

  void OutputDir(const std::string& folder) {
    if (folder.empty())
      Fail("option '--output-dir' needs a folder");
    else
      options_.outputDir = folder;
  }

  void CheckCommand() {
    if (!haveCommand_) {
      Fail("no command given");
      return;
    }
    const Command command = options_.command;
    const std::string name = NameOf(command);
    const bool conversion = command == Command::ToAscii || command == Command::FromAscii;
    const bool mending = command == Command::Repair || command == Command::Salvage;
    // check reads text only for a header text name (NAME.pfh).
    const bool namesText = command == Command::Check &&
                           std::any_of(options_.operands.begin(), options_.operands.end(),
                                       [](const std::string& file) { return file.ends_with(".pfh"); });
    if (noHeaders_ && !conversion && !namesText) {
      Fail("option '--no-headers' does not apply to '" + name + "'");
    } else if (!options_.outputDir.empty() && !conversion && !mending) {
      Fail("option '--output-dir' does not apply to '" + name + "'");
    } else if (options_.strict && command != Command::FromAscii) {
      Fail("option '--strict' does not apply to '" + name + "'");
    } else if (options_.keepPartial && command != Command::ToAscii) {
      Fail("option '--keep-partial' does not apply to '" + name + "'");
    } else if (options_.exact && command != Command::ToAscii) {
      Fail("option '--exact' does not apply to '" + name + "'");
    } else if (options_.trace && !conversion && command != Command::Power) {
      Fail("option '--trace' does not apply to '" + name + "'");
    } else if (options_.json && (conversion || (command == Command::Power && options_.operands.size() > 1))) {
      Fail(command == Command::Power ? "option '--json' applies to 'power' only when it reads"
                                     : "option '--json' does not apply to '" + name + "'");
    } else if (tolerance_ && command != Command::Diff) {
      Fail("option '--tolerance' does not apply to '" + name + "'");
    } else if (options_.operands.empty()) {
      Fail("'" + name + "' needs a FILE");
    } else if (command == Command::Info && options_.operands.size() > 1 && !options_.json) {
      Fail("'info' takes one FILE (or several with --json)");
    } else if (mending && options_.operands.size() != 1) {
      Fail("'" + name + "' takes one FILE");
    } else if (mending && options_.outputDir.empty()) {
      Fail("'" + name + "' needs -o OUT, the file to write");
    } else if (command == Command::Diff && options_.operands.size() != 2) {
      Fail("'diff' takes two FILEs");
    } else if (auto record = command == Command::Stats ? BadRecordName(options_.operands) : std::nullopt) {
      Fail("invalid record name '" + *record + "' (T, R or I and a number, such as T0)");
    } else if (auto bad = command == Command::Power ? BadPowerValue(options_.operands) : std::nullopt) {
      Fail(FormatMessage(Failure::InvalidPowerValue, bad->c_str()));
    }
  }

  const std::vector<std::string>& args_;
  size_t index_ = 0;
  Options options_;
  std::string error_;
  bool haveCommand_ = false;
  bool noHeaders_ = false;
  bool tolerance_ = false;  // --tolerance given
};

}  // namespace

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args) { return Parser(args).Run(); }

}  // namespace orvane::cli
