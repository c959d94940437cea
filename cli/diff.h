// The diff command: the header fields, records and samples in which two
// pulse files differ, as lines or as JSON. Its exit status is that of cmp
// and diff: 0 equal, 1 different, 2 trouble.
#pragma once

#include "options.h"

namespace orvane::cli {

// Compares the two files of options.operands within options.tolerance.
int RunDiff(const Options& options);

}  // namespace orvane::cli
