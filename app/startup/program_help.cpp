#include "program_help.h"

#include <cstring>

#include "orvane_version.h"

namespace orvane::startup {

namespace {

constexpr char kUsage[] = R"(Usage: orvane [FILE]
       orvane -Automation | -Embedding
Opens the window of )" ORVANE_PRODUCT_NAME R"(, the pulse file converter. The text after the
program's name goes into the file name box: a pulse file (BASE.spf) or its
header text file (BASE.pfh), with or without the suffix.

Automation switches ("-" or "/", anywhere on the command line):
  -Automation   serve Orvane.Application on the session bus, window hidden
  -Embedding    the same, as started by the bus for a client

  --help        print this text and exit
  --version     print the version and exit

The user guide opens from the window's Help button. For
scripts and batch jobs use orvane-cli (orvane-cli --help, man orvane-cli).
)";

}  // namespace

std::optional<std::string> AnswerWithoutWindow(int argc, const char* const* argv) {
  if (argc != 2) return std::nullopt;
  if (std::strcmp(argv[1], "--help") == 0) return std::string(kUsage);
  if (std::strcmp(argv[1], "--version") == 0)
    return std::string("orvane (" ORVANE_PRODUCT_NAME ") " ORVANE_FILE_VERSION "\n" ORVANE_FILE_DESCRIPTION
                       "\n" ORVANE_LEGAL_COPYRIGHT "\n");
  return std::nullopt;
}

}  // namespace orvane::startup
