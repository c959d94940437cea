// The two command lines the desktop program answers without opening its
// window: exactly "--help" or exactly "--version".
#pragma once

#include <optional>
#include <string>

namespace orvane::startup {

// The text to print for the command line, or nothing when the program
// should start as usual (every other command line keeps its meaning: the
// file name box gets the text).
std::optional<std::string> AnswerWithoutWindow(int argc, const char* const* argv);

}  // namespace orvane::startup
