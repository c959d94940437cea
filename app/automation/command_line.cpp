#include "command_line.h"

namespace orvane::automation {

std::string JoinArguments(int argc, const char* const* argv) {
  std::string line;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) line += ' ';
    line += argv[i];
  }
  return line;
}

bool CutSwitch(std::string& line, std::string_view name) {
  for (size_t at = line.find_first_of("-/"); at != std::string::npos; at = line.find_first_of("-/", at + 1)) {
    if (std::string_view(line).substr(at + 1, name.size()) == name) {
      line.erase(at, 1 + name.size());
      return true;
    }
  }
  return false;
}

}  // namespace orvane::automation
