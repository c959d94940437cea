#include "text_writer.h"

#include <cstring>

namespace orvane {

std::unique_ptr<TextWriter> TextWriter::Create(const std::string& path) {
  auto file = io::ReplacementFile::Create(path);
  if (!file) return nullptr;
  return std::unique_ptr<TextWriter>(new TextWriter(std::move(file)));
}

TextWriter::TextWriter(std::unique_ptr<io::ReplacementFile> file)
    : file_(std::move(file)), buffer_(kDrainSize + kMaxReserve) {}

void TextWriter::Drain() {
  if (length_ > 0 && !failed_ && !file_->Stream().Write(buffer_.data(), length_)) failed_ = true;
  length_ = 0;
}

void TextWriter::Append(const char* text, size_t n) {
  while (n > 0) {
    if (length_ >= kDrainSize) Drain();
    size_t take = std::min(n, buffer_.size() - length_);
    std::memcpy(buffer_.data() + length_, text, take);
    length_ += take;
    text += take;
    n -= take;
  }
}

bool TextWriter::Finish() {
  Drain();
  if (failed_) {
    file_->Discard();
    return false;
  }
  return file_->Commit(false);
}

void TextWriter::Abandon() { file_->Discard(); }

}  // namespace orvane
