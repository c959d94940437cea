// The lines of a text file as the engine tests take them apart and put them
// together again.
#pragma once

#include <string>
#include <vector>

#include "../test_support.h"

namespace orvane::testing {

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
