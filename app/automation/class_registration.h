// The class's registration for the user: its entries in the per-user store
// and the session bus's activation file, which lets a client's request start
// the program with the "Embedding" switch.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "registry_store.h"

namespace orvane::automation {

struct RegistryEntry {
  std::string key;
  std::string value;
  bool onlyWhenMissing;  // kept as it is when the key exists already
};

// The class's entries in the order they are written, for the program at
// executablePath (an absolute path).
std::vector<RegistryEntry> ClassRegistryEntries(const std::string& executablePath);

// Writes the entries in order; the first failing write ends the run.
// Answers whether every entry was written or kept.
bool WriteRegistryEntries(RegistryStore& store, const std::vector<RegistryEntry>& entries);

// $XDG_DATA_HOME when it is an absolute path, otherwise ~/.local/share;
// nothing when neither can be found.
std::optional<std::filesystem::path> UserDataHome();

// Where the class's entries and its activation file go below a data home.
std::filesystem::path RegistryRoot(const std::filesystem::path& dataHome);
std::filesystem::path ActivationFilePath(const std::filesystem::path& dataHome);

// The text of the activation file for the program at executablePath.
std::string ActivationFileText(const std::string& executablePath);

// Refreshes the entries, then the activation file, below dataHome; the first
// failing write ends the refresh. Answers whether everything was written.
bool UpdateClassRegistration(const std::filesystem::path& dataHome, const std::string& executablePath);

}  // namespace orvane::automation
