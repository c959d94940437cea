// The "%6d:  " label of labelled sample lines, kept as decimal characters
// while it counts up: stepping it costs a byte addition and, rarely, a
// carry, instead of a division per digit for every line.
#pragma once

#include <cstdint>
#include <cstring>

namespace orvane {

class LineIndex {
 public:
  explicit LineIndex(uint64_t start) {
    std::memset(text_, ' ', sizeof text_);
    std::memcpy(text_ + kEnd, ":  ", 3);
    first_ = kEnd;
    do {
      text_[--first_] = static_cast<char>('0' + start % 10);
      start /= 10;
    } while (start > 0);
  }

  // Adds step (below ten).
  void Step(unsigned step) {
    int at = kEnd - 1;
    text_[at] = static_cast<char>(text_[at] + step);
    while (text_[at] > '9') {
      text_[at] = static_cast<char>(text_[at] - 10);
      if (--at < first_) {
        first_ = at;
        text_[at] = '0';
      }
      ++text_[at];
    }
  }

  // Writes the label, the index right-aligned in at least six columns;
  // may touch 16 bytes.
  char* Append(char* out) const {
    const int start = first_ < kEnd - 6 ? first_ : kEnd - 6;
    std::memcpy(out, text_ + start, 16);
    return out + (kEnd + 3 - start);
  }

  // The label as Append writes it, in place, and its length; readable
  // for 16 bytes.
  const char* Text(size_t* length) const {
    const int start = first_ < kEnd - 6 ? first_ : kEnd - 6;
    *length = static_cast<size_t>(kEnd + 3 - start);
    return text_ + start;
  }

 private:
  // Twenty digits hold any 64-bit index; the label ends with ":  " and
  // blanks, so that sixteen bytes can be copied from any start.
  static constexpr int kEnd = 20;
  char text_[kEnd + 16];
  int first_;
};

}  // namespace orvane
