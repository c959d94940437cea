// The pulse files a pulse power "Set" passes through: state j is the file
// after the first j records were written and sealed.
#pragma once

#include <string>
#include <vector>

#include "robustness_support.h"

namespace orvane::testing {

// "v0 v1 ... " as the edit box holds it.
std::string PowerText(const std::vector<int>& values);
// States 0 (the original) to values.size(), each made by a "Set" of the
// first j values on a fresh copy.
std::vector<std::string> SetStates(const std::string& original, const std::vector<int>& values);
// The j for which the file is state j, or -1.
int StepOf(const std::string& file, const std::vector<std::string>& states);

}  // namespace orvane::testing
