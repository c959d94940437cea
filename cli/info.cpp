#include "info.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <vector>

#include "file_check.h"
#include "orvane/convert.h"
#include "orvane/header_text.h"
#include "printable.h"

namespace orvane::cli {

namespace {

std::string RecordLine(const RecordView& record) {
  char line[96];
  const HeaderKind kind = HeaderKindOf(record.type);
  std::snprintf(line, sizeof line, "%-4c %6" PRIu32 " %12" PRIu32 " %11s  ", record.Info().letter,
                record.number, record.offset, FieldText(kind, record.header.data(), "SIZE").c_str());
  return Printable(line + FieldText(kind, record.header.data(), "DESC")) + "\n";
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
  for (const std::string& text : HeaderLines(HeaderKind::File, header.bytes.data(), true))
    result.out += Printable(text) + "\n";
  char line[128];
  std::snprintf(line, sizeof line,
                "Length: %" PRIu64 " bytes\nRecords: T %" PRIu32 ", R %" PRIu32 ", I %" PRIu32
                "\n%-4s %6s %12s %11s  %s\n",
                file->Length(), header.TCount(), header.RCount(), header.ICount(), "Kind", "Number", "Offset",
                "SIZE", "DESC");
  result.out += line;
  for (const RecordView& record : file->Records()) result.out += RecordLine(record);
  result.ok = true;
  return result;
}

}  // namespace orvane::cli
