// Records of the three kinds both ways through the one record converter:
// header lines, value lines of 16-bit samples (T, I) or reals written with a
// three-digit exponent (R), the pad after an odd count of 16-bit samples,
// the labelled index rules, the channel word and how each kind reads SIZE.
// One suite over the kinds; rows say what sets a kind apart.
#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

#include "record_fixture.h"

namespace orvane::testing {
namespace {

// What a test knows of a kind, written out rather than taken from the
// engine's description, so that a wrong description fails here.
struct KindCase {
  RecordType type;
  size_t headerSize;
  size_t sampleBytes;
  std::vector<std::string> labels;  // of the header lines, in line order
  // The header line values of the record every case starts from; "" for SIZE.
  std::vector<std::string> values;
  const char* channelLabelled;  // a channel word of all ones as each layout writes it
  const char* channelBare;
};

// clang-format off
const KindCase kKinds[] = {
    {RecordType::T, 136, 2,
     {"DESC: ", "CHAN: ", "RATE: ", "OFFS: ", "GAIN: ", "TYPE: ", "SIZE: ", "FHz0: ", "FHzN: ", "RS 0: ",
      "RS 1: ", "RS 2: ", "RS 3: ", "RS 4: ", "RS 5: "},
     {"tee", "7", "1.500000", "-3", "0.250000", "2", "", "100.000000", "-100.000000", "0", "1", "2", "3", "4",
      "5"},
     "-1", "4294967295"},
    {RecordType::R, 152, 4,
     {"DESC: ", "CHAN: ", "RATE: ", "PFDF: ", "PFAS: ", "FFSZ: ", "FFDF: ", "IFSZ: ", "SAMP: ", "FCOE: ",
      "SIZE: ", "FHz0: ", "FHzN: ", "RS 0: ", "RS 1: ", "RS 2: ", "RS 3: ", "RS 4: ", "RS 5: "},
     {"are", "9", "2.500000", "-1", "2", "-3", "4", "-5", "6", "-7", "", "0.125000", "-8.000000", "10", "11",
      "12", "13", "14", "15"},
     "-1", "-1"},
    {RecordType::I, 124, 2,
     {"DESC: ", "CHAN: ", "RATE: ", "SIZE: ", "RS 0: ", "RS 1: ", "RS 2: ", "RS 3: ", "RS 4: ", "RS 5: ",
      "RS 6: ", "RS 7: "},
     {"eye", "3", "-0.500000", "", "-1", "-2", "-3", "-4", "5", "6", "7", "8"},
     "4294967295", "4294967295"},
};
// clang-format on

using KindLayoutThreads = std::tuple<RecordType, bool, unsigned>;

class RecordKind : public RecordConversion, public ::testing::WithParamInterface<KindLayoutThreads> {
 protected:
  RecordKind() : RecordConversion(std::get<1>(GetParam()), std::get<2>(GetParam())) {}
  const KindCase& Case() const { return kKinds[static_cast<size_t>(std::get<0>(GetParam()))]; }
  RecordType Type() const { return Case().type; }
  char Letter() const { return DescribeRecord(Type()).letter; }
  bool Is(const char* letters) const { return std::string(letters).find(Letter()) != std::string::npos; }
  std::string Suffix() const { return std::string(".") + Letter() + "0"; }
  size_t Lines() const { return Case().labels.size(); }

  // The record every case starts from: its header fields read from its
  // header line values, and the given samples.
  BuiltRecord Simple(const std::vector<double>& samples) const {
    BuiltRecord record(Type());
    for (size_t k = 0; k < Lines(); ++k) {
      const FieldDescription& field = record.header.Description().fields[k];
      const std::string& value = Case().values[k];
      if (field.type == FieldType::Text80)
        record.header.Text(field.label, value);
      else if (field.type == FieldType::Real32)
        record.header.Real(field.label, std::strtof(value.c_str(), nullptr));
      else if (!value.empty())
        record.header.Int(field.label, std::stoll(value));
    }
    record.samples = SampleBytes(samples);
    return record;
  }
  std::string SampleBytes(const std::vector<double>& samples) const {
    if (Case().sampleBytes == 4) return RealSamples({samples.begin(), samples.end()});
    std::vector<int16_t> words;
    for (double sample : samples) words.push_back(static_cast<int16_t>(sample));
    return WordSamples(words);
  }
  // The record's bytes in an imported file: header, samples, and a zero
  // after an odd count of 16-bit samples.
  size_t ImportedBytes(size_t count) const {
    return Case().headerSize + count * Case().sampleBytes + (Case().sampleBytes == 2 && count % 2 ? 2 : 0);
  }
  std::string HeaderLines(const std::string& size) const {
    std::string text;
    for (size_t k = 0; k < Lines(); ++k)
      text += (Labelled() ? Case().labels[k] : "") + (k == SizeLine() ? size : Case().values[k]) + "\n";
    return text;
  }
  size_t SizeLine() const {
    return std::find(Case().labels.begin(), Case().labels.end(), "SIZE: ") - Case().labels.begin();
  }

  static PulseFileBuilder FileOf(const BuiltRecord& record) {
    PulseFileBuilder b;
    b.records = {record};
    return b;
  }
  std::string ExportedText(const BuiltRecord& record) {
    return RecordConversion::ExportedText(FileOf(record), Suffix());
  }
  TraceRecorder Import(const std::string& text) {
    return RecordConversion::Import(Type() == RecordType::T, Type() == RecordType::R, Type() == RecordType::I,
                                    {{Suffix(), text}});
  }
  TraceRecorder ImportOverOld(const std::string& text) {
    WriteOldPulseFile();
    return Import(text);
  }
  ParsedRecord ImportedRecord() {
    ParsedPulseFile file = Imported();
    EXPECT_EQ(file.records.size(), 1u);
    return file.records.empty() ? ParsedRecord{Type(), HeaderFields(DescribeRecord(Type()).header), ""}
                                : file.records[0];
  }
  void ExpectFailedLine(const std::string& text, size_t line) {
    ExpectFailedImport(ImportOverOld(text),
                       "ASCII read error on " + Named(Suffix()) + " line " + std::to_string(line));
  }
};

std::string KindName(const ::testing::TestParamInfo<KindLayoutThreads>& info) {
  const auto [type, labelled, threads] = info.param;
  return DescribeRecord(type).letter + std::string("_") +
         LayoutName(::testing::TestParamInfo<LayoutAndThreads>({labelled, threads}, info.index));
}

auto Kinds(std::vector<RecordType> types) {
  return ::testing::Combine(::testing::ValuesIn(types), ::testing::Bool(), ::testing::Values(1u, 4u));
}

TEST_P(RecordKind, SizeZeroIsHeaderLinesAndOneEmptyLine) {
  const std::string text = HeaderLines("0") + "\n";
  EXPECT_EQ(ExportedText(Simple({})), text);
  EXPECT_EQ(Statuses(Import(text)), std::vector<std::string>{"conversion complete"});
  EXPECT_EQ(RecordBytes(1), Case().headerSize);
  BuiltRecord expected = Simple({});
  expected.header.Text("DESC", Case().values[0] + std::string(76, ' '));
  EXPECT_EQ(ImportedRecord().header.Bytes(), expected.HeaderBytes());
}

// Value lines of each kind: eight 16-bit samples or four reals to a line,
// the last line ending in blanks or followed by an empty line.
struct ValueLinesCase {
  char kind;
  std::vector<double> samples;
  const char* labelled;
  const char* bare;
};

// clang-format off
const ValueLinesCase kValueLines[] = {
    {'T', {1, 2, 3, 4, 5, 6, 7, 8, 9, 10},
     "     0:       1        2        3        4        5        6        7        8\n"
     "     8:       9       10   \n",
     "     1        2        3        4        5        6        7        8\n     9       10   \n"},
    {'T', {1, 2, 3, 4, 5, 6, 7, 8, 9},
     "     0:       1        2        3        4        5        6        7        8\n     8:       9   \n",
     "     1        2        3        4        5        6        7        8\n     9   \n"},
    {'T', {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16},
     "     0:       1        2        3        4        5        6        7        8\n"
     "     8:       9       10       11       12       13       14       15       16\n\n",
     "     1        2        3        4        5        6        7        8\n"
     "     9       10       11       12       13       14       15       16\n\n"},
    {'T', {-32768, 32767, 0, -1}, "     0:  -32768    32767        0       -1   \n",
     "-32768    32767        0       -1   \n"},
    {'I', {-32768, 32767, 0, -1}, "     0:  -32768    32767        0       -1   \n",
     "-32768    32767        0       -1   \n"},
    {'I', {-7, 6, -5, 4, -3, 2, -1},
     "     0:      -7        6       -5        4       -3        2       -1   \n",
     "    -7        6       -5        4       -3        2       -1   \n"},
    {'I', {1, 2, 3, 4, 5, 6, 7, 8},
     "     0:       1        2        3        4        5        6        7        8\n\n",
     "     1        2        3        4        5        6        7        8\n\n"},
    {'R', {1, 2, 3, 4, -1.5, 6},
     "     0:   1.0000000e+000    2.0000000e+000    3.0000000e+000    4.0000000e+000\n"
     "     4:  -1.5000000e+000    6.0000000e+000   \n",
     " 1.0000000e+000    2.0000000e+000    3.0000000e+000    4.0000000e+000\n"
     "-1.5000000e+000    6.0000000e+000   \n"},
    {'R', {0, -0.0, 1e-10f, 123456.78f, -3.4028235e38f, 1.17549435e-38f, 0.1f, 10},
     "     0:   0.0000000e+000   -0.0000000e+000    1.0000000e-010    1.2345678e+005\n"
     "     4:  -3.4028235e+038    1.1754944e-038    1.0000000e-001    1.0000000e+001\n\n",
     " 0.0000000e+000   -0.0000000e+000    1.0000000e-010    1.2345678e+005\n"
     "-3.4028235e+038    1.1754944e-038    1.0000000e-001    1.0000000e+001\n\n"},
};
// clang-format on

TEST_P(RecordKind, SamplesFillTheirLinesAndComeBackWithThePad) {
  for (const ValueLinesCase& c : kValueLines) {
    if (c.kind != Letter()) continue;
    SCOPED_TRACE(c.labelled);
    const std::string text =
        HeaderLines(std::to_string(c.samples.size())) + (Labelled() ? c.labelled : c.bare);
    EXPECT_EQ(ExportedText(Simple(c.samples)), text);
    EXPECT_EQ(LastStatus(Import(text)), "conversion complete");
    const size_t bytes = ImportedBytes(c.samples.size());
    EXPECT_EQ(RecordBytes(1), bytes);
    const std::string samples = SampleBytes(c.samples);
    EXPECT_EQ(ReadFile(Spf()).substr(format::EntryPosition(1) + Case().headerSize, bytes - Case().headerSize),
              samples + std::string(bytes - Case().headerSize - samples.size(), '\0'));
  }
}

TEST_P(RecordKind, ChannelWordOfAllOnes) {
  BuiltRecord record = Simple({1});
  record.header.Int("CHAN", 0xFFFFFFFF);
  EXPECT_EQ(SplitLines(ExportedText(record)).at(1),
            Label("CHAN: ") + (Labelled() ? Case().channelLabelled : Case().channelBare));
  EXPECT_EQ(LastStatus(ImportExisting()), "conversion complete");
  EXPECT_EQ(ImportedRecord().header.IntOf("CHAN"), 0xFFFFFFFF);
}

TEST_P(RecordKind, ChannelReadsEitherRendering) {
  const std::pair<const char*, uint32_t> cases[] = {{"-1", 0xFFFFFFFF},
                                                    {"4294967295", 0xFFFFFFFF},
                                                    {"-2147483648", 0x80000000},
                                                    {"2147483648", 0x80000000},
                                                    {"-2", 0xFFFFFFFE}};
  for (const auto& [chan, expected] : cases) {
    std::vector<std::string> lines = SplitLines(HeaderLines("0"));
    lines[1] = Label("CHAN: ") + chan;
    EXPECT_EQ(LastStatus(Import(JoinLines(lines) + "\n")), "conversion complete") << chan;
    EXPECT_EQ(ImportedRecord().header.IntOf("CHAN"), expected) << chan;
  }
}

TEST_P(RecordKind, DescriptionsComeBackPaddedOrCutOnTheirOwnLine) {
  const std::tuple<std::string, std::string, std::string> cases[] = {
      // as given, as exported, as imported
      {"abc", "abc", "abc" + std::string(76, ' ')},
      {kEightyChars.substr(0, 79), kEightyChars.substr(0, 79), kEightyChars.substr(0, 79)},
      {kEightyChars, kEightyChars, kEightyChars.substr(0, 79)},
      {"", "", std::string(79, ' ')},
      {"before#after", "before#after", "before" + std::string(73, ' ')},
      {"x#y", "x#y", "x" + std::string(78, ' ')},
      {"one\ntwo\rthree", "one two three", "one two three" + std::string(66, ' ')},
  };
  for (const auto& [desc, exported, imported] : cases) {
    BuiltRecord record = Simple({4});
    record.header.Text("DESC", desc);
    Export(FileOf(record));
    EXPECT_EQ(SplitLines(ReadFile(Named(Suffix()))).at(0), Label("DESC: ") + exported);
    EXPECT_EQ(LastStatus(ImportExisting()), "conversion complete") << desc;
    const ParsedRecord back = ImportedRecord();
    EXPECT_EQ(back.header.Bytes().substr(0, 80), imported + '\0') << desc;
    EXPECT_EQ(back.samples, record.samples) << desc;
  }
}

// Every real of a header, however small, is written with six decimals.
TEST_P(RecordKind, TinyRealsExportAsSignedZero) {
  for (const float tiny : {0.0000001f, -0.0000004f}) {
    BuiltRecord record = Simple({});
    for (const FieldDescription& field : record.header.Description().fields)
      if (field.type == FieldType::Real32) record.header.Real(field.label, tiny);
    const std::vector<std::string> lines = SplitLines(ExportedText(record));
    EXPECT_EQ(LastStatus(ImportExisting()), "conversion complete");
    const ParsedRecord back = ImportedRecord();
    for (size_t k = 0; k < Lines(); ++k) {
      const FieldDescription& field = record.header.Description().fields[k];
      if (field.type != FieldType::Real32) continue;
      EXPECT_EQ(lines.at(k), Label(Case().labels[k]) + (tiny < 0 ? "-0.000000" : "0.000000"));
      EXPECT_EQ(Bits(back.header.RealOf(field.label)), Bits(tiny < 0 ? -0.0f : 0.0f)) << field.label;
    }
  }
}

// How each kind reads SIZE: T signed, none when zero or less; R counts it
// unsigned and writes it signed; I both unsigned. A SIZE beyond the file
// fails the export after the samples that are there.
struct SizeCase {
  char kind;
  int64_t size;
  std::vector<double> samples;
  const char* exportStatus;
  const char* sizeText;
  const char* valueLine;  // the record's last line, after the index of a labelled line; null: unchecked
  size_t importedBytes;   // of the import of the exported text; 0: not imported
  std::optional<int64_t> importedSize;
};

const SizeCase kSizes[] = {
    {'T', -5, {}, "conversion complete", "-5", "", 136, -5},
    {'I', 3000000000, {5, 6}, "Binary read error", "3000000000", nullptr, 0, {}},
    {'R', -1, {1}, "Binary read error", "-1", " 1.0000000e+000   ", 152, {}},
};

TEST_P(RecordKind, SizeIsReadAsItsKindCountsIt) {
  keepPartial = true;  // what the failed record got is put in place
  for (const SizeCase& c : kSizes) {
    if (c.kind != Letter()) continue;
    BuiltRecord record = Simple(c.samples);
    record.size = c.size;
    EXPECT_EQ(LastStatus(Export(FileOf(record))), c.exportStatus);
    const std::vector<std::string> lines = SplitLines(ReadFile(Named(Suffix())));
    ASSERT_EQ(lines.size(), Lines() + 1);
    EXPECT_EQ(JoinLines({lines.begin(), lines.end() - 1}), HeaderLines(c.sizeText));
    if (c.valueLine) {
      EXPECT_EQ(lines.back(), *c.valueLine ? Label("     0:  ") + c.valueLine : "");
    }
    if (!c.importedBytes) continue;
    EXPECT_EQ(LastStatus(ImportExisting()), "conversion complete");
    EXPECT_EQ(RecordBytes(1), c.importedBytes);
    if (c.importedSize) {
      EXPECT_EQ(ImportedRecord().header.IntOf("SIZE"), *c.importedSize);
    }
  }
}

// Value lines as the import reads them, or the line it fails on. "@"
// stands for the index of a labelled line, "0: ".
struct ReadCase {
  const char* kinds;  // the kinds the case applies to
  bool labelledOnly;
  int size;
  const char* text;
  std::vector<double> samples;  // what comes back
  size_t failingLine = 0;       // or the value line that fails, from 1
};

std::vector<double> OneTo(int n) {
  std::vector<double> v;
  for (int k = 1; k <= n; ++k) v.push_back(k);
  return v;
}

const char kEight[] = "       1        2        3        4        5        6        7        8\n";

// clang-format off
const ReadCase kReads[] = {
    // A labelled index may be any integer and is not checked.
    {"TI", true, 10, "     5:", OneTo(10)},
    {"TI", true, 10, "0:", OneTo(10)},
    {"TI", true, 10, "-3:", OneTo(10)},
    {"TI", true, 10, "  1234567:", OneTo(10)},
    {"TI", true, 10, "+0:", OneTo(10)},
    {"I", true, 9, "77: 1 2 3 4 5 6 7 8\n-1:9\n", OneTo(9)},
    {"R", true, 5, "999999: 1 2 3 4\n  -12:5\n", OneTo(5)},
    // The export writes seven-digit indices from sample 1000000 on.
    {"R", true, 5, "     0: 1 2 3 4\n1000000: 5\n", OneTo(5)},
    // Without its colon, or without digits, it fails the line.
    {"TI", true, 10, "     0       1        2        3        4        5        6        7        8\n", {},
     1},
    {"TI", true, 10, "     0 :       1        2        3        4        5        6        7        8\n", {},
     1},
    {"TI", true, 10, "       1        2        3        4        5        6        7        8\n", {}, 1},
    {"I", true, 9, "77: 1 2 3 4 5 6 7 8\n8 9\n", {}, 2},
    {"R", true, 5, "     0: 1 2 3 4\n: 5\n", {}, 2},
    {"R", true, 4, "     0 1 2 3 4\n", {}, 1},
    // Remarks and surplus values are ignored; the next group starts on the next line.
    {"TI", false, 10, "@1 2 3 4 5 6 7 8 77 78\n@9 10 11 12 # remark\n@55 56\n", OneTo(10)},
    {"R", false, 6, "@1 2 3 4 # four values\n@5e0 6E+00 7 8 9\n@10\n", OneTo(6)},
    // Too few values fail the line; so does a word beyond 16 bits.
    {"R", false, 4, "@1 2 3\n", {}, 1},
    {"TI", false, 2, "@-32768 32767\n", {-32768, 32767}},
    {"TI", false, 3, "@1 32768 3\n", {}, 1},
    {"TI", false, 3, "@1 -32769 3\n", {}, 1},
    {"TI", false, 3, "@1 65535 3\n", {}, 1},
    {"TI", false, 3, "@1 40000 3\n", {}, 1},
    {"TI", false, 3, "@1 99999999999999999999 3\n", {}, 1},
};
// clang-format on

TEST_P(RecordKind, ValueLinesReadOrFailTheirLine) {
  for (const ReadCase& c : kReads) {
    if (!Is(c.kinds) || (c.labelledOnly && !Labelled())) continue;
    std::string text = c.text;
    for (size_t at; (at = text.find('@')) != std::string::npos;) text.replace(at, 1, Labelled() ? "0: " : "");
    // A labelled index alone is the start of a full line and the rest of the record.
    if (text.back() == ':') text += std::string(kEight) + "   999:9 10\n";
    SCOPED_TRACE(text);
    text = HeaderLines(std::to_string(c.size)) + text;
    if (c.failingLine) {
      ExpectFailedLine(text, Lines() + c.failingLine);
      continue;
    }
    EXPECT_EQ(LastStatus(Import(text)), "conversion complete");
    EXPECT_EQ(ImportedRecord().samples, SampleBytes(c.samples));
    // The lines after the last group are not read.
    EXPECT_EQ(RecordBytes(1), ImportedBytes(c.samples.size()));
  }
}

TEST_P(RecordKind, HeaderLineThatDoesNotMatchNamesItsLine) {
  for (size_t k = 2; k <= Lines(); ++k) {
    std::vector<std::string> lines = SplitLines(HeaderLines("0"));
    lines[k - 1] = Labelled() ? "XXXX: 1" : "x";
    ExpectFailedLine(JoinLines(lines) + "\n", k);
  }
}

INSTANTIATE_TEST_SUITE_P(AllKinds, RecordKind, Kinds({RecordType::T, RecordType::R, RecordType::I}),
                         KindName);

// Reals as R records hold them.
using RealSamples = RecordKind;

TEST_P(RealSamples, FullLinesHaveTheirFixedLength) {
  std::vector<double> samples;
  for (int k = 0; k < 12; ++k)
    samples.push_back(k % 2 ? -1.0f / static_cast<float>(k) : 7.0f * static_cast<float>(k));
  const std::vector<std::string> lines = SplitLines(ExportedText(Simple(samples)));
  ASSERT_EQ(lines.size(), Lines() + 3 + 1);
  for (size_t k = Lines(); k < Lines() + 3; ++k) EXPECT_EQ(lines[k].size(), Labelled() ? 78u : 69u) << k;
  EXPECT_EQ(lines.back(), "");
}

TEST_P(RealSamples, InfinityAndNanComeBackAsWritten) {
  const double inf = std::numeric_limits<double>::infinity();
  const std::string text = ExportedText(Simple({inf, -inf, std::numeric_limits<double>::quiet_NaN(), 1}));
  auto in15 = [](const std::string& v) { return std::string(15 - v.size(), ' ') + v; };
  const std::string values = (Labelled() ? "     0:  " : "") + in15("inf") + "   " + in15("-inf") + "   " +
                             in15("nan") + "   " + in15("1.0000000e+000") + "\n\n";
  EXPECT_EQ(text.substr(text.size() - values.size()), values);
  EXPECT_EQ(LastStatus(ImportExisting()), "conversion complete");
  const std::string back = ImportedRecord().samples;
  EXPECT_EQ(GetF32(back, 0), std::numeric_limits<float>::infinity());
  EXPECT_EQ(GetF32(back, 4), -std::numeric_limits<float>::infinity());
  EXPECT_TRUE(std::isnan(GetF32(back, 8)));
  EXPECT_FALSE(std::signbit(GetF32(back, 8)));
  EXPECT_EQ(GetF32(back, 12), 1.0f);
  // Written once more, the text is the same.
  EXPECT_EQ(LastStatus(ExportExisting()), "conversion complete");
  EXPECT_EQ(ReadFile(Named(".R0")).substr(ReadFile(Named(".R0")).size() - values.size()), values);
}

TEST_P(RealSamples, SamplesComeBackAsTheNearestFloatToEightDigits) {
  const std::vector<double> samples = {0.1f,   16777217.0f, 3.14159274f,    1.00000012f,
                                       7e-45f, -2.5e38f,    9.99999999e-3f, 1234.5677f};
  Export(FileOf(Simple(samples)));
  EXPECT_EQ(LastStatus(ImportExisting()), "conversion complete");
  const std::string back = ImportedRecord().samples;
  for (size_t k = 0; k < samples.size(); ++k) {
    char text[64];
    std::snprintf(text, sizeof text, "%.7e", static_cast<double>(static_cast<float>(samples[k])));
    EXPECT_EQ(Bits(GetF32(back, 4 * k)), Bits(std::strtof(text, nullptr))) << text;
  }
}

INSTANTIATE_TEST_SUITE_P(RKind, RealSamples, Kinds({RecordType::R}), KindName);

}  // namespace
}  // namespace orvane::testing
