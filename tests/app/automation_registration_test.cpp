// The class's registration for the user: the store's entries in order, the
// only-when-missing rule, a failing write ending the refresh, and the bus's
// activation file.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "class_ids.h"
#include "class_registration.h"
#include "io/file_io.h"
#include "registry_store.h"
#include "test_support.h"

namespace orvane::automation {
namespace {

using orvane::testing::ReadFile;
using orvane::testing::ScratchDir;
using orvane::testing::WriteFile;

const std::string kClsidKey = std::string("CLSID\\") + kClassId;
constexpr char kProgram[] = "/opt/orvane/bin/orvane";

// A store that records what the refresh asks of it, in order.
class RecordingStore : public RegistryStore {
 public:
  using RegistryStore::RegistryStore;
  bool KeyExists(const std::string& key) const override {
    calls.push_back("exists " + key);
    return RegistryStore::KeyExists(key);
  }
  bool SetValue(const std::string& key, const std::string& value) override {
    calls.push_back("set " + key + " = " + value);
    return RegistryStore::SetValue(key, value);
  }
  mutable std::vector<std::string> calls;
};

TEST(ClassRegistrationTest, EntriesAreWrittenInTheTablesOrder) {
  ScratchDir dir;
  RecordingStore store(dir.path());
  ASSERT_TRUE(WriteRegistryEntries(store, ClassRegistryEntries(kProgram)));
  const std::vector<std::string> expected = {
      "exists Orvane.Application",
      "set Orvane.Application = Orvane.Application",
      "exists " + kClsidKey,
      "set " + kClsidKey + " = Orvane.Application",
      std::string("set Orvane.Application\\CLSID = ") + kClassId,
      "set " + kClsidKey + "\\ProgID = Orvane.Application",
      "set " + kClsidKey + "\\InprocHandler32 = ole32.dll",
      "set " + kClsidKey + "\\LocalServer32 = " + kProgram,
  };
  EXPECT_EQ(store.calls, expected);
}

TEST(ClassRegistrationTest, StoreKeepsKeysAsDirectoriesWithTheirValues) {
  ScratchDir dir;
  RegistryStore store(dir.path());
  ASSERT_TRUE(WriteRegistryEntries(store, ClassRegistryEntries(kProgram)));
  EXPECT_EQ(ReadFile(dir / (std::string("CLSID/") + kClassId + "/LocalServer32/@")),
            std::string(kProgram) + "\n");
  EXPECT_EQ(store.Value("Orvane.Application\\CLSID"), kClassId);
  EXPECT_TRUE(store.KeyExists("CLSID"));
}

TEST(ClassRegistrationTest, FirstTwoRowsKeepExistingKeysTheOthersAreRewritten) {
  ScratchDir dir;
  RegistryStore store(dir.path());
  ASSERT_TRUE(store.SetValue("Orvane.Application", "Someone else's"));
  ASSERT_TRUE(store.SetValue(kClsidKey, "Kept"));
  ASSERT_TRUE(store.SetValue(kClsidKey + "\\LocalServer32", "/old/orvane"));
  ASSERT_TRUE(store.SetValue(kClsidKey + "\\InprocHandler32", "old.dll"));

  ASSERT_TRUE(WriteRegistryEntries(store, ClassRegistryEntries(kProgram)));
  EXPECT_EQ(store.Value("Orvane.Application"), "Someone else's");
  EXPECT_EQ(store.Value(kClsidKey), "Kept");
  EXPECT_EQ(store.Value(kClsidKey + "\\LocalServer32"), kProgram);
  EXPECT_EQ(store.Value(kClsidKey + "\\InprocHandler32"), "ole32.dll");
  EXPECT_EQ(store.Value(kClsidKey + "\\ProgID"), "Orvane.Application");
}

TEST(ClassRegistrationTest, KeyCreatedBelowMakesTheKeyExistWithoutValue) {
  ScratchDir dir;
  RegistryStore store(dir.path());
  ASSERT_TRUE(store.SetValue(kClsidKey + "\\ProgID", "x"));
  EXPECT_TRUE(store.KeyExists(kClsidKey));
  EXPECT_EQ(store.Value(kClsidKey), std::nullopt);
  // The second row finds its key and leaves it without a value.
  ASSERT_TRUE(WriteRegistryEntries(store, ClassRegistryEntries(kProgram)));
  EXPECT_EQ(store.Value(kClsidKey), std::nullopt);
}

TEST(ClassRegistrationTest, KeysThatWouldLeaveTheStoreAreRefused) {
  ScratchDir dir;
  RegistryStore store(dir.path() / "classes");
  EXPECT_FALSE(store.SetValue("..\\escaped", "x"));
  EXPECT_FALSE(store.SetValue("a\\\\b", "x"));
  EXPECT_FALSE(store.SetValue("a/b", "x"));
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "escaped"));
}

TEST(ClassRegistrationTest, FailingWriteEndsTheRefresh) {
  ScratchDir dir;
  // A file where the CLSID key belongs: the second row cannot be written.
  std::filesystem::create_directories(RegistryRoot(dir.path()));
  WriteFile((RegistryRoot(dir.path()) / "CLSID").string(), "in the way");
  EXPECT_FALSE(UpdateClassRegistration(dir.path(), kProgram));
  RegistryStore store(RegistryRoot(dir.path()));
  EXPECT_EQ(store.Value("Orvane.Application"), "Orvane.Application");
  EXPECT_FALSE(store.KeyExists("Orvane.Application\\CLSID"));
  EXPECT_FALSE(std::filesystem::exists(ActivationFilePath(dir.path())));
}

TEST(ClassRegistrationTest, FailingFileLayerCallEndsTheRefreshAtThatEntry) {
  ScratchDir dir;
  RegistryStore store(dir.path());
  io::FaultSeam::Arm(1);
  EXPECT_FALSE(WriteRegistryEntries(store, ClassRegistryEntries(kProgram)));
  io::FaultSeam::Disarm();
  EXPECT_EQ(store.Value("Orvane.Application"), std::nullopt);
  EXPECT_FALSE(store.KeyExists(kClsidKey));
}

TEST(ClassRegistrationTest, ActivationFileStartsTheProgramEmbedded) {
  EXPECT_EQ(ActivationFileText(kProgram),
            "[D-BUS Service]\nName=Orvane.Application\nExec=/opt/orvane/bin/orvane -Embedding\n");
  EXPECT_EQ(ActivationFileText("/opt/my tools/orvane"),
            "[D-BUS Service]\nName=Orvane.Application\nExec='/opt/my tools/orvane' -Embedding\n");
}

TEST(ClassRegistrationTest, RefreshWritesStoreAndActivationFileBelowTheDataHome) {
  ScratchDir dir;
  ASSERT_TRUE(UpdateClassRegistration(dir.path(), kProgram));
  EXPECT_EQ(ReadFile((dir.path() / "dbus-1/services/Orvane.Application.service").string()),
            ActivationFileText(kProgram));
  RegistryStore store(dir.path() / "orvane" / "classes");
  EXPECT_EQ(store.Value(kClsidKey + "\\LocalServer32"), kProgram);
}

TEST(ClassRegistrationTest, DataHomeFollowsXdgDataHomeOrFallsBackToHome) {
  const char* savedData = std::getenv("XDG_DATA_HOME");
  const std::string saved = savedData ? savedData : "";
  setenv("XDG_DATA_HOME", "/x/data", 1);
  EXPECT_EQ(UserDataHome(), std::filesystem::path("/x/data"));
  setenv("XDG_DATA_HOME", "relative/data", 1);
  setenv("HOME", std::getenv("HOME") ? std::getenv("HOME") : "/root", 1);
  EXPECT_EQ(UserDataHome(), std::filesystem::path(std::getenv("HOME")) / ".local" / "share");
  if (savedData)
    setenv("XDG_DATA_HOME", saved.c_str(), 1);
  else
    unsetenv("XDG_DATA_HOME");
}

}  // namespace
}  // namespace orvane::automation
