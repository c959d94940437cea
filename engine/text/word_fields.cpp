#include "text/word_fields.h"

#include <vector>

#include "text/text_format.h"

namespace orvane::text {

const char* WordFields() {
  // About 0.2 ms once per process, on the first sample line made or read.
  static const std::vector<char> table = [] {
    std::vector<char> t(65536 * kWordFieldChars + 8, ' ');
    for (int v = -32768; v <= 32767; ++v) {
      char field[8];
      AppendWord6(field, static_cast<int16_t>(v));
      std::memcpy(t.data() + (v + 32768) * kWordFieldChars, field, kWordFieldChars);
    }
    return t;
  }();
  return table.data();
}

}  // namespace orvane::text
