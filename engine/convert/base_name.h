// The names of a conversion's files, all formed from one base name.
#pragma once

#include <cstdint>
#include <string>

#include "orvane/convert.h"
#include "orvane/format.h"

namespace orvane {

// The text file of record n of a kind: BASE.T0, BASE.R2, ...
inline std::string RecordTextName(const RecordDescription& kind, const std::string& baseName, uint32_t n) {
  return baseName + "." + kind.letter + std::to_string(n);
}

// The name of a new file of a run: baseName + suffix, or in outputDir (when
// given) under the base name without its folder.
std::string OutputName(const std::string& outputDir, const std::string& baseName, const std::string& suffix);

}  // namespace orvane
