// Views of a recorded run that the engine tests share: its status messages,
// its progress positions, and the leftovers a run may leave in a directory.
#pragma once

#include <string>
#include <vector>

#include "../test_support.h"

namespace orvane::testing {

inline std::vector<std::string> TraceLinesStartingWith(const TraceRecorder& trace,
                                                       const std::string& prefix) {
  std::vector<std::string> out;
  for (const auto& line : trace.lines)
    if (line.rfind(prefix, 0) == 0) out.push_back(line.substr(prefix.size()));
  return out;
}

inline std::vector<std::string> Statuses(const TraceRecorder& trace) {
  return TraceLinesStartingWith(trace, "status: ");
}

inline std::vector<int> ProgressPositions(const TraceRecorder& trace) {
  std::vector<int> out;
  for (const auto& p : TraceLinesStartingWith(trace, "progress: ")) out.push_back(std::stoi(p));
  return out;
}

inline std::string LastStatus(const TraceRecorder& trace) {
  auto all = Statuses(trace);
  return all.empty() ? std::string() : all.back();
}

inline std::string FirstStatus(const TraceRecorder& trace) {
  auto all = Statuses(trace);
  return all.empty() ? std::string() : all.front();
}

// Temporary files of the file layer (".orvane-XXXXXX") left in dir.
inline std::vector<std::string> TemporaryFiles(const ScratchDir& dir) {
  std::vector<std::string> out;
  for (const auto& name : dir.Files())
    if (name.rfind(".orvane-", 0) == 0) out.push_back(name);
  return out;
}

// Lines of a text, each without its "\n".
inline std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

inline std::string JoinLines(const std::vector<std::string>& lines) {
  std::string out;
  for (const auto& line : lines) out += line + "\n";
  return out;
}

}  // namespace orvane::testing
