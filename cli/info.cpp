#include "info.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <vector>

#include "base_name.h"
#include "file_check.h"
#include "header_layout.h"

namespace orvane::cli {

namespace {

struct KindOfRecord {
  const char* name;
  const HeaderLayout& layout;
  uint32_t (PulseFileHeader::*count)() const;
};

const KindOfRecord kKinds[] = {
    {"T", kTRecordHeaderLayout, &PulseFileHeader::TCount},
    {"R", kRRecordHeaderLayout, &PulseFileHeader::RCount},
    {"I", kIRecordHeaderLayout, &PulseFileHeader::ICount},
};

// One field of a header as its bare text line shows it, without the line end.
std::string FieldText(const HeaderLayout& layout, const char* label, const uint8_t* header) {
  for (const HeaderField& field : layout.fields) {
    if (field.rsIndex >= 0 || std::strncmp(field.label, label, 4) != 0) continue;
    char line[kMaxHeaderLineChars];
    char* end = AppendHeaderLine(line, field, header, false);
    return std::string(line, end - 1);
  }
  return "";
}

std::string HeaderLines(const PulseFileHeader& header) {
  std::string text;
  for (const HeaderField& field : kPulseFileHeaderLayout.fields) {
    char line[kMaxHeaderLineChars];
    text.append(line, AppendHeaderLine(line, field, header.bytes.data(), true));
  }
  return text;
}

std::string RecordLine(OpenPulseFile& file, const KindOfRecord& kind, uint32_t n, uint64_t entry) {
  char line[96];
  auto offset = file.EntryOffset(entry);
  std::vector<uint8_t> header(kind.layout.size);
  if (!offset || !file.ReadAt(*offset, header.data(), header.size())) {
    std::snprintf(line, sizeof line, "%-4s %6" PRIu32 " %12s %11s  (record header outside the file)\n",
                  kind.name, n, offset ? std::to_string(*offset).c_str() : "-", "-");
    return line;
  }
  std::snprintf(line, sizeof line, "%-4s %6" PRIu32 " %12" PRIu32 " %11s  ", kind.name, n, *offset,
                FieldText(kind.layout, "SIZE", header.data()).c_str());
  return line + FieldText(kind.layout, "DESC", header.data()) + "\n";
}

}  // namespace

RunResult DescribePulseFile(const std::string& fileName) {
  RunResult result;
  const std::string spf = DeriveBaseName(fileName) + ".spf";
  std::string failure;
  auto file = OpenForReading(spf, &failure);
  if (!file) {
    result.messages.push_back(failure);
    return result;
  }
  const PulseFileHeader& header = file->Header();
  result.out = HeaderLines(header);
  char line[128];
  std::snprintf(line, sizeof line, "Length: %" PRIu64 " bytes\nRecords: T %" PRIu32 ", R %" PRIu32
                ", I %" PRIu32 "\n%-4s %6s %12s %11s  %s\n",
                file->Length(), header.TCount(), header.RCount(), header.ICount(), "Kind", "Number",
                "Offset", "SIZE", "DESC");
  result.out += line;
  uint64_t entry = 0;
  for (const KindOfRecord& kind : kKinds) {
    for (uint32_t n = 0; n < (header.*kind.count)(); ++n, ++entry)
      result.out += RecordLine(*file, kind, n, entry);
  }
  result.ok = true;
  return result;
}

}  // namespace orvane::cli
