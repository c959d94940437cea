// orvane-cli repair and salvage: a damaged pulse file mended into a new
// file named by -o; the input is never changed.
#pragma once

#include "options.h"

namespace orvane::cli {

// 0 when OUT was written, 1 when it was not (the reason on standard error).
int RunMend(const Options& options);

}  // namespace orvane::cli
