// Buffered output of one text file, written under a temporary name beside
// its target and renamed into place by Finish, or handed to the run's
// StagedFiles to be put in place with all the others at the run's end.
#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "io/file_io.h"

namespace orvane {

// The complete text files of a run that are not in place yet. A run puts
// them in place together once it has succeeded; dropped, they are removed
// and every target keeps what it held. Shared by the threads of a run.
class StagedFiles {
 public:
  void Add(std::unique_ptr<io::ReplacementFile> file);
  // Renames every file onto its target, in the reverse order of their
  // staging: the header text file, staged first, goes last, so that a run
  // killed while it renames leaves the old header text beside the records
  // it had replaced, never a new header before all its records are there.
  // The target of the first rename that failed, or nothing.
  std::optional<std::string> PutAllInPlace();
  void DiscardAll();

 private:
  std::mutex mutex_;
  std::vector<std::unique_ptr<io::ReplacementFile>> files_;
};

class TextWriter {
 public:
  // Null when the file cannot be created. With stage, Finish hands the
  // complete file to it instead of putting it in place.
  static std::unique_ptr<TextWriter> Create(const std::string& path, StagedFiles* stage = nullptr);

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

  // Puts the file in place (or stages it); false if any write failed. The
  // target is then untouched, except without a stage, where it gets what
  // reached the disk.
  bool Finish();
  // Removes the temporary file; the target keeps what it held.
  void Abandon();
  const std::string& Path() const { return target_; }

 private:
  static constexpr size_t kDrainSize = size_t{1} << 20;
  TextWriter(std::unique_ptr<io::ReplacementFile> file, StagedFiles* stage);
  void Drain();

  std::unique_ptr<io::ReplacementFile> file_;
  StagedFiles* stage_;
  std::string target_;
  io::ByteBuffer buffer_;
  size_t length_ = 0;
  bool failed_ = false;
};

}  // namespace orvane
