// Export, import, export again, on the memory file system. The first byte
// of the input picks the layout (bit 0: bare values) and the threads
// (bits 1 to 5 all set: the first export and the first import convert the
// records on two threads, and the second ones on one, which then write the
// same text and file; one input in 32, as under the address sanitizer
// handing records to threads costs more than converting them); the rest,
// sealed, is the pulse file. Whenever its export completes:
// - the import of that text completes and gives a valid pulse file whose
//   T and I samples are those of the original bit for bit, with as many R
//   samples in every R record (R reals keep eight significant digits, and
//   a NaN need not keep its payload);
// - the second export writes the same files with the same lines, but for
//   the descriptions: the first import pads them with blanks to 79
//   characters and keeps 79 of a full 80-character one (a sample of eight
//   significant digits reads back to the same text);
// - from the second export on nothing changes: importing the second text
//   gives the first import's pulse file byte for byte.
// A text field does not come back through the text when it holds a '#'
// (the import drops the rest of the line as a remark) or a line end (the
// export writes it unchanged): the target replaces those characters in the
// descriptions and names of the input by '_' before it seals it.
#include <cstring>

#include "fuzz_support.h"
#include "fuzz_target.h"
#include "orvane/byte_order.h"
#include "orvane/header_text.h"
#include "orvane/pulse_file.h"

namespace orvane::fuzz {

namespace {

const std::string kBase = kMemoryDir + "/data";
const std::string kSpf = kBase + ".spf";
// Records of a file whose round trip is checked: four conversions of each
// record cost the fuzzer eight text files, and more records run the same
// code again.
constexpr uint64_t kMostRecords = 16;

// The text files of the memory file system, without the pulse file.
std::vector<std::pair<std::string, std::string>> TextFiles() {
  auto files = Memory().Files();
  std::erase_if(files, [](const auto& file) { return file.first == kSpf; });
  return files;
}

// Exports pulseFile; the text files, or nothing when the export fails.
std::optional<std::vector<std::pair<std::string, std::string>>> Export(const std::string& pulseFile,
                                                                       bool labelled, unsigned threads) {
  ClearMemory();
  Memory().Put(kSpf, pulseFile);
  if (!RunConversion(kBase, true, labelled, threads)) return std::nullopt;
  Check(Memory().Get(kSpf) == pulseFile, "the export changed the pulse file");
  return TextFiles();
}

// Imports texts; the pulse file it writes.
std::string Import(const std::vector<std::pair<std::string, std::string>>& texts, bool labelled,
                   unsigned threads) {
  ClearMemory();
  for (const auto& [path, bytes] : texts) Memory().Put(path, bytes);
  Check(RunConversion(kBase, false, labelled, threads), "the text of a completed export does not import");
  Check(ValidatePulseFile(kSpf) == 1, "the imported pulse file is not valid");
  Check(TextFiles() == texts, "the import changed a text file");
  return Memory().Get(kSpf).value_or("");
}

void CheckSamples(const std::string& original, const std::string& imported) {
  const auto before = SamplesOf(original);
  const auto after = SamplesOf(imported);
  Check(before.size() == after.size(), "the import has another number of records");
  for (size_t n = 0; n < before.size(); ++n) {
    Check(before[n].first == after[n].first, "the import changed the kind of a record");
    Check(before[n].second.size() == after[n].second.size(), "the import changed a record's sample count");
    if (before[n].first != 'R') Check(before[n].second == after[n].second, "T or I samples changed");
  }
}

// Replaces '#', '\n' and '\r' in the text field of 80 bytes at position
// (as far as the file holds it, up to its NUL) by '_'.
void MakeFieldRoundTrip(std::string& file, uint64_t position) {
  for (uint64_t n = position; n < file.size() && n < position + format::kTextFieldSize; ++n) {
    char& c = file[n];
    if (c == '\0') break;
    if (c == '#' || c == '\n' || c == '\r') c = '_';
  }
}

// file with every text field made to come back through the text: those of
// the header and the description of every record the table points at. A
// file one byte short of a header gets one when it is sealed (a zero byte
// and the checksum word), so the header's fields are made to come back
// however short the file.
std::string WithRoundTripText(std::string file) {
  for (uint16_t field : {format::kFileHeader.Offset("DESC"), format::kFileHeader.Offset("PNAM"),
                         format::kFileHeader.Offset("PDES")})
    MakeFieldRoundTrip(file, field);
  if (file.size() < format::kFileHeader.size) return file;
  PulseFileHeader header;
  std::memcpy(header.bytes.data(), file.data(), format::kFileHeader.size);
  for (uint64_t entry = 0; entry < header.EntryCount(); ++entry) {
    const uint64_t position = format::EntryPosition(entry);
    if (position + format::kOffsetEntrySize > file.size()) break;
    MakeFieldRoundTrip(file, LoadU32(reinterpret_cast<const uint8_t*>(file.data()) + position));
  }
  return file;
}

HeaderKind KindOfText(const std::string& path) {
  const char letter = path[path.rfind('.') + 1];
  return letter == 'T'   ? HeaderKind::T
         : letter == 'R' ? HeaderKind::R
         : letter == 'I' ? HeaderKind::I
                         : HeaderKind::File;
}

// text with every description line cut to the 79 characters an import
// keeps and without blanks at its end: the import of a full 80-character
// description keeps 79, and it pads shorter ones with blanks.
std::string WithDescriptionsAsImported(const std::string& path, const std::string& text, bool labelled) {
  const auto& fields = DescribeHeader(KindOfText(path)).fields;
  const size_t keep = (labelled ? 6 : 0) + format::kTextFieldSize - 1;
  std::string result;
  size_t start = 0;
  for (size_t n = 0; start < text.size(); ++n) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (n < fields.size() && fields[n].type == FieldType::Text80) {
      line.resize(std::min(line.size(), keep));
      while (!line.empty() && line.back() == ' ') line.pop_back();
    }
    result += line + '\n';
    start = end + 1;
  }
  return result;
}

}  // namespace

std::vector<std::string> SeedInputs(const fs::path& golden) {
  std::vector<std::string> seeds;
  std::vector<std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(golden))
    if (entry.path().filename() == "data.spf") files.push_back(ReadAll(entry.path()));
  files.push_back(SmallTRecordFile({0.5f, -0.25f}));
  files.push_back(SmallMixedFile());
  // The checksum word is appended again by the target; these are already sealed.
  for (size_t n = 0; n < files.size(); ++n)
    seeds.push_back(std::string(1, static_cast<char>(n % 4)) + files[n]);
  return seeds;
}

}  // namespace orvane::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace orvane::fuzz;
  if (size == 0) return 0;
  const bool labelled = (data[0] & 1) == 0;
  const unsigned threads = (data[0] & 0x3e) == 0x3e ? 2 : 1;
  const std::string original =
      Sealed(WithRoundTripText(std::string(reinterpret_cast<const char*>(data) + 1, size - 1)));
  if (HasManyRecords(original, kMostRecords)) return 0;
  const auto first = Export(original, labelled, threads);
  if (!first) return 0;
  const std::string imported = Import(*first, labelled, threads);
  CheckSamples(original, imported);
  const auto second = Export(imported, labelled, 1);
  Check(second.has_value(), "the imported pulse file does not export");
  Check(first->size() == second->size(), "the second export wrote another number of files");
  for (size_t n = 0; n < first->size(); ++n) {
    Check((*first)[n].first == (*second)[n].first, "the second export wrote other files");
    const std::string& path = (*first)[n].first;
    Check(WithDescriptionsAsImported(path, (*first)[n].second, labelled) ==
              WithDescriptionsAsImported(path, (*second)[n].second, labelled),
          "a text file changed from one export to the next beyond its descriptions");
  }
  Check(Import(*second, labelled, 1) == imported, "the second import differs from the first");
  ClearMemory();
  return 0;
}
