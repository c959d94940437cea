// The per-user store of the class's registration: a tree of keys, each a
// directory, whose default value is the text in the key's file "@". Keys are
// written with backslashes between their parts ("CLSID\{...}\ProgID"), as the
// class's entries are named. Setting a value creates the key and every key
// above it, so a key exists from the first value set at or below it.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace orvane::automation {

class RegistryStore {
 public:
  explicit RegistryStore(std::filesystem::path root);
  virtual ~RegistryStore() = default;

  virtual bool KeyExists(const std::string& key) const;
  // Creates the key as needed and replaces its default value; false when
  // anything could not be written.
  virtual bool SetValue(const std::string& key, const std::string& value);
  // The key's default value; nothing when the key or its value is missing.
  std::optional<std::string> Value(const std::string& key) const;

  const std::filesystem::path& Root() const { return root_; }
  // The directory of a key; nothing for a key with an empty, "." or ".."
  // part, which would leave the tree.
  std::optional<std::filesystem::path> KeyPath(const std::string& key) const;

 private:
  std::filesystem::path root_;
};

// Writes text as the whole new contents of path, by way of a temporary file
// renamed into place, so that readers see the old or the new file only.
bool ReplaceFileContents(const std::filesystem::path& path, const std::string& text);

}  // namespace orvane::automation
