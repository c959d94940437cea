// The pulse file's checksum arithmetic: the sum, modulo 65536, of the
// little-endian 16-bit words of a block of bytes.
#pragma once

#include <cstddef>
#include <cstdint>

namespace orvane::python {

// Sum of the complete words of data; a final odd byte is not counted.
uint16_t WordSum(const uint8_t* data, size_t size);

}  // namespace orvane::python
