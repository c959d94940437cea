#include "orvane/whole_file.h"

#include "io/file_io.h"

namespace orvane {

std::optional<std::string> ReadWholeFile(const std::string& path) {
  std::unique_ptr<io::File> file = io::File::Open(path, io::File::Mode::Read);
  if (!file) return std::nullopt;
  std::string text(file->Size(), '\0');
  if (!file->ReadExact(text.data(), text.size())) return std::nullopt;
  return text;
}

bool ReplaceWholeFile(const std::string& path, const std::string& contents) {
  std::unique_ptr<io::ReplacementFile> file = io::ReplacementFile::Create(path);
  if (!file) return false;
  if (!file->Stream().Write(contents.data(), contents.size())) return false;
  return file->Commit(false);
}

}  // namespace orvane
