#include "commands.h"

#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>

#include "batch.h"
#include "console.h"
#include "diff.h"
#include "file_check.h"
#include "info.h"
#include "json_reports.h"
#include "mend.h"
#include "orvane/convert.h"
#include "orvane/pulse_power.h"
#include "output_clashes.h"
#include "printable.h"
#include "run_log.h"
#include "stats.h"

namespace orvane::cli {

namespace {

using namespace std::chrono_literals;
// A run must last this long before its progress is shown.
constexpr auto kProgressDelay = 500ms;

using RunOne = std::function<RunResult(const std::string& file, Console& console)>;

// The status texts stay as the engine has them; on standard error the
// first failure also says why the system refused ("...: No space left on
// device").
void AddReason(RunResult& result, const Outcome& outcome) {
  if (outcome.reason.empty()) return;
  for (std::string& message : result.messages) {
    if (message == outcome.message) {
      message += ": " + outcome.reason;
      return;
    }
  }
}

// A run that failed without a message of its own still says so.
void NoteSilentFailure(RunResult& result, const Outcome& outcome) {
  AddReason(result, outcome);
  if (!result.ok && result.messages.empty())
    result.messages.push_back(outcome.message.empty() ? MessageFormat(Failure::Incomplete) : outcome.message);
}

bool IsConversion(const Options& options) {
  return options.command == Command::ToAscii || options.command == Command::FromAscii;
}

ConversionRequest RequestFor(const Options& options, unsigned recordThreads, const std::string& file) {
  ConversionRequest request;
  request.fileName = file;
  request.direction = options.command == Command::ToAscii ? Direction::ToText : Direction::FromText;
  request.labelled = options.labelled;
  request.threads = recordThreads;
  request.keepPartial = options.keepPartial;
  request.outputDir = options.outputDir;
  request.exact = options.exact;
  request.strict = options.strict;
  return request;
}

RunResult Convert(const Options& options, unsigned recordThreads, const std::string& file, Console& console) {
  RunLog log(options.trace, console, file);
  const Outcome outcome = orvane::Convert(RequestFor(options, recordThreads, file), log);
  RunResult result{log.Trace(), log.Failures(), outcome.ok(), {}, log.ExportWarnings(), log.TakeDiagnostics()};
  NoteSilentFailure(result, outcome);
  return result;
}

// check NAME.pfh checks the text set when NAME.pfh is there: every other
// spelling (NAME, NAME.spf) names the pulse file, so the header text's own
// name written out asks for the text. Without that file NAME.pfh names the
// pulse file, as in every other command.
bool NamesTextSet(const std::string& file) {
  struct stat st {};
  return file.size() > 4 && file.ends_with(".pfh") && ::stat(file.c_str(), &st) == 0;
}

// The text set of an import read as from-ascii would read it, nothing
// written: clean when it fails nowhere and has no diagnostic.
RunResult CheckTextSet(const Options& options, const std::string& file, Console& console) {
  RunLog log(false, console, file);
  ConversionRequest request = RequestFor(options, 1, file);
  request.direction = Direction::FromText;
  const Outcome outcome = CheckText(request, log);
  RunResult result;
  result.diagnostics = log.TakeDiagnostics();
  result.ok = outcome.ok() && result.diagnostics.empty();
  if (!outcome.ok()) {
    result.messages = log.Failures();
    NoteSilentFailure(result, outcome);
  } else if (!result.diagnostics.empty()) {
    const size_t count = result.diagnostics.size();
    result.messages.push_back("the text does not match its fields (" + std::to_string(count) +
                              (count == 1 ? " diagnostic)" : " diagnostics)"));
  } else if (!options.quiet) {
    result.out = Printable(file) + ": OK\n";
  }
  return result;
}

RunResult Check(const Options& options, const std::string& file, Console& console) {
  if (NamesTextSet(file)) return CheckTextSet(options, file, console);
  RunResult result;
  std::string failure;
  if (OpenForReading(DeriveBaseName(file) + ".spf", &failure)) {
    result.ok = true;
    if (!options.quiet) result.out = Printable(file) + ": OK\n";
  } else {
    result.messages.push_back(failure);
  }
  return result;
}

// check --json: every problem the structure check finds, not only the
// first, at the cost of the same one pass over the file.
RunResult CheckAsJson(const std::string& file) {
  RunResult result;
  Outcome why;
  const auto view = PulseFileView::Open(DeriveBaseName(file) + ".spf", PulseFileView::Verify::Salvage, &why);
  std::vector<JsonValue> problems;
  if (!view) problems.push_back(FailureJson(why));
  for (const StructureProblem& problem : view ? view->Problems() : std::vector<StructureProblem>{})
    problems.push_back(ProblemJson(*view, problem));
  result.ok = problems.empty();
  result.out = JsonLine(CheckJson(file, problems));
  return result;
}

RunResult InfoAsJson(const std::string& file) {
  RunResult result;
  std::string failure;
  const auto view = OpenForReading(DeriveBaseName(file) + ".spf", &failure);
  if (!view) {
    result.messages.push_back(failure);
    return result;
  }
  result.ok = true;
  result.out = JsonLine(InfoJson(file, *view));
  return result;
}

std::string JoinValues(const std::vector<std::string>& operands) {
  std::string text;
  for (size_t i = 1; i < operands.size(); ++i) text += (i > 1 ? " " : "") + operands[i];
  return text;
}

RunResult Power(const Options& options, const std::string& file, Console& console) {
  RunLog log(options.trace, console, file);
  RunResult result;
  Outcome outcome;
  if (options.operands.size() == 1) {
    PowerReading reading = GetPulsePower(file, log);
    outcome = reading.outcome;
    result.ok = reading.text.has_value() && outcome.ok();
    if (options.json)
      result.out = log.Trace() + (result.ok ? JsonLine(PowerJson(file, reading)) : "");
    else
      result.out = log.Trace() + (reading.text ? *reading.text + "\n" : "");
    for (const PowerWarning& warning : reading.warnings)
      result.warnings.push_back(warning.record + ": " + warning.text);
  } else {
    outcome = SetPulsePower(file, JoinValues(options.operands), log);
    // A text without values, or a file without T records, sets nothing and
    // shows no status.
    result.ok = outcome.ok();
    result.out = log.Trace();
    if (result.ok && !options.quiet && !outcome.message.empty()) result.out += outcome.message + "\n";
  }
  result.messages = log.Failures();
  NoteSilentFailure(result, outcome);
  return result;
}

// recordThreads: the threads each conversion may use for its records.
RunOne RunnerFor(const Options& options, unsigned recordThreads) {
  switch (options.command) {
    case Command::ToAscii:
    case Command::FromAscii:
      return [&options, recordThreads](const std::string& file, Console& console) {
        return Convert(options, recordThreads, file, console);
      };
    case Command::Check:
      if (options.json) return [](const std::string& file, Console&) { return CheckAsJson(file); };
      return [&](const std::string& file, Console& console) { return Check(options, file, console); };
    case Command::Power:
      return [&](const std::string& file, Console& console) { return Power(options, file, console); };
    case Command::Info:
      if (options.json) return [](const std::string& file, Console&) { return InfoAsJson(file); };
      return [](const std::string& file, Console&) { return DescribePulseFile(file); };
    case Command::Stats:
    case Command::Diff:
    case Command::Repair:
    case Command::Salvage:
    case Command::Help:
    case Command::Version: break;
  }
  return nullptr;
}

// The files a command works on: power's later operands are values.
std::vector<std::string> FilesOf(const Options& options) {
  if (options.command == Command::Power) return {options.operands.front()};
  return options.operands;
}

// The jobs that touch the same files must not run side by side: a pulse
// file and its text files share a base name, and a conversion's files are
// where its output base resolves to, however it is spelled.
std::vector<std::string> FilesTouched(const Options& options, const std::vector<std::string>& files) {
  std::vector<std::string> keys;
  for (const std::string& file : files)
    keys.push_back(IsConversion(options) ? ResolvedOutputBase(RequestFor(options, 0, file))
                                         : DeriveBaseName(file));
  return keys;
}

// Two inputs that would write the same files refuse the whole batch before
// anything is written: run in turn, the later would replace part of the
// earlier's files.
bool OutputsClash(const Options& options, const std::vector<std::string>& files) {
  if (!IsConversion(options)) return false;
  std::vector<ConversionRequest> requests;
  for (const std::string& file : files) requests.push_back(RequestFor(options, 0, file));
  const std::vector<OutputClash> clashes = FindOutputClashes(requests);
  for (const OutputClash& clash : clashes)
    std::fprintf(stderr, "orvane-cli: %s and %s would both write %s\n", Printable(clash.first).c_str(),
                 Printable(clash.second).c_str(), Printable(clash.output).c_str());
  return !clashes.empty();
}

// The output folder must be there before any run starts.
bool OutputFolderMissing(const Options& options) {
  if (options.outputDir.empty()) return false;
  struct stat st {};
  const int error = ::stat(options.outputDir.c_str(), &st) == 0 ? (S_ISDIR(st.st_mode) ? 0 : ENOTDIR) : errno;
  if (error == 0) return false;
  const char* reason = std::strerror(error);
  std::fprintf(stderr, "orvane-cli: output folder %s: %s\n", Printable(options.outputDir).c_str(), reason);
  return true;
}

// The files a conversion run side by side with others has open at most
// (pulse file, header text, a record's input and output and their locks),
// and the descriptors kept for the program itself.
constexpr rlim_t kDescriptorsPerJob = 8;
constexpr rlim_t kDescriptorsKept = 16;

// As many jobs as the descriptor limit lets run at once: more would fail
// with "Too many open files" instead of waiting their turn.
unsigned BoundedJobCount(unsigned wanted) {
  rlimit limit{};
  if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return wanted;
  const rlim_t room = limit.rlim_cur > kDescriptorsKept ? limit.rlim_cur - kDescriptorsKept : 0;
  const rlim_t allowed = std::max<rlim_t>(1, room / kDescriptorsPerJob);
  return static_cast<unsigned>(std::min<rlim_t>(wanted, allowed));
}

}  // namespace

int RunCommand(const Options& options) {
  // One or two files read, printed as one result, with statuses of their own.
  if (options.command == Command::Stats) return RunStats(options);
  if (options.command == Command::Diff) return RunDiff(options);
  if (options.command == Command::Repair || options.command == Command::Salvage) return RunMend(options);
  if (OutputFolderMissing(options)) return 1;
  const std::vector<std::string> files = FilesOf(options);
  if (OutputsClash(options, files)) return 1;
  const std::vector<std::string> keys = FilesTouched(options, files);
  const unsigned jobCount = BoundedJobCount(options.jobs != 0 ? options.jobs : DefaultJobCount());
  // Files converted side by side share the cores already.
  const bool sideBySide = files.size() > 1 && jobCount > 1;
  // 0 leaves the record threads to the engine, which keeps a small file on one.
  const RunOne runOne = RunnerFor(options, sideBySide ? 1 : 0);
  Console console(stdout, stderr, !options.quiet && ErrorIsTerminal(), kProgressDelay, files.size());
  const bool labelFiles = options.trace && files.size() > 1;
  bool allOk = true;

  BatchJobs jobs;
  jobs.count = files.size();
  // Names with the same base name are one pulse file and its text files.
  jobs.key = [&](size_t i) { return keys[i]; };
  jobs.run = [&](size_t i) {
    RunResult result = runOne(files[i], console);
    console.RunEnded(files[i]);
    return result;
  };
  jobs.done = [&](size_t i, RunResult& result) {
    if (labelFiles) result.out = "file: " + Printable(files[i]) + "\n" + result.out;
    console.Emit(result.out, WarningLines(result.exportWarnings) + WarningLines(files[i], result.warnings) +
                                 DiagnosticLines(result.diagnostics) +
                                 MessageLines(files[i], result.messages));
    allOk = allOk && result.ok;
  };
  RunBatch(jobs, jobCount);
  console.Finish();
  return allOk ? 0 : 1;
}

}  // namespace orvane::cli
