// docs/file-format.md against the engine's description of the format: the
// figures, the table of record kinds, every row of the four header tables
// (offset, size, storage type, label, the text line of each layout and how
// it is read back) and the text examples, which must be what the export
// writes for docs/example.spf. A user writing files from that page relies
// on every figure in it, so any disagreement fails here.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "orvane/byte_order.h"
#include "orvane/format.h"
#include "test_support.h"

namespace orvane::testing {
namespace {

const fs::path kDocsDir = ORVANE_DOCS_DIR;

std::vector<std::string> DocLines() {
  std::ifstream in(kDocsDir / "file-format.md");
  EXPECT_TRUE(in) << "cannot read " << (kDocsDir / "file-format.md");
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::string Trim(const std::string& s) {
  const size_t first = s.find_first_not_of(' ');
  if (first == std::string::npos) return "";
  return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

// A cell without the blanks around it and without the backticks of a code span.
std::string CellText(const std::string& raw) {
  std::string cell = Trim(raw);
  if (cell.size() >= 2 && cell.front() == '`' && cell.back() == '`') cell = cell.substr(1, cell.size() - 2);
  return cell;
}

std::vector<std::string> Cells(const std::string& line) {
  std::vector<std::string> cells;
  std::string rest = line.substr(1);  // past the leading '|'
  for (size_t bar; (bar = rest.find('|')) != std::string::npos; rest = rest.substr(bar + 1))
    cells.push_back(CellText(rest.substr(0, bar)));
  return cells;
}

struct Table {
  std::string heading;
  std::vector<std::vector<std::string>> rows;  // without the column names and the rule
};

// The first table after the one heading line that contains `key`. Every
// row must have as many cells as the column names, which must be `columns`.
Table TableUnder(const std::string& key, const std::vector<std::string>& columns) {
  const std::vector<std::string> lines = DocLines();
  Table table;
  size_t at = lines.size();
  for (size_t k = 0; k < lines.size(); ++k) {
    if (lines[k].starts_with("#") && lines[k].find(key) != std::string::npos) {
      EXPECT_EQ(at, lines.size()) << "two headings hold " << key;
      at = k;
    }
  }
  if (at == lines.size()) {
    ADD_FAILURE() << "no heading holds " << key;
    return table;
  }
  table.heading = lines[at];
  while (++at < lines.size() && !lines[at].starts_with("|")) {
    if (lines[at].starts_with("#")) {
      ADD_FAILURE() << "no table under " << table.heading;
      return table;
    }
  }
  if (at + 1 >= lines.size()) {
    ADD_FAILURE() << "no table under " << table.heading;
    return table;
  }
  EXPECT_EQ(Cells(lines[at]), columns) << "column names under " << table.heading;
  EXPECT_TRUE(lines[at + 1].starts_with("|---")) << "rule under " << table.heading;
  for (at += 2; at < lines.size() && lines[at].starts_with("|"); ++at) {
    table.rows.push_back(Cells(lines[at]));
    EXPECT_EQ(table.rows.back().size(), columns.size()) << lines[at];
  }
  return table;
}

// The byte count a heading names: "..., 316 bytes".
size_t BytesInHeading(const std::string& heading) {
  const size_t end = heading.rfind(" bytes");
  if (end == std::string::npos) return 0;
  const size_t start = heading.rfind(' ', end - 1) + 1;
  return std::stoul(heading.substr(start, end - start));
}

// The names the page gives to the description's types and text formats.
std::string TypeName(FieldType type) {
  switch (type) {
    case FieldType::Text80: return "char[80]";
    case FieldType::UInt32: return "uint32";
    case FieldType::Int32: return "int32";
    case FieldType::UInt16: return "uint16";
    case FieldType::Real32: return "float32";
  }
  return "?";
}

std::string WrittenAs(TextFormat format) {
  switch (format) {
    case TextFormat::Hex32: return "%lX";
    case TextFormat::Text80: return "%s";
    case TextFormat::Int32: return "%ld";
    case TextFormat::UInt32: return "%lu";
    case TextFormat::Word16: return "%d";
    case TextFormat::Real32: return "%f";
  }
  return "?";
}

std::string ReadAs(TextFormat format) {
  switch (format) {
    case TextFormat::Text80: return "79 columns";
    case TextFormat::Word16: return "%hd";
    default: return WrittenAs(format);
  }
}

// The key of a labelled line: "PID : ", "RS 0: ".
std::string LabelledKey(const FieldDescription& field) {
  if (field.rsIndex >= 0)
    return std::string("RS") + (field.rsIndex < 10 ? " " : "") + std::to_string(field.rsIndex) + ": ";
  std::string key(field.label);
  key.resize(4, ' ');
  return key + ": ";
}

std::string SampleName(SampleType type) { return type == SampleType::Int16 ? "int16" : "float32"; }

const std::vector<std::string> kFieldColumns = {"Offset",        "Size",      "Type",    "Label",
                                                "Labelled line", "Bare line", "Read as", "Meaning"};

TEST(FileFormatDoc, HeaderTablesListEveryFieldOfTheDescriptionAsItIs) {
  for (HeaderKind kind : {HeaderKind::File, HeaderKind::T, HeaderKind::R, HeaderKind::I}) {
    const HeaderDescription& header = DescribeHeader(kind);
    SCOPED_TRACE(std::string(header.name));
    const Table table = TableUnder("`" + std::string(header.name) + "`", kFieldColumns);
    EXPECT_EQ(BytesInHeading(table.heading), header.size) << table.heading;
    ASSERT_EQ(table.rows.size(), header.fields.size()) << "one row per field, in the order of the lines";
    for (size_t k = 0; k < header.fields.size(); ++k) {
      const FieldDescription& field = header.fields[k];
      const std::vector<std::string>& row = table.rows[k];
      if (row.size() != kFieldColumns.size()) continue;  // reported by TableUnder
      SCOPED_TRACE(std::string(field.label));
      EXPECT_EQ(row[0], std::to_string(field.offset)) << "offset";
      EXPECT_EQ(row[1], std::to_string(field.Size())) << "size";
      EXPECT_EQ(row[2], TypeName(field.type)) << "type";
      EXPECT_EQ(row[3], field.label) << "label";
      EXPECT_EQ(row[4], LabelledKey(field) + WrittenAs(field.labelled)) << "labelled line";
      EXPECT_EQ(row[5], WrittenAs(field.bare)) << "bare line";
      EXPECT_EQ(row[6], ReadAs(field.read)) << "read as";
      EXPECT_FALSE(row[7].empty()) << "meaning";
    }
  }
}

TEST(FileFormatDoc, FiguresAreTheDescriptions) {
  const Table table = TableUnder("## Figures", {"Figure", "Value"});
  const std::map<std::string, uint64_t> expected = {
      {"Magic number (MAGC)", format::kMagic},
      {"File header size", format::kFileHeader.size},
      {"Offset table start", format::kTableStart},
      {"Offset table entry size", format::kOffsetEntrySize},
      {"Text field size", format::kTextFieldSize},
      {"T record header size", DescribeRecord(RecordType::T).header.size},
      {"R record header size", DescribeRecord(RecordType::R).header.size},
      {"I record header size", DescribeRecord(RecordType::I).header.size},
  };
  std::map<std::string, uint64_t> listed;
  for (const auto& row : table.rows)
    if (row.size() == 2) listed[row[0]] = std::stoull(row[1], nullptr, 0);
  EXPECT_EQ(listed, expected);
}

TEST(FileFormatDoc, RecordKindsAreTheDescriptions) {
  const Table table = TableUnder(
      "### Record kinds", {"Kind", "Header", "Header size", "SIZE at", "Sample", "Sample size",
                           "Per text line", "SIZE in the file", "SIZE in the text", "Pad after odd count"});
  ASSERT_EQ(table.rows.size(), 3u);
  for (RecordType type : {RecordType::T, RecordType::R, RecordType::I}) {
    const RecordDescription& record = DescribeRecord(type);
    const std::vector<std::string>& row = table.rows[static_cast<size_t>(type)];
    SCOPED_TRACE(std::string(1, record.letter));
    const std::vector<std::string> expected = {std::string(1, record.letter),
                                               std::string(record.header.name),
                                               std::to_string(record.header.size),
                                               std::to_string(record.sizeOffset),
                                               SampleName(record.sample),
                                               std::to_string(record.sampleBytes),
                                               std::to_string(record.samplesPerLine),
                                               record.sizeSigned ? "int32" : "uint32",
                                               record.importSizeSigned ? "int32" : "uint32",
                                               record.padOddCount ? "yes" : "no"};
    EXPECT_EQ(row, expected);
  }
}

// Blocks of the page marked "<!-- example: LAYOUT/NAME -->": their text by that key.
std::map<std::string, std::string> Examples() {
  const std::vector<std::string> lines = DocLines();
  std::map<std::string, std::string> examples;
  const std::string marker = "<!-- example: ";
  for (size_t k = 0; k < lines.size(); ++k) {
    if (!lines[k].starts_with(marker)) continue;
    const std::string key = lines[k].substr(marker.size(), lines[k].find(" -->") - marker.size());
    EXPECT_TRUE(k + 1 < lines.size() && lines[k + 1].starts_with("```")) << "no block after " << lines[k];
    std::string text;
    for (k += 2; k < lines.size() && !lines[k].starts_with("```"); ++k) text += lines[k] + "\n";
    examples[key] = text;
  }
  return examples;
}

// A record file's end mark stands as an empty line after a full last line
// (or none); the page's block cannot show that line, so it is added back.
std::string AsShown(std::string text) {
  if (text.ends_with("\n\n")) text.pop_back();
  return text;
}

TEST(FileFormatDoc, ExamplesAreWhatTheExportWritesForTheExampleFile) {
  const std::map<std::string, std::string> examples = Examples();
  ASSERT_GE(examples.size(), 4u);
  for (const bool labelled : {true, false}) {
    const std::string layout = labelled ? "labelled" : "bare";
    ScratchDir dir;
    fs::copy_file(kDocsDir / "example.spf", dir.path() / "example.spf");
    RecordedConverter run;
    run.Convert(dir / "example.spf", true, labelled);
    ASSERT_TRUE(run.outcome.ok()) << run.outcome.message;
    for (const auto& [key, text] : examples) {
      if (!key.starts_with(layout + "/")) continue;
      SCOPED_TRACE(key);
      EXPECT_EQ(text, AsShown(ReadFile(dir / key.substr(layout.size() + 1))));
    }
  }
  for (const auto& [key, text] : examples)
    EXPECT_TRUE(key.starts_with("labelled/") || key.starts_with("bare/")) << key;
}

// The page's account of where the parts of example.spf lie.
TEST(FileFormatDoc, ExampleLayoutIsThatOfTheExampleFile) {
  const std::string bytes = ReadFile((kDocsDir / "example.spf").string());
  ASSERT_GT(bytes.size(), format::EntryPosition(3));
  const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
  auto entry = [&](uint64_t e) { return std::to_string(LoadU32(data + format::EntryPosition(e))); };
  char seal[64];
  std::snprintf(seal, sizeof seal, "seal word 0x%04X at %zu", LoadU16(data + bytes.size() - 2),
                bytes.size() - 2);
  std::string page;
  for (const std::string& line : DocLines()) page += line + " ";
  for (const std::string& told :
       {"is " + std::to_string(bytes.size()) + " bytes",
        "the entries " + entry(0) + ", " + entry(1) + " and " + entry(2), std::string(seal)})
    EXPECT_NE(page.find(told), std::string::npos) << "the page does not say: " << told;
}

}  // namespace
}  // namespace orvane::testing
