// The file checksum: a 16-bit sum of every little-endian word of the file,
// which must be zero, and the word a seal appends to make it so.
#pragma once

#include <cstddef>
#include <cstdint>

namespace orvane {

namespace io {
class File;
}

// 16-bit word sum of a byte range that starts on an even file offset.
uint16_t WordSum(const uint8_t* data, size_t size);

// The bytes a seal appends to a file of the given length and word sum: the
// word that brings the sum to zero, preceded on a file of odd length by a
// zero byte, which pairs with the formerly uncounted last byte so that the
// word starts on an even offset. Returns how many bytes to append.
size_t SealBytes(uint16_t sum, uint64_t length, uint8_t lastByte, uint8_t out[3]);

struct ChecksumPass {
  uint16_t sum = 0;
  uint64_t length = 0;
  bool readError = false;  // the pass stopped before the end of the file
};
// Sums every complete 16-bit word of the file from offset 0 to its end; a
// final odd byte is not counted. Leaves the file at an unspecified position.
ChecksumPass SumFileWords(io::File& file);

}  // namespace orvane
