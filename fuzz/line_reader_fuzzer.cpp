// ReadTextLine on arbitrary bytes, compared line by line with a plain model
// of the rule: a line ends at a line feed (a carriage return right before it
// belongs to the line end), everything from '#' on is dropped, the rest is
// cut at 120 characters and padded with blanks.
#include <cstring>

#include "fuzz_support.h"
#include "fuzz_target.h"
#include "text/text_line_reader.h"

namespace orvane::fuzz {

namespace {

std::vector<std::string> ModelLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    const bool hasLineFeed = end != std::string::npos;
    std::string line = text.substr(start, hasLineFeed ? end - start : std::string::npos);
    const size_t hash = line.find('#');
    if (hash != std::string::npos) {
      line.resize(hash);
    } else if (hasLineFeed && !line.empty() && line.back() == '\r') {
      line.pop_back();
    }
    line.resize(kTextLineChars, ' ');
    lines.push_back(line);
    start = hasLineFeed ? end + 1 : text.size();
  }
  return lines;
}

// Every line ReadTextLine delivers from the file, up to its end.
std::vector<std::string> EngineLines(const std::string& path, size_t size) {
  auto file = io::File::Open(path, io::File::Mode::Read);
  Check(file != nullptr, "cannot open the written file");
  std::vector<std::string> lines;
  char line[kTextLineChars + 1];
  for (;;) {
    std::memset(line, 'Q', sizeof line);
    LineStatus status = ReadLineOfText(file.get(), line);
    Check(line[kTextLineChars] == '\0', "the line is not ended by a NUL at 120");
    Check(status != LineStatus::ReadError, "a read error on a readable file");
    if (status == LineStatus::EndOfFile) break;
    lines.emplace_back(line, kTextLineChars);
    Check(lines.size() <= size + 1, "more lines than the file can hold");
  }
  return lines;
}

}  // namespace

std::vector<std::string> SeedInputs(const fs::path& golden) {
  std::vector<std::string> seeds;
  for (const auto& entry : fs::recursive_directory_iterator(golden)) {
    const std::string name = entry.path().filename().string();
    if (entry.is_regular_file() && name.rfind("data.", 0) == 0 && name != "data.spf")
      seeds.push_back(ReadAll(entry.path()).substr(0, 4096));
  }
  seeds.push_back("a\r\nb\rc\r\r\n#only a remark\r\nd # e\r\n" + std::string(130, 'x') + "\r\n\r");
  seeds.push_back(std::string(119, 'y') + "\r\n" + std::string(120, 'z') + "\r\n" + std::string(3, '\0'));
  return seeds;
}

}  // namespace orvane::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace orvane::fuzz;
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::string path = kMemoryDir + "/lines.txt";
  Memory().Put(path, text);
  Check(EngineLines(path, size) == ModelLines(text), "ReadTextLine differs from the rule");
  return 0;
}
