// The program's command line: the text after the program's own name, and
// the automation switches that may stand anywhere in it.
#pragma once

#include <string>
#include <string_view>

namespace orvane::automation {

// The arguments after the program's name, joined with single blanks.
std::string JoinArguments(int argc, const char* const* argv);

// Finds the first "-" or "/" whose following characters begin with name
// (case matters; a prefix is enough, so "/Automation/x" holds the switch) and
// cuts the "-" or "/" and the name's characters out of line. Answers whether
// the switch was found; line is left alone otherwise.
bool CutSwitch(std::string& line, std::string_view name);

}  // namespace orvane::automation
