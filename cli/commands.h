// The file work of every orvane-cli command. Each file gets its own engine
// converter and its own log; the results are printed per file, in order.
#pragma once

#include "options.h"

namespace orvane::cli {

// Runs the command and gives the exit status: 0 when every run succeeded,
// 1 otherwise.
int RunCommand(const Options& options);

}  // namespace orvane::cli
