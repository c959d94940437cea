// Golden pulse files damaged at every point of their structure: each byte
// of the header flipped, each table entry pointed elsewhere, each record's
// SIZE changed, the file cut at every length up to a whole header and at
// every record boundary and one byte either side. Damaged files are also
// resealed, so that a checksum error does not stand in front of the damage:
// a word of the header's description takes up the difference.
//
// For each, the mapped view checked in full refuses the file with the first
// problem its salvage lists, and ValidatePulseFile agrees; salvage opens
// every file, and every span it hands out lies inside the mapping. Where a
// test can tell on its own what the first problem is (magic number, word
// sum, a short header or table, a record or its samples past the end), it
// must be that one.
#include <gtest/gtest.h>

#include <iostream>
#include <optional>

#include "orvane/pulse_file_view.h"
#include "pulse_file_builder.h"

namespace orvane::testing {
namespace {

// Where a record lies in the intact file.
struct Extent {
  std::string name;  // "T0", "R2", ...
  uint64_t entry, offset, headerSize, sizeAt, sampleBytes, declared;
  bool sizeSigned;
  uint64_t End() const { return offset + headerSize + declared * sampleBytes; }
};

std::vector<Extent> ExtentsOf(const std::string& bytes) {
  std::vector<Extent> extents;
  const HeaderFields header(format::kFileHeader, bytes);
  uint64_t entry = 0;
  for (RecordType type : {RecordType::T, RecordType::R, RecordType::I}) {
    const RecordDescription& kind = DescribeRecord(type);
    const std::string count = std::string(1, kind.letter) + "CNT";
    for (int64_t n = 0; n < header.IntOf(count); ++n, ++entry) {
      const uint64_t at = GetU32(bytes, format::EntryPosition(entry));
      const HeaderFields fields(kind.header, bytes.substr(at, kind.header.size));
      extents.push_back({kind.letter + std::to_string(n), entry, at, kind.header.size,
                         at + fields.OffsetOf("SIZE"), kind.sampleBytes,
                         static_cast<uint64_t>(std::max<int64_t>(fields.IntOf("SIZE"), 0)), kind.sizeSigned});
    }
  }
  return extents;
}

// The first problem a damaged file must show: a code and, for a record's
// problem, its name. Failure::None: no problem at all.
struct Problem {
  Failure code;
  std::string record;
};

struct Damage {
  std::string what;
  std::string bytes;
  std::optional<Problem> first;  // nothing: whatever the view finds, as long as it agrees with itself
};

// The 16-bit word sum of every complete word.
uint16_t WordSumOf(const std::string& bytes) {
  uint16_t sum = 0;
  for (size_t at = 0; at + 1 < bytes.size(); at += 2) sum = static_cast<uint16_t>(sum + GetU16(bytes, at));
  return sum;
}

// The file with the word at 4, the start of the description, set so that
// its word sum is zero again.
const size_t kBalance = format::kFileHeader.Offset("DESC");
std::string Resealed(std::string bytes) {
  if (bytes.size() < kBalance + 2) return bytes;
  PutU16(bytes, kBalance, 0);
  PutU16(bytes, kBalance, static_cast<uint16_t>(0u - WordSumOf(bytes)));
  return bytes;
}

// What the file cut to length must show, from the intact file's records.
std::optional<Problem> FirstProblemOfCut(uint64_t length, const std::vector<Extent>& extents,
                                         uint64_t tableEnd) {
  if (length < 4) return Problem{Failure::InvalidMagicNumber, ""};
  if (length < kBalance + 2) return std::nullopt;  // the word sum is whatever the cut leaves
  if (length < format::kFileHeader.size) return Problem{Failure::BinaryReadErrorOn, ""};
  if (length < tableEnd) return Problem{Failure::InvalidRecordCount, ""};
  for (const Extent& e : extents) {
    if (e.offset + e.headerSize > length) return Problem{Failure::RecordOutsideFile, e.name};
    if (e.End() > length) return Problem{Failure::SamplesOutsideFile, e.name};
  }
  return Problem{Failure::None, ""};
}

std::vector<Damage> DamagesOf(const std::string& intact) {
  const std::vector<Extent> extents = ExtentsOf(intact);
  const uint64_t tableEnd = format::EntryPosition(extents.size());
  std::vector<Damage> damages;
  // Every byte of the header, as it is and resealed.
  const size_t counts = format::kFileHeader.Offset("TCNT"), countsEnd = format::kFileHeader.Offset("MXPR");
  for (size_t at = 0; at < format::kFileHeader.size; ++at) {
    std::string flipped = intact;
    flipped[at] = static_cast<char>(flipped[at] ^ 0x80);
    const std::string what = "header byte " + std::to_string(at) + " flipped";
    damages.push_back(
        {what, flipped, Problem{at < 4 ? Failure::InvalidMagicNumber : Failure::ChecksumError, ""}});
    if (at >= kBalance && at < kBalance + 2) continue;  // resealing undoes it
    std::optional<Problem> first = Problem{at < 4 ? Failure::InvalidMagicNumber : Failure::None, ""};
    if (at >= counts && at < countsEnd) first.reset();  // other records, another table
    damages.push_back({what + " and resealed", Resealed(flipped), first});
  }
  // Every table entry, pointed past the end, across it, and elsewhere inside.
  for (const Extent& e : extents) {
    const uint64_t length = intact.size();
    for (uint64_t to : {length, length - e.headerSize + 1, uint64_t{0xFFFFFFFF}, uint64_t{0}, e.offset + 1,
                        extents.front().offset, extents.back().offset}) {
      std::string pointed = intact;
      PutU32(pointed, format::EntryPosition(e.entry), static_cast<uint32_t>(to));
      std::optional<Problem> first;
      if (to + e.headerSize > length) first = Problem{Failure::RecordOutsideFile, e.name};
      damages.push_back({"entry of " + e.name + " set to " + std::to_string(to), Resealed(pointed), first});
    }
  }
  // Every SIZE, up to values the file cannot hold.
  for (const Extent& e : extents) {
    for (uint32_t size : {0u, static_cast<uint32_t>(e.declared + 1), 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu}) {
      std::string sized = intact;
      PutU32(sized, e.sizeAt, size);
      Extent changed = e;
      changed.declared = e.sizeSigned && static_cast<int32_t>(size) < 0 ? 0 : size;
      const bool past = changed.End() > intact.size();
      damages.push_back({"SIZE of " + e.name + " set to " + std::to_string(size), Resealed(sized),
                         Problem{past ? Failure::SamplesOutsideFile : Failure::None, past ? e.name : ""}});
    }
  }
  // Cuts: every length up to a whole header, and every boundary of the table
  // and of each record's header, samples and pad, one byte either side too.
  std::vector<uint64_t> cuts = {tableEnd, intact.size() - 2};
  for (uint64_t length = 0; length <= format::kFileHeader.size; ++length) cuts.push_back(length);
  for (const Extent& e : extents)
    for (uint64_t at : {e.offset, e.offset + e.headerSize, e.End(), e.End() + 2}) cuts.push_back(at);
  for (uint64_t cut : cuts) {
    for (uint64_t length : {cut - 1, cut, cut + 1}) {
      if (length > intact.size()) continue;
      damages.push_back({"cut to " + std::to_string(length) + " bytes", Resealed(intact.substr(0, length)),
                         FirstProblemOfCut(length, extents, tableEnd)});
    }
  }
  return damages;
}

bool Inside(std::span<const uint8_t> part, std::span<const uint8_t> all) {
  return part.empty() || (part.data() >= all.data() && part.data() + part.size() <= all.data() + all.size());
}

void CheckDamage(const Damage& damage, const std::string& path) {
  SCOPED_TRACE(damage.what);
  WriteFile(path, damage.bytes);
  Outcome full, salvaged;
  const auto view = PulseFileView::Open(path, PulseFileView::Verify::Full, &full);
  const auto salvage = PulseFileView::Open(path, PulseFileView::Verify::Salvage, &salvaged);
  ASSERT_TRUE(salvage) << salvaged.message;
  const std::vector<StructureProblem>& problems = salvage->Problems();
  EXPECT_EQ(ValidatePulseFile(path), problems.empty() ? 1 : 0);
  if (problems.empty()) {
    EXPECT_TRUE(view && full.ok()) << full.message;
  } else {
    EXPECT_FALSE(view);
    EXPECT_EQ(full.code, problems.front().what.code);
    EXPECT_EQ(full.message, problems.front().what.message);
    EXPECT_EQ(salvaged.message, full.message);
  }
  if (damage.first) {
    EXPECT_EQ(problems.empty() ? Failure::None : problems.front().what.code, damage.first->code)
        << full.message;
    const int64_t record = problems.empty() ? -1 : problems.front().record;
    EXPECT_EQ(record < 0 ? "" : salvage->Records()[static_cast<size_t>(record)].Name(), damage.first->record);
  }
  EXPECT_EQ(salvage->Length(), damage.bytes.size());
  EXPECT_EQ(salvage->HasHeader(), damage.bytes.size() >= format::kFileHeader.size);
  const std::span<const uint8_t> all = salvage->Bytes();
  for (const RecordView& record : salvage->Records()) {
    EXPECT_TRUE(Inside(record.header, all) && Inside(record.samples, all)) << record.Name();
    EXPECT_TRUE(record.header.empty() || record.header.size() == record.Info().header.size) << record.Name();
    EXPECT_LE(record.samples.size(), record.declaredSamples * record.Info().sampleBytes) << record.Name();
    EXPECT_EQ(record.complete, !record.header.empty() && record.SampleCount() == record.declaredSamples);
  }
}

class DamagedGoldenFile : public ::testing::TestWithParam<std::string> {};

TEST_P(DamagedGoldenFile, FullCheckRefusesWithTheFirstProblemAndSalvageStaysInside) {
  const std::string intact = ReadFile(GoldenDir() / GetParam() / "data.spf");
  ASSERT_EQ(WordSumOf(intact), 0);
  ScratchDir dir;
  const std::vector<Damage> damages = DamagesOf(intact);
  for (const Damage& damage : damages) {
    CheckDamage(damage, dir / "data.spf");
    if (HasFatalFailure()) return;
  }
  std::cout << "[ damage walk ] " << GetParam() << ": " << damages.size() << " damaged files\n";
}

// Records of every kind in table order, records out of it at odd offsets,
// and no records at all: what the other cases hold, these hold too.
INSTANTIATE_TEST_SUITE_P(GoldenCases, DamagedGoldenFile,
                         ::testing::Values("mixed", "mixed-edge", "no-records"),
                         [](const auto& testInfo) { return TestNameOf(testInfo.param); });

}  // namespace
}  // namespace orvane::testing
