#include "mend.h"

#include <cstdio>

#include "json_reports.h"
#include "orvane/convert.h"
#include "orvane/repair.h"
#include "printable.h"
#include "run_log.h"

namespace orvane::cli {

namespace {

JsonValue ProblemsJson(const FoundProblems& found) {
  JsonValue problems = JsonValue::array();
  for (const FoundProblem& p : found) problems.push_back(ProblemJson(p.what, p.record, p.offset));
  return problems;
}

// "FILE: TEXT" lines of a report.
std::string Line(const std::string& file, const std::string& text) {
  return Printable(file + ": " + text) + "\n";
}

std::string RepairText(const std::string& file, const std::string& out, const RepairResult& r) {
  std::string text;
  for (const FoundProblem& p : r.found) text += Line(file, p.what.message);
  if (r.sealBytes == 0) return text + Line(file, "no fault found; copied unchanged to " + out);
  return text + Line(file, "resealed as " + out + ": " + std::to_string(r.sealBytes) + " bytes appended");
}

JsonValue RepairJson(const std::string& file, const std::string& out, const RepairResult& r) {
  return {{"file", file}, {"output", out},           {"problems", ProblemsJson(r.found)},
          {"sum", r.sum}, {"appended", r.sealBytes}, {"length", r.length}};
}

std::string SalvageText(const std::string& file, const std::string& out, const SalvageResult& r) {
  std::string text;
  // Record problems are told with the record they dropped.
  for (const FoundProblem& p : r.found)
    if (p.record.empty()) text += Line(file, p.what.message);
  for (const DroppedRecord& d : r.dropped) {
    const std::string where = d.offset ? ", offset " + std::to_string(*d.offset) : "";
    text +=
        Line(file, "dropped " + d.name + " (table entry " + std::to_string(d.entry) + where + "): " + d.why);
  }
  for (const KeptRecord& k : r.kept)
    if (k.from != k.to) text += Line(file, "kept " + k.from + " as " + k.to);
  const size_t total = r.kept.size() + r.dropped.size();
  return text + Line(file, "salvaged " + std::to_string(r.kept.size()) + " of " + std::to_string(total) +
                               " records into " + out);
}

JsonValue SalvageJson(const std::string& file, const std::string& out, const SalvageResult& r) {
  JsonValue kept = JsonValue::array(), dropped = JsonValue::array();
  for (const KeptRecord& k : r.kept)
    kept.push_back({{"record", k.from}, {"as", k.to}, {"samples", k.samples}});
  for (const DroppedRecord& d : r.dropped)
    dropped.push_back({{"record", d.name},
                       {"entry", d.entry},
                       {"offset", d.offset ? JsonValue(*d.offset) : JsonValue()},
                       {"reason", d.why}});
  return {{"file", file}, {"output", out},      {"problems", ProblemsJson(r.found)},
          {"kept", kept}, {"dropped", dropped}, {"length", r.length}};
}

int Report(const std::string& file, const Outcome& outcome, const std::string& out) {
  if (!outcome.ok()) {
    const std::string message =
        outcome.reason.empty() ? outcome.message : outcome.message + ": " + outcome.reason;
    std::fputs(MessageLines(file, {message}).c_str(), stderr);
    return 1;
  }
  std::fputs(out.c_str(), stdout);
  return 0;
}

}  // namespace

int RunMend(const Options& options) {
  const std::string& file = options.operands.front();
  const std::string input = DeriveBaseName(file) + ".spf";
  const std::string& out = options.outputDir;
  if (options.command == Command::Repair) {
    const RepairResult r = RepairPulseFile(input, out);
    return Report(file, r.outcome,
                  options.json ? JsonLine(RepairJson(file, out, r)) : RepairText(input, out, r));
  }
  const SalvageResult r = SalvagePulseFile(input, out);
  return Report(file, r.outcome,
                options.json ? JsonLine(SalvageJson(file, out, r)) : SalvageText(input, out, r));
}

}  // namespace orvane::cli
