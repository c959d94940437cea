#include "sparse_bytes.h"

#include <algorithm>
#include <cstring>

namespace orvane::fuzz {

size_t SparseBytes::Read(uint64_t offset, char* out, size_t n) const {
  if (offset >= size_) return 0;
  const size_t take = static_cast<size_t>(std::min<uint64_t>(n, size_ - offset));
  std::memset(out, 0, take);
  const uint64_t end = offset + take;
  for (auto it = pages_.lower_bound(offset / kPage); it != pages_.end() && it->first * kPage < end; ++it) {
    const uint64_t start = it->first * kPage;
    const uint64_t from = std::max(offset, start);
    const uint64_t to = std::min(end, start + it->second.size());
    if (from < to) std::memcpy(out + (from - offset), it->second.data() + (from - start), to - from);
  }
  return take;
}

void SparseBytes::Write(uint64_t offset, const char* data, size_t n) {
  if (n == 0) return;
  const uint64_t end = offset + n;
  size_ = std::max(size_, end);
  for (uint64_t page = offset / kPage; page * kPage < end; ++page) {
    const uint64_t start = page * kPage;
    const uint64_t from = std::max(offset, start);
    const uint64_t to = std::min(end, start + kPage);
    const char* chunk = data + (from - offset);
    auto it = pages_.find(page);
    if (it == pages_.end()) {
      // Zeros where nothing was written read as zeros already.
      if (std::all_of(chunk, chunk + (to - from), [](char c) { return c == 0; })) continue;
      it = pages_.emplace(page, std::string()).first;
    }
    std::string& bytes = it->second;
    if (bytes.size() < to - start) bytes.resize(to - start, '\0');
    std::memcpy(bytes.data() + (from - start), chunk, to - from);
  }
}

std::string SparseBytes::Bytes() const {
  std::string bytes(size_, '\0');
  for (const auto& [page, data] : pages_) std::memcpy(bytes.data() + page * kPage, data.data(), data.size());
  return bytes;
}

}  // namespace orvane::fuzz
