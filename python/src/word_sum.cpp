#include "word_sum.h"

#include "orvane/byte_order.h"

namespace orvane::python {

uint16_t WordSum(const uint8_t* data, size_t size) {
  // A 64-bit total cannot overflow before 2^48 words; the loop vectorises.
  uint64_t total = 0;
  const size_t words = size / 2;
  for (size_t k = 0; k < words; ++k) total += LoadU16(data + 2 * k);
  return static_cast<uint16_t>(total);
}

}  // namespace orvane::python
