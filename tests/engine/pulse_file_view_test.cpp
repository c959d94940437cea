// The mapped view of a pulse file: what it hands out for valid files, and the
// first problem it names, by record, for files that are not.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <set>

#include "orvane/pulse_file_view.h"
#include "pulse_file_builder.h"

namespace orvane::testing {
namespace {

PulseFileBuilder ThreeKinds() {
  PulseFileBuilder b;
  b.records = {BuiltRecord::T({1, -2, 3}), BuiltRecord::T(), BuiltRecord::R({0.5f, -1.5f}),
               BuiltRecord::I({7, 8, 9, 10})};
  return b;
}

class PulseFileViewTest : public ::testing::Test {
 protected:
  std::string Spf() const { return scratch / "data.spf"; }
  // Opens bytes written to data.spf; with Verify::Full the outcome is in why.
  std::shared_ptr<const PulseFileView> OpenBytes(const std::string& bytes,
                                                 PulseFileView::Verify verify = PulseFileView::Verify::Full) {
    WriteFile(Spf(), bytes);
    return PulseFileView::Open(Spf(), verify, &why);
  }
  ScratchDir scratch;
  Outcome why;
};

TEST_F(PulseFileViewTest, RecordsAreSpansIntoTheMappingInTableOrder) {
  const std::string bytes = ThreeKinds().Sealed();
  auto view = OpenBytes(bytes);
  ASSERT_TRUE(view) << why.message;
  EXPECT_TRUE(why.ok());
  EXPECT_TRUE(view->Valid());
  EXPECT_EQ(view->Length(), bytes.size());
  EXPECT_EQ(view->Header().TCount(), 2u);
  ASSERT_EQ(view->Records().size(), 4u);
  ASSERT_EQ(view->Records(RecordType::T).size(), 2u);
  ASSERT_EQ(view->Records(RecordType::R).size(), 1u);
  ASSERT_EQ(view->Records(RecordType::I).size(), 1u);
  const std::optional<ParsedPulseFile> parsed = ParsePulseFile(bytes);
  ASSERT_TRUE(parsed);
  const std::vector<ParsedRecord>& expected = parsed->records;
  const std::span<const uint8_t> all = view->Bytes();
  for (size_t k = 0; k < view->Records().size(); ++k) {
    const RecordView& record = view->Records()[k];
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(record.header.data()), record.header.size()),
              expected[k].header.Bytes());
    EXPECT_TRUE(record.complete);
    EXPECT_GE(record.header.data(), all.data());
    EXPECT_LE(record.samples.data() + record.samples.size(), all.data() + all.size());
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(record.samples.data()), record.samples.size()),
              expected[k].samples)
        << record.Name();
  }
  EXPECT_EQ(view->Records(RecordType::T)[0].Name(), "T0");
  EXPECT_EQ(view->Records(RecordType::R)[0].SampleCount(), 2u);
  EXPECT_EQ(view->Records(RecordType::I)[0].declaredSamples, 4u);
  EXPECT_EQ(LoadI16(view->Records(RecordType::T)[0].samples.data() + 2), -2);
}

TEST_F(PulseFileViewTest, EveryGoldenFileOpensValid) {
  for (const auto& entry : fs::directory_iterator(GoldenDir())) {
    if (!entry.is_directory()) continue;
    Outcome outcome;
    auto view =
        PulseFileView::Open((entry.path() / "data.spf").string(), PulseFileView::Verify::Full, &outcome);
    EXPECT_TRUE(view) << entry.path() << ": " << outcome.message;
    EXPECT_EQ(outcome.message, "conversion complete");
  }
}

TEST_F(PulseFileViewTest, FileLevelProblemsCarryTheExportsMessages) {
  EXPECT_FALSE(OpenBytes(""));
  EXPECT_EQ(why.code, Failure::InvalidMagicNumber);
  std::string bytes = ThreeKinds().Sealed();
  bytes[0] ^= 1;
  EXPECT_FALSE(OpenBytes(bytes));
  EXPECT_EQ(why.message, "Invalid magic number");
  bytes = ThreeKinds().Sealed();
  bytes[10] ^= 1;
  EXPECT_FALSE(OpenBytes(bytes));
  EXPECT_EQ(why.message, "checksum error:  1");
  EXPECT_FALSE(OpenBytes(SealedBytes(ThreeKinds().Unsealed().substr(0, 100))));
  EXPECT_EQ(why.message, "Binary read error on " + Spf());
  PulseFileBuilder huge;
  huge.counts = std::array<uint32_t, 3>{0xFFFFFFFF, 0, 0};
  EXPECT_FALSE(OpenBytes(huge.Sealed()));
  EXPECT_EQ(why.message, "Invalid record count");
  EXPECT_FALSE(PulseFileView::Open(scratch / "missing.spf", PulseFileView::Verify::Full, &why));
  EXPECT_EQ(why.message, "Can't open " + (scratch / "missing.spf") + " for reading");
}

TEST_F(PulseFileViewTest, RecordProblemsAreNamedByRecord) {
  std::string unsealed = ThreeKinds().Unsealed();
  PutU32(unsealed, format::EntryPosition(2), static_cast<uint32_t>(unsealed.size() - 10));  // R0's header
  EXPECT_FALSE(OpenBytes(SealedBytes(unsealed)));
  EXPECT_EQ(why.code, Failure::RecordOutsideFile);
  EXPECT_EQ(why.message, "Record R0 lies outside the file");

  PulseFileBuilder b = ThreeKinds();
  b.records[0].size = 1 << 20;  // T0 claims a million samples
  EXPECT_FALSE(OpenBytes(b.Sealed()));
  EXPECT_EQ(why.message, "Samples of record T0 end past the end of the file");
}

TEST_F(PulseFileViewTest, SalvageOpensWhatIsThereAndListsEveryProblem) {
  PulseFileBuilder b = ThreeKinds();
  b.records[0].size = 1 << 20;
  std::string unsealed = b.Unsealed();
  PutU32(unsealed, format::EntryPosition(3), 0xFFFFFFF0u);  // I0's entry
  unsealed += "x";                                          // and the word sum is wrong
  auto view = OpenBytes(unsealed + "yz", PulseFileView::Verify::Salvage);
  ASSERT_TRUE(view);
  EXPECT_EQ(why.code, Failure::ChecksumError);
  std::vector<Failure> codes;
  for (const StructureProblem& problem : view->Problems()) codes.push_back(problem.what.code);
  EXPECT_EQ(codes, (std::vector<Failure>{Failure::ChecksumError, Failure::SamplesOutsideFile,
                                         Failure::RecordOutsideFile}));
  const RecordView& first = view->Records()[0];
  EXPECT_FALSE(first.complete);
  EXPECT_EQ(first.declaredSamples, 1u << 20);
  EXPECT_LE(first.samples.data() + first.samples.size(), view->Bytes().data() + view->Length());
  EXPECT_TRUE(view->Records(RecordType::I)[0].header.empty());
}

// A trusting open checks the structure but leaves the word sum for later:
// the same records and spans, the same problems once they are asked for.
TEST_F(PulseFileViewTest, TrustSumsTheWordsOnlyWhenTheProblemsAreAskedFor) {
  PulseFileBuilder b = ThreeKinds();
  b.records[0].size = 1 << 20;
  std::string unsealed = b.Unsealed();
  PutU32(unsealed, format::EntryPosition(3), 0xFFFFFFF0u);
  const std::string bytes = unsealed + "xyz";
  auto salvaged = OpenBytes(bytes, PulseFileView::Verify::Salvage);
  auto trusted = OpenBytes(bytes, PulseFileView::Verify::Trust);
  ASSERT_TRUE(salvaged && trusted);
  EXPECT_EQ(why.code, Failure::SamplesOutsideFile);  // no sum: the first problem of the table
  const auto codes = [](const std::vector<StructureProblem>& problems) {
    std::vector<std::string> out;
    for (const StructureProblem& p : problems) out.push_back(p.what.message);
    return out;
  };
  EXPECT_EQ(codes(trusted->Problems()).size(), 2u);
  ASSERT_TRUE(trusted->CheckedProblems());
  EXPECT_EQ(codes(*trusted->CheckedProblems()), codes(salvaged->Problems()));
  ASSERT_EQ(trusted->Records().size(), salvaged->Records().size());
  for (size_t k = 0; k < trusted->Records().size(); ++k)
    EXPECT_EQ(trusted->Records()[k].samples.size(), salvaged->Records()[k].samples.size());

  auto sound = OpenBytes(ThreeKinds().Sealed(), PulseFileView::Verify::Trust);
  ASSERT_TRUE(sound);
  EXPECT_TRUE(sound->Valid());
  EXPECT_TRUE(sound->CheckedProblems()->empty());
}

TEST_F(PulseFileViewTest, AnythingButARegularFileIsRefusedAtOnce) {
  const std::string fifo = scratch / "fifo.spf";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_FALSE(PulseFileView::Open(fifo, PulseFileView::Verify::Salvage, &why));
  EXPECT_EQ(why.code, Failure::CantOpenForReading);
  EXPECT_FALSE(PulseFileView::Open(scratch.path().string(), PulseFileView::Verify::Full, &why));
  EXPECT_EQ(why.code, Failure::CantOpenForReading);
}

TEST_F(PulseFileViewTest, SpansStayValidAfterTheFileIsReplaced) {
  auto view = OpenBytes(ThreeKinds().Sealed());
  ASSERT_TRUE(view);
  const RecordView record = view->Records(RecordType::I)[0];
  const std::string replacement = scratch / "new.spf";
  WriteFile(replacement, PulseFileBuilder().Sealed());
  fs::rename(replacement, Spf());
  EXPECT_EQ(LoadI16(record.samples.data() + 6), 10);
}

TEST(MessageTable, EveryCodeHasItsOwnText) {
  std::set<std::string> texts;
  for (int k = 0; k < kFailureCount; ++k) {
    const std::string text = MessageFormat(static_cast<Failure>(k));
    EXPECT_FALSE(text.empty()) << k;
    EXPECT_TRUE(texts.insert(text).second) << text;
  }
  EXPECT_STREQ(MessageFormat(Failure::None), "conversion complete");
  EXPECT_EQ(FormatMessage(Failure::AsciiReadErrorAtLine, "a.T0", 12u), "ASCII read error on a.T0 line 12");
  EXPECT_EQ(FormatMessage(Failure::ChecksumError, 0xABCu), "checksum error:  ABC");
}

}  // namespace
}  // namespace orvane::testing
