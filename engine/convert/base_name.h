#pragma once

#include <string>

namespace orvane {

// The name every file of a conversion is formed from: the file name with a
// trailing ".spf" or ".pfh" removed (exact case). A name whose last '.' is
// its first character keeps its suffix.
std::string DeriveBaseName(const std::string& fileName);

}  // namespace orvane
