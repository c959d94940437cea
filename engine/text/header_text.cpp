#include "orvane/header_text.h"

#include <array>

#include "text/header_layout.h"

namespace orvane {

namespace {

const HeaderLayout& LayoutOf(HeaderKind kind) {
  switch (kind) {
    case HeaderKind::File: return kPulseFileHeaderLayout;
    case HeaderKind::T: return kTRecordHeaderLayout;
    case HeaderKind::R: return kRRecordHeaderLayout;
    case HeaderKind::I: return kIRecordHeaderLayout;
  }
  return kPulseFileHeaderLayout;
}

std::string LabelOf(const HeaderField& field) {
  if (field.rsIndex >= 0) return "RS" + std::to_string(field.rsIndex);
  std::string label(field.label, 4);
  while (!label.empty() && label.back() == ' ') label.pop_back();
  return label;
}

FieldType TypeOf(FieldFormat read) {
  switch (read) {
    case FieldFormat::Hex32: return FieldType::Hex32;
    case FieldFormat::Text80: return FieldType::Text80;
    case FieldFormat::Int32: return FieldType::Int32;
    case FieldFormat::UInt32: return FieldType::UInt32;
    case FieldFormat::Word16: return FieldType::Word16;
    case FieldFormat::Real32: return FieldType::Real32;
  }
  return FieldType::Int32;
}

std::vector<FieldDescription> Describe(HeaderKind kind) {
  std::vector<FieldDescription> fields;
  for (const HeaderField& field : LayoutOf(kind).fields)
    fields.push_back({LabelOf(field), field.offset, TypeOf(field.read)});
  return fields;
}

}  // namespace

const std::vector<FieldDescription>& DescribeFields(HeaderKind kind) {
  static const std::array<std::vector<FieldDescription>, 4> kAll = {
      Describe(HeaderKind::File), Describe(HeaderKind::T), Describe(HeaderKind::R), Describe(HeaderKind::I)};
  return kAll[static_cast<size_t>(kind)];
}

size_t HeaderSize(HeaderKind kind) { return LayoutOf(kind).size; }

std::string HeaderText(HeaderKind kind, const uint8_t* header, bool labelled) {
  std::string text;
  for (const HeaderField& field : LayoutOf(kind).fields) {
    char line[kMaxHeaderLineChars];
    text.append(line, AppendHeaderLine(line, field, header, labelled));
  }
  return text;
}

std::vector<std::string> HeaderLines(HeaderKind kind, const uint8_t* header, bool labelled) {
  std::vector<std::string> lines;
  for (const HeaderField& field : LayoutOf(kind).fields) {
    char line[kMaxHeaderLineChars];
    char* end = AppendHeaderLine(line, field, header, labelled);
    lines.emplace_back(line, end - 1);
  }
  return lines;
}

std::string FieldText(HeaderKind kind, const uint8_t* header, std::string_view label) {
  for (const HeaderField& field : LayoutOf(kind).fields) {
    if (LabelOf(field) != label) continue;
    char line[kMaxHeaderLineChars];
    char* end = AppendHeaderLine(line, field, header, false);
    return std::string(line, end - 1);
  }
  return "";
}

}  // namespace orvane
