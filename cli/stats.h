// The stats command: the figures of a pulse file's records (count, minimum,
// maximum, mean, RMS, sum, NaN and infinite reals, samples at the 16-bit
// limits), as a table or as JSON.
#pragma once

#include "options.h"

namespace orvane::cli {

// Prints the figures of options.operands[0]'s records, all of them or those
// named by the later operands; 0 when shown, 1 when the file could not be
// read or holds no record of a name.
int RunStats(const Options& options);

}  // namespace orvane::cli
