#include "text/text_writer.h"

#include <cstring>

namespace orvane {

void StagedFiles::Add(std::unique_ptr<io::ReplacementFile> file) {
  std::lock_guard<std::mutex> lock(mutex_);
  files_.push_back(std::move(file));
}

std::optional<std::string> StagedFiles::PutAllInPlace() {
  std::lock_guard<std::mutex> lock(mutex_);
  std::optional<std::string> failed;
  for (auto it = files_.rbegin(); it != files_.rend(); ++it) {
    if (failed) {
      (*it)->Discard();
    } else if (!(*it)->PutInPlace()) {
      failed = (*it)->Target();
    }
  }
  files_.clear();
  return failed;
}

void StagedFiles::DiscardAll() {
  std::lock_guard<std::mutex> lock(mutex_);
  files_.clear();
}

std::unique_ptr<TextWriter> TextWriter::Create(const std::string& path, StagedFiles* stage) {
  auto file = io::ReplacementFile::Create(path);
  if (!file) return nullptr;
  return std::unique_ptr<TextWriter>(new TextWriter(std::move(file), stage));
}

TextWriter::TextWriter(std::unique_ptr<io::ReplacementFile> file, StagedFiles* stage)
    : file_(std::move(file)), stage_(stage), target_(file_->Target()), buffer_(kDrainSize + kMaxReserve) {}

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
  if (stage_ == nullptr) {
    // Each file goes in place by itself only in a run that keeps partial
    // results: a file whose writing failed (a full disk) goes in place
    // with what reached the disk, and the failure is still reported.
    if (!failed_ && file_->Stream().Flush()) return file_->Commit(false);
    file_->PutInPlaceAsItIs();
    return false;
  }
  if (failed_) {
    file_->Discard();
    return false;
  }
  if (!file_->Complete(false)) return false;
  stage_->Add(std::move(file_));
  return true;
}

void TextWriter::Abandon() {
  if (file_) file_->Discard();
}

}  // namespace orvane
