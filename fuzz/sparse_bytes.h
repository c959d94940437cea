// The contents of a file of the memory file system: a length and pages of
// bytes, where a page never written, and the part of a page beyond what was
// written to it, reads as zeros. So a file with a hole (an import seeks past
// a large offset table before it writes the first record) or a long run of
// written zeros costs no memory and no clearing, as on a disk's file system.
#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace orvane::fuzz {

class SparseBytes {
 public:
  SparseBytes() = default;
  explicit SparseBytes(const std::string& bytes) { Write(0, bytes.data(), bytes.size()); }

  uint64_t size() const { return size_; }
  // Copies up to n bytes from offset; the number copied (0 at the end).
  size_t Read(uint64_t offset, char* out, size_t n) const;
  void Write(uint64_t offset, const char* data, size_t n);
  // Every byte, holes as zeros.
  std::string Bytes() const;

 private:
  static constexpr uint64_t kPage = uint64_t{1} << 16;
  uint64_t size_ = 0;
  std::map<uint64_t, std::string> pages_;  // by page number; each at most kPage long
};

}  // namespace orvane::fuzz
