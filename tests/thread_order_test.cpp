// Records converted on several threads show the same protocol and write the
// same files as records converted one after another.
#include <gtest/gtest.h>

#include <map>

#include "orvane/byte_order.h"
#include "orvane/format.h"
#include "test_support.h"

namespace orvane::testing {
namespace {

struct Outcome {
  std::string trace;
  std::vector<std::string> files;
  std::string spf;
};

// Runs the Convert command on a copy of the given files with `threads` threads.
Outcome Convert(const std::map<std::string, std::string>& files, const std::string& name, bool toAscii,
                bool labelled, unsigned threads) {
  ScratchDir dir;
  for (const auto& [file, bytes] : files) WriteFile(dir / file, bytes);
  RecordedConverter run;
  run.threads = threads;
  run.Convert(dir / name, toAscii, labelled);
  // Messages name files by path: the scratch folder differs from run to run.
  std::string trace = run.trace.Joined();
  const std::string folder = dir.path().string();
  for (size_t at; (at = trace.find(folder)) != std::string::npos;) trace.replace(at, folder.size(), "DIR");
  Outcome result{trace, {}, ReadFile(dir / "data.spf")};
  for (const auto& file : dir.Files()) result.files.push_back(file + "\n" + ReadFile(dir / file));
  return result;
}

void ExpectSameForAnyThreadCount(const std::map<std::string, std::string>& files, const std::string& name,
                                 bool toAscii, bool labelled) {
  Outcome one = Convert(files, name, toAscii, labelled, 1);
  for (unsigned threads : {2u, 3u, 8u}) {
    Outcome many = Convert(files, name, toAscii, labelled, threads);
    EXPECT_EQ(many.trace, one.trace) << threads << " threads";
    EXPECT_EQ(many.files, one.files) << threads << " threads";
  }
}

std::string GoldenSpf(const std::string& name) {
  return ReadFile((GoldenDir() / name / "data.spf").string());
}

std::map<std::string, std::string> GoldenTexts(const std::string& name, const std::string& layout) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::directory_iterator(GoldenDir() / name / layout)) {
    std::string file = entry.path().filename().string();
    if (file.rfind("data.", 0) == 0 && file != "data.spf") files[file] = ReadFile(entry.path().string());
  }
  return files;
}

// Points table entry `entry` somewhere else and seals the file again.
std::string WithEntry(std::string spf, size_t entry, uint32_t offset) {
  StoreU32(reinterpret_cast<uint8_t*>(&spf[format::EntryPosition(entry)]), offset);
  return SealedBytes(spf);
}

TEST(ThreadOrder, ExportOfGoodRecords) {
  for (bool labelled : {true, false})
    ExpectSameForAnyThreadCount({{"data.spf", GoldenSpf("mixed")}}, "data", true, labelled);
}

TEST(ThreadOrder, ExportWithFailingRecordsReportsThemInRecordOrder) {
  std::string spf = GoldenSpf("mixed");
  spf = WithEntry(spf, 1, 0xFFFFFF00u);                             // T1: beyond the end
  spf = WithEntry(spf, 4, static_cast<uint32_t>(spf.size() - 10));  // R1: header cut short
  Outcome one = Convert({{"data.spf", spf}}, "data", true, true, 1);
  EXPECT_NE(one.trace.find("status: Binary read error\n"), std::string::npos);
  ExpectSameForAnyThreadCount({{"data.spf", spf}}, "data", true, true);
}

TEST(ThreadOrder, ImportOfGoodRecords) {
  for (const char* layout : {"labelled", "bare"})
    ExpectSameForAnyThreadCount(GoldenTexts("mixed", layout), "data.pfh", false,
                                std::string(layout) == "labelled");
}

TEST(ThreadOrder, ImportStopsAtTheFirstFailingRecordInRecordOrder) {
  auto files = GoldenTexts("mixed", "labelled");
  files["data.R1"].replace(files["data.R1"].find("     0:"), 7,
                           "     0 ");  // a sample line without its colon
  files["data.I2"] = "truncated\n";
  files["data.spf"] = "the existing pulse file";
  Outcome one = Convert(files, "data", false, true, 1);
  EXPECT_EQ(one.spf, "the existing pulse file");
  EXPECT_NE(one.trace.find("status: ASCII read error on "), std::string::npos);
  ExpectSameForAnyThreadCount(files, "data", false, true);
}

TEST(ThreadOrder, ImportWithAMissingRecordFile) {
  auto files = GoldenTexts("mixed", "bare");
  files.erase("data.T2");
  ExpectSameForAnyThreadCount(files, "data", false, false);
}

}  // namespace
}  // namespace orvane::testing
