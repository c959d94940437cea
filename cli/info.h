// The info command: a pulse file's header fields, its record counts and its
// record table, readable.
#pragma once

#include <string>

#include "run_log.h"

namespace orvane::cli {

RunResult DescribePulseFile(const std::string& fileName);

}  // namespace orvane::cli
