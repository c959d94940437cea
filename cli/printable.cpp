#include "printable.h"

#include <cstdio>

namespace orvane::cli {

std::string Printable(std::string_view text) {
  std::string shown;
  shown.reserve(text.size());
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    // Bytes from 0x80 up stay: they are the letters of UTF-8 names.
    if (byte >= 0x20 && byte != 0x7f) {
      shown += c;
      continue;
    }
    char escaped[5];
    std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
    shown += escaped;
  }
  return shown;
}

}  // namespace orvane::cli
