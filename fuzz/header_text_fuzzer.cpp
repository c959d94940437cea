// The header text file of an import with every line mutated. The template
// is the header text that the export writes for a small pulse file with one
// record of each kind, whose record text files are kept as exported. The
// input's first byte picks the layout (bit 0: bare values); the rest is
// split into lines, one for each line of the template in order: a line
// "=" keeps the template's line, any other line replaces its value (after
// the label, in the labelled layout). Lines beyond the template's are
// appended as they are. Whatever the lines, a failed import keeps the
// previous pulse file and every text file; a completed one writes a valid
// pulse file whose export imports and exports again, and from the second
// export on the text stays the same. (A first import pads descriptions with
// blanks, and a NUL in a text line ends the field's text: what follows it
// is kept in the pulse file but exports as nothing, and the next import
// pads that with blanks.)
#include "fuzz_support.h"
#include "fuzz_target.h"
#include "orvane/pulse_file.h"

namespace orvane::fuzz {

namespace {

const std::string kBase = kMemoryDir + "/data";
const std::string kSpf = kBase + ".spf";
const std::string kPfh = kBase + ".pfh";
const std::string kPreviousPulseFile = "the previous pulse file";
constexpr size_t kLabelWidth = 6;  // "MAGC: "

struct Template {
  std::vector<std::string> headerLines;
  std::vector<std::pair<std::string, std::string>> recordFiles;
};

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

Template MakeTemplate(bool labelled) {
  ClearMemory();
  Memory().Put(kSpf, SmallMixedFile());
  Check(RunConversion(kBase, true, labelled, 1), "the template's pulse file does not export");
  Template result;
  for (auto& [path, bytes] : Memory().Files()) {
    if (path == kPfh)
      result.headerLines = SplitLines(bytes);
    else if (path != kSpf)
      result.recordFiles.emplace_back(path, bytes);
  }
  ClearMemory();
  return result;
}

const Template& TemplateOf(bool labelled) {
  static const Template labelledTemplate = MakeTemplate(true);
  static const Template bareTemplate = MakeTemplate(false);
  return labelled ? labelledTemplate : bareTemplate;
}

std::string Assemble(const Template& form, const std::vector<std::string>& edits, bool labelled) {
  std::string text;
  for (size_t n = 0; n < std::max(form.headerLines.size(), edits.size()); ++n) {
    if (n >= form.headerLines.size()) {
      text += edits[n];
    } else if (n >= edits.size() || edits[n] == "=") {
      text += form.headerLines[n];
    } else {
      const std::string& line = form.headerLines[n];
      if (labelled) text += line.substr(0, std::min(line.size(), kLabelWidth));
      text += edits[n];
    }
    text += '\n';
  }
  return text;
}

// The text files the export of pulseFile writes.
std::vector<std::pair<std::string, std::string>> Export(const std::string& pulseFile, bool labelled) {
  ClearMemory();
  Memory().Put(kSpf, pulseFile);
  Check(RunConversion(kBase, true, labelled, 1), "an imported pulse file does not export");
  Memory().Remove(kSpf);
  return Memory().Files();
}

std::string Import(const std::vector<std::pair<std::string, std::string>>& texts, bool labelled) {
  ClearMemory();
  for (const auto& [path, bytes] : texts) Memory().Put(path, bytes);
  Check(RunConversion(kBase, false, labelled, 1), "the export of an imported pulse file does not import");
  return Memory().Get(kSpf).value_or("");
}

}  // namespace

std::vector<std::string> SeedInputs(const fs::path&) {
  std::vector<std::string> seeds;
  for (bool labelled : {true, false}) {
    const size_t lines = TemplateOf(labelled).headerLines.size();
    const std::string flag(1, labelled ? '\0' : '\1');
    std::string keepAll;
    for (size_t n = 0; n < lines; ++n) keepAll += "=\n";
    seeds.push_back(flag + keepAll);
    // One line changed at a time, to a value of another type.
    for (size_t n = 0; n < lines; ++n) {
      std::string seed = flag;
      for (size_t m = 0; m < lines; ++m) seed += m == n ? (n % 2 ? "-1.5e3\n" : "x\n") : "=\n";
      seeds.push_back(seed);
    }
    seeds.push_back(flag + keepAll + "extra\n");
    seeds.push_back(flag);
  }
  return seeds;
}

}  // namespace orvane::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace orvane::fuzz;
  if (size == 0) return 0;
  const bool labelled = (data[0] & 1) == 0;
  const Template& form = TemplateOf(labelled);
  const std::vector<std::string> edits =
      SplitLines(std::string(reinterpret_cast<const char*>(data) + 1, size - 1));
  MemoryFileSystem& memory = Memory();
  ClearMemory();
  memory.Put(kPfh, Assemble(form, edits, labelled));
  for (const auto& [path, bytes] : form.recordFiles) memory.Put(path, bytes);
  memory.Put(kSpf, kPreviousPulseFile);
  const auto before = memory.Files();
  if (!RunConversion(kBase, false, labelled, 1)) {
    Check(memory.Files() == before, "a failed import changed a file");
    return 0;
  }
  Check(IsSealedPulseFile(memory.Get(kSpf).value_or("")), "the imported pulse file is not sealed");
  const auto second = Export(Import(Export(memory.Get(kSpf).value_or(""), labelled), labelled), labelled);
  Check(Export(Import(second, labelled), labelled) == second,
        "the text of an imported pulse file does not settle");
  ClearMemory();
  return 0;
}
