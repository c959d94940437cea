#include "registry_store.h"

#include <system_error>

#include "orvane/whole_file.h"

namespace orvane::automation {

namespace fs = std::filesystem;

namespace {

// The file that holds a key's default value.
constexpr char kValueFile[] = "@";

}  // namespace

RegistryStore::RegistryStore(fs::path root) : root_(std::move(root)) {}

std::optional<fs::path> RegistryStore::KeyPath(const std::string& key) const {
  fs::path path = root_;
  size_t start = 0;
  while (true) {
    size_t end = key.find('\\', start);
    std::string part = key.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (part.empty() || part == "." || part == ".." || part.find('/') != std::string::npos)
      return std::nullopt;
    path /= part;
    if (end == std::string::npos) return path;
    start = end + 1;
  }
}

bool RegistryStore::KeyExists(const std::string& key) const {
  std::optional<fs::path> path = KeyPath(key);
  std::error_code error;
  return path && fs::is_directory(*path, error);
}

bool RegistryStore::SetValue(const std::string& key, const std::string& value) {
  std::optional<fs::path> path = KeyPath(key);
  if (!path) return false;
  std::error_code error;
  fs::create_directories(*path, error);
  if (error || !fs::is_directory(*path, error)) return false;
  return ReplaceFileContents(*path / kValueFile, value + "\n");
}

std::optional<std::string> RegistryStore::Value(const std::string& key) const {
  std::optional<fs::path> path = KeyPath(key);
  if (!path) return std::nullopt;
  std::optional<std::string> text = ReadWholeFile((*path / kValueFile).string());
  if (!text) return std::nullopt;
  if (!text->empty() && text->back() == '\n') text->pop_back();
  return text;
}

bool ReplaceFileContents(const fs::path& path, const std::string& text) {
  return ReplaceWholeFile(path.string(), text);
}

}  // namespace orvane::automation
