#include "class_registration.h"

#include <cstdlib>
#include <system_error>

#include "class_ids.h"

namespace orvane::automation {

namespace fs = std::filesystem;

namespace {

// One row of the class's registration table: templates in which %1 stands
// for the class identifier, %2 for the ProgID, %3 for the program's path
// and %5 for the type name.
struct EntryTemplate {
  const char* key;
  const char* value;
  bool onlyWhenMissing;
};

// The first two rows come first, so that the keys they test for have not
// been created already by a key below them.
constexpr EntryTemplate kEntryTemplates[] = {
    {"%2", "%5", true},
    {"CLSID\\%1", "%5", true},
    {"%2\\CLSID", "%1", false},
    {"CLSID\\%1\\ProgID", "%2", false},
    {"CLSID\\%1\\InprocHandler32", "ole32.dll", false},
    {"CLSID\\%1\\LocalServer32", "%3", false},
};

std::string Expand(const char* pattern, const std::string& executablePath) {
  std::string text;
  for (const char* p = pattern; *p != '\0'; ++p) {
    if (*p != '%' || p[1] == '\0') {
      text += *p;
      continue;
    }
    switch (*++p) {
      case '1': text += kClassId; break;
      case '2': text += kProgId; break;
      case '3': text += executablePath; break;
      case '5': text += kProgId; break;
      default:
        text += '%';
        text += *p;
        break;
    }
  }
  return text;
}

// The program's path as one word of the activation file's command, which
// the bus splits like a shell; quoted only when it has to be.
std::string CommandWord(const std::string& word) {
  if (word.find_first_of(" \t\n'\"\\$`;&|<>()*?[]#~") == std::string::npos) return word;
  std::string quoted = "'";
  for (char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

}  // namespace

std::vector<RegistryEntry> ClassRegistryEntries(const std::string& executablePath) {
  std::vector<RegistryEntry> entries;
  for (const EntryTemplate& row : kEntryTemplates)
    entries.push_back(
        {Expand(row.key, executablePath), Expand(row.value, executablePath), row.onlyWhenMissing});
  return entries;
}

bool WriteRegistryEntries(RegistryStore& store, const std::vector<RegistryEntry>& entries) {
  for (const RegistryEntry& entry : entries) {
    if (entry.onlyWhenMissing && store.KeyExists(entry.key)) continue;
    if (!store.SetValue(entry.key, entry.value)) return false;
  }
  return true;
}

std::optional<fs::path> UserDataHome() {
  const char* dataHome = std::getenv("XDG_DATA_HOME");
  if (dataHome != nullptr && fs::path(dataHome).is_absolute()) return fs::path(dataHome);
  const char* home = std::getenv("HOME");
  if (home == nullptr || !fs::path(home).is_absolute()) return std::nullopt;
  return fs::path(home) / ".local" / "share";
}

fs::path RegistryRoot(const fs::path& dataHome) { return dataHome / "orvane" / "classes"; }

fs::path ActivationFilePath(const fs::path& dataHome) {
  return dataHome / "dbus-1" / "services" / (std::string(kBusName) + ".service");
}

std::string ActivationFileText(const std::string& executablePath) {
  return std::string("[D-BUS Service]\nName=") + kBusName + "\nExec=" + CommandWord(executablePath) + " -" +
         kEmbeddingSwitch + "\n";
}

bool UpdateClassRegistration(const fs::path& dataHome, const std::string& executablePath) {
  RegistryStore store(RegistryRoot(dataHome));
  if (!WriteRegistryEntries(store, ClassRegistryEntries(executablePath))) return false;
  fs::path activationFile = ActivationFilePath(dataHome);
  std::error_code error;
  fs::create_directories(activationFile.parent_path(), error);
  if (error) return false;
  return ReplaceFileContents(activationFile, ActivationFileText(executablePath));
}

}  // namespace orvane::automation
