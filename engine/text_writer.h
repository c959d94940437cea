// Buffered output of one text file, written under a temporary name beside
// its target and renamed into place by Finish.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "file_io.h"

namespace orvane {

class TextWriter {
 public:
  // Null when the file cannot be created.
  static std::unique_ptr<TextWriter> Create(const std::string& path);

  // Most characters one Reserve may be followed by.
  static constexpr size_t kMaxReserve = size_t{1} << 16;
  // A place for up to kMaxReserve characters; hand the end of what was
  // written to Advance.
  char* Reserve() {
    if (length_ >= kDrainSize) Drain();
    return buffer_.data() + length_;
  }
  void Advance(char* end) { length_ = static_cast<size_t>(end - buffer_.data()); }
  void Append(const char* text, size_t n);

  // Puts the file in place; false (and the target untouched) if any write failed.
  bool Finish();
  // Removes the temporary file; the target keeps what it held.
  void Abandon();
  const std::string& Path() const { return file_->Target(); }

 private:
  static constexpr size_t kDrainSize = size_t{1} << 20;
  explicit TextWriter(std::unique_ptr<io::ReplacementFile> file);
  void Drain();

  std::unique_ptr<io::ReplacementFile> file_;
  io::ByteBuffer buffer_;
  size_t length_ = 0;
  bool failed_ = false;
};

}  // namespace orvane
