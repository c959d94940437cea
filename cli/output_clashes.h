// Inputs of one batch that would write the same files. A batch is refused
// whole when it holds any: run one after the other, the later run would
// replace part of the earlier one's files and leave a mix of both.
#pragma once

#include <string>
#include <vector>

#include "orvane/convert.h"

namespace orvane::cli {

// Where the files named from path go: its folder as the system resolves it
// (links, "." and ".." followed), a '/', and its last part as spelled, which
// is only the start of the files' names. A folder that cannot be resolved
// is kept as spelled.
std::string ResolvedPath(const std::string& path);

// The files a conversion writes, compared by where they land rather than
// by spelling: x, ./x and sub/../x are the same.
std::string ResolvedOutputBase(const ConversionRequest& request);

struct OutputClash {
  std::string first;   // the earlier input, as given
  std::string second;  // a later input of another base name
  std::string output;  // what both would write: "out/x.*" or "out/x.spf"
};

// Every input whose output another input of the batch also writes, each
// named once beside the first input of that output. Names of the same
// input (data, data.spf, ./data.pfh) are one conversion, not a clash.
std::vector<OutputClash> FindOutputClashes(const std::vector<ConversionRequest>& requests);

}  // namespace orvane::cli
