#include "format/checksum.h"

#include <algorithm>
#include <span>

#include "io/file_io.h"
#include "orvane/byte_order.h"

namespace orvane {

uint16_t WordSum(const uint8_t* data, size_t size) {
  // Words are summed in wide lanes and folded at the end: the sum modulo
  // 65536 does not depend on the order of additions.
  uint64_t wide = 0;
  size_t i = 0;
  constexpr size_t kChunk = 1 << 15;  // words per 32-bit lane before folding
  while (i + 1 < size) {
    size_t end = std::min(size & ~size_t{1}, i + 2 * kChunk);
    uint32_t lane = 0;
    for (; i < end; i += 2) lane += static_cast<uint32_t>(data[i] | (data[i + 1] << 8));
    wide += lane;
  }
  return static_cast<uint16_t>(wide);
}

size_t SealBytes(uint16_t sum, uint64_t length, uint8_t lastByte, uint8_t out[3]) {
  if (length % 2 == 0) {
    StoreU16(out, static_cast<uint16_t>(0u - sum));
    return 2;
  }
  out[0] = 0;
  StoreU16(out + 1, static_cast<uint16_t>(0u - sum - lastByte));
  return 3;
}

ChecksumPass SumFileWords(io::File& file) {
  ChecksumPass pass;
  if (!file.Seek(0)) {
    pass.readError = true;
    return pass;
  }
  // One read for a small file, blocks of a mebibyte for a large one; the
  // block is not cleared first, as every byte summed was read into it.
  constexpr uint64_t kLargestBlock = uint64_t{1} << 20;
  io::ByteBuffer buffer(static_cast<size_t>(std::clamp<uint64_t>(file.Size() + 1, 4096, kLargestBlock)));
  const std::span<uint8_t> block(reinterpret_cast<uint8_t*>(buffer.data()), buffer.size());
  uint64_t wide = 0;
  bool carry = false;  // an odd byte left over from the previous block
  uint8_t carried = 0;
  for (;;) {
    size_t got = file.Read(block.data(), block.size());
    pass.length += got;
    const uint8_t* p = block.data();
    size_t n = got;
    if (carry && n > 0) {
      wide += static_cast<uint16_t>(carried | (p[0] << 8));
      ++p;
      --n;
      carry = false;
    }
    wide += WordSum(p, n);
    if (n % 2 == 1) {
      carry = true;
      carried = p[n - 1];
    }
    if (got < block.size()) break;
  }
  pass.readError = file.HasError();
  pass.sum = static_cast<uint16_t>(wide);
  return pass;
}

}  // namespace orvane
