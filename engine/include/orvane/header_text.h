// The fields of the four fixed headers (file, T, R, I) as their text lines
// show them, for front ends that show a header without converting a file.
// The fields themselves are described in orvane/format.h (DescribeHeader).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "orvane/format.h"

namespace orvane {

// Every line of a header as the export writes it ("\n" after each).
std::string HeaderText(HeaderKind kind, const uint8_t* header, bool labelled);
// The same lines one by one, without their line ends: a text field may
// hold a line end of its own.
std::vector<std::string> HeaderLines(HeaderKind kind, const uint8_t* header, bool labelled);
// One field's value as its bare line shows it, without the line end;
// empty for an unknown label.
std::string FieldText(HeaderKind kind, const uint8_t* header, std::string_view label);

}  // namespace orvane
