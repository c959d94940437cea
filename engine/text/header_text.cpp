#include "orvane/header_text.h"

#include "text/header_lines.h"

namespace orvane {

std::string HeaderText(HeaderKind kind, const uint8_t* header, bool labelled) {
  std::string text;
  for (const FieldDescription& field : DescribeHeader(kind).fields) {
    char line[kMaxHeaderLineChars];
    text.append(line, AppendHeaderLine(line, field, header, labelled));
  }
  return text;
}

std::vector<std::string> HeaderLines(HeaderKind kind, const uint8_t* header, bool labelled) {
  std::vector<std::string> lines;
  for (const FieldDescription& field : DescribeHeader(kind).fields) {
    char line[kMaxHeaderLineChars];
    char* end = AppendHeaderLine(line, field, header, labelled);
    lines.emplace_back(line, end - 1);
  }
  return lines;
}

std::string FieldText(HeaderKind kind, const uint8_t* header, std::string_view label) {
  const FieldDescription* field = DescribeHeader(kind).Find(label);
  if (!field) return "";
  char line[kMaxHeaderLineChars];
  char* end = AppendHeaderLine(line, *field, header, false);
  return std::string(line, end - 1);
}

}  // namespace orvane
