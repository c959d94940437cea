#include "diff.h"

#include <cinttypes>
#include <cstdio>

#include "file_check.h"
#include "json_numbers.h"
#include "orvane/analysis.h"
#include "orvane/convert.h"
#include "printable.h"
#include "run_log.h"

namespace orvane::cli {

namespace {

constexpr int kEqual = 0, kDifferent = 1, kTrouble = 2;

std::string Real(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.9g", value);
  return text;
}

// Each field as two lines, as diff shows a changed line: "< " the first
// file's value, "> " the second's.
std::string FieldLines(const FieldDifference& field) {
  return field.where + " " + field.label + ":\n< " + Printable(field.first) + "\n> " +
         Printable(field.second) + "\n";
}

std::string RecordLines(const RecordComparison& record, const std::string& first, const std::string& second) {
  std::string text;
  if (record.firstCount != record.secondCount)
    text += record.name + ": " + std::to_string(record.firstCount) + " samples in " + first + ", " +
            std::to_string(record.secondCount) + " in " + second + "\n";
  if (record.differing != 0)
    text += record.name + ": " + std::to_string(record.differing) + " samples differ, the first at " +
            std::to_string(*record.firstIndex) + ", largest difference " + Real(record.largest) + "\n";
  return text;
}

std::string Lines(const PulseFileDiff& diff, const std::string& first, const std::string& second) {
  std::string text;
  for (const FieldDifference& field : diff.fields) text += FieldLines(field);
  for (const std::string& name : diff.onlyInFirst) text += name + ": only in " + first + "\n";
  for (const std::string& name : diff.onlyInSecond) text += name + ": only in " + second + "\n";
  for (const RecordComparison& record : diff.records) text += RecordLines(record, first, second);
  return text;
}

JsonValue Json(const PulseFileDiff& diff, const Options& options) {
  JsonValue fields = JsonValue::array(), records = JsonValue::array();
  for (const FieldDifference& field : diff.fields)
    fields.push_back(
        {{"where", field.where}, {"field", field.label}, {"first", field.first}, {"second", field.second}});
  for (const RecordComparison& record : diff.records)
    records.push_back({{"record", record.name},
                       {"first_samples", record.firstCount},
                       {"second_samples", record.secondCount},
                       {"differing", record.differing},
                       {"first_index", record.firstIndex ? JsonValue(*record.firstIndex) : JsonValue()},
                       {"largest_difference", JsonReal(record.largest)}});
  return {{"first", options.operands[0]},
          {"second", options.operands[1]},
          {"tolerance", JsonReal(options.tolerance)},
          {"equal", diff.Equal()},
          {"fields", fields},
          {"only_in_first", diff.onlyInFirst},
          {"only_in_second", diff.onlyInSecond},
          {"records", records}};
}

std::shared_ptr<const PulseFileView> Open(const std::string& file) {
  std::string failure;
  auto view = OpenForReading(DeriveBaseName(file) + ".spf", &failure);
  if (!view) std::fputs(MessageLines(file, {failure}).c_str(), stderr);
  return view;
}

}  // namespace

int RunDiff(const Options& options) {
  const std::string& first = options.operands[0];
  const std::string& second = options.operands[1];
  const auto a = Open(first);
  const auto b = Open(second);
  if (!a || !b) return kTrouble;
  const std::optional<PulseFileDiff> diff = Compare(*a, *b, options.tolerance);
  if (!diff) {
    // Which of the two changed: the one whose path no longer names it as opened.
    const bool firstChanged = a->Changed() || !b->Changed();
    const Outcome why = ChangedWhileRead(firstChanged ? *a : *b);
    std::fputs(MessageLines(firstChanged ? first : second, {why.message + ": " + why.reason}).c_str(),
               stderr);
    return kTrouble;
  }
  const std::string out =
      options.json ? JsonText(Json(*diff, options)) : Lines(*diff, Printable(first), Printable(second));
  std::fputs(out.c_str(), stdout);
  return diff->Equal() ? kEqual : kDifferent;
}

}  // namespace orvane::cli
