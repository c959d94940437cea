#include "stats.h"

#include <cinttypes>
#include <cstdio>
#include <vector>

#include "file_check.h"
#include "json_numbers.h"
#include "orvane/analysis.h"
#include "orvane/convert.h"
#include "printable.h"
#include "run_log.h"

namespace orvane::cli {

namespace {

bool IsInt16(const RecordStats& stats) { return DescribeRecord(stats.type).sample == SampleType::Int16; }

// A figure of a column: "-" when it does not apply to the record's kind.
std::string Count(bool applies, uint64_t value) { return applies ? std::to_string(value) : "-"; }

std::string Real(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.9g", value);
  return text;
}

std::string TableHeading() {
  char line[200];
  std::snprintf(line, sizeof line, "%-6s %10s %15s %15s %15s %15s %20s %8s %8s %8s %8s\n", "Record",
                "Samples", "Minimum", "Maximum", "Mean", "RMS", "Sum", "NaN", "Inf", "-32768", "32767");
  return line;
}

std::string TableLine(const RecordStats& s) {
  const bool int16 = IsInt16(s);
  char line[256];
  std::snprintf(line, sizeof line, "%-6s %10" PRIu64 " %15s %15s %15s %15s %20s %8s %8s %8s %8s\n",
                s.name.c_str(), s.count, Real(s.minimum).c_str(), Real(s.maximum).c_str(),
                Real(s.mean).c_str(), Real(s.rms).c_str(), int16 ? std::to_string(s.sum).c_str() : "-",
                Count(!int16, s.nanCount).c_str(), Count(!int16, s.infiniteCount).c_str(),
                Count(int16, s.atMinimumLimit).c_str(), Count(int16, s.atMaximumLimit).c_str());
  return line;
}

JsonValue JsonRecord(const RecordStats& s) {
  JsonValue record = {{"record", s.name},
                      {"kind", std::string(1, DescribeRecord(s.type).letter)},
                      {"number", s.number},
                      {"samples", s.count},
                      {"minimum", JsonReal(s.minimum)},
                      {"maximum", JsonReal(s.maximum)},
                      {"mean", JsonReal(s.mean)},
                      {"rms", JsonReal(s.rms)}};
  if (IsInt16(s)) {
    record["sum"] = s.sum;
    record["at_minimum_limit"] = s.atMinimumLimit;
    record["at_maximum_limit"] = s.atMaximumLimit;
  } else {
    record["nan"] = s.nanCount;
    record["infinite"] = s.infiniteCount;
  }
  return record;
}

// The records named by the operands after the file, in that order; every
// record when none is named. Empty and *missing set when a name has no record.
std::vector<const RecordView*> Chosen(const PulseFileView& view, const std::vector<std::string>& operands,
                                      std::string* missing) {
  std::vector<const RecordView*> chosen;
  if (operands.size() == 1)
    for (const RecordView& record : view.Records()) chosen.push_back(&record);
  for (size_t i = 1; i < operands.size(); ++i) {
    const RecordView* found = nullptr;
    for (const RecordView& record : view.Records())
      if (record.Name() == operands[i]) found = &record;
    if (!found) {
      *missing = operands[i];
      return {};
    }
    chosen.push_back(found);
  }
  return chosen;
}

int Fail(const std::string& file, const std::string& message) {
  std::fputs(MessageLines(file, {message}).c_str(), stderr);
  return 1;
}

}  // namespace

int RunStats(const Options& options) {
  const std::string& file = options.operands.front();
  std::string failure;
  auto view = OpenForReading(DeriveBaseName(file) + ".spf", &failure);
  if (!view) return Fail(file, failure);
  std::string missing;
  const std::vector<const RecordView*> chosen = Chosen(*view, options.operands, &missing);
  if (!missing.empty()) return Fail(file, "no record " + missing);

  std::string table = TableHeading();
  JsonValue records = JsonValue::array();
  for (const RecordView* record : chosen) {
    const std::optional<RecordStats> stats = StatsOf(*view, *record);
    if (!stats) {
      const Outcome why = ChangedWhileRead(*view);
      return Fail(file, why.message + ": " + why.reason);
    }
    table += TableLine(*stats);
    records.push_back(JsonRecord(*stats));
  }
  const std::string out = options.json ? JsonText({{"file", file}, {"records", records}}) : table;
  std::fputs(out.c_str(), stdout);
  return 0;
}

}  // namespace orvane::cli
