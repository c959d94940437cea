// Reals in the JSON output of stats and diff. nlohmann writes a double as
// the shortest text that reads back to the same bits; NaN and the
// infinities are no JSON numbers and are written as the strings "nan",
// "inf" and "-inf".
#pragma once

#include <cmath>
#include <nlohmann/json.hpp>

namespace orvane::cli {

// Keys stay in the order they are written.
using JsonValue = nlohmann::ordered_json;

inline JsonValue JsonReal(double value) {
  if (std::isnan(value)) return "nan";
  if (std::isinf(value)) return value > 0 ? "inf" : "-inf";
  return value;
}

// Text that may hold bytes that are not UTF-8 (file names, DESC) is written
// with those bytes replaced by U+FFFD instead of refusing the output.
inline std::string JsonText(const JsonValue& document) {
  return document.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

}  // namespace orvane::cli
