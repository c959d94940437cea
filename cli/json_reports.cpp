#include "json_reports.h"

#include <cctype>
#include <charconv>
#include <cstdlib>
#include <cstring>

#include "orvane/byte_order.h"
#include "orvane/format.h"

namespace orvane::cli {

namespace {

// The shortest decimal text of a 32-bit real, as a JSON number: read back
// as a double and rounded to 32 bits it gives the same bits.
JsonValue JsonFloat(float value) {
  if (!std::isfinite(value)) return JsonReal(value);
  char text[32];
  const auto end = std::to_chars(text, text + sizeof text, value).ptr;
  *end = '\0';
  return std::strtod(text, nullptr);
}

// Text up to its NUL (the whole field when full), one character per byte
// as the Python module decodes it: bytes above 127 become U+0080..U+00FF.
std::string TextField(const uint8_t* field) {
  const size_t length = strnlen(reinterpret_cast<const char*>(field), format::kTextFieldSize);
  std::string text;
  for (size_t i = 0; i < length; ++i) {
    const uint8_t c = field[i];
    if (c < 0x80) {
      text += static_cast<char>(c);
    } else {
      text += static_cast<char>(0xC0 | (c >> 6));
      text += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return text;
}

JsonValue FieldJson(const FieldDescription& field, const uint8_t* at) {
  switch (field.type) {
    case FieldType::Text80: return TextField(at);
    case FieldType::UInt32: return LoadU32(at);
    case FieldType::Int32: return LoadI32(at);
    case FieldType::UInt16: return LoadU16(at);
    case FieldType::Real32: return JsonFloat(LoadF32(at));
  }
  return nullptr;
}

std::string Lower(std::string_view label) {
  std::string text(label);
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

JsonValue OffsetJson(const std::optional<uint64_t>& offset) {
  return offset ? JsonValue(*offset) : JsonValue();
}

}  // namespace

JsonValue HeaderJson(HeaderKind kind, const uint8_t* header) {
  JsonValue fields = JsonValue::object();
  JsonValue rs = JsonValue::array();
  for (const FieldDescription& field : DescribeHeader(kind).fields) {
    if (field.rsIndex >= 0) {
      if (field.rsIndex == 0) fields["rs"] = nullptr;  // keeps the place of the array among the fields
      rs.push_back(FieldJson(field, header + field.offset));
    } else {
      fields[Lower(field.label)] = FieldJson(field, header + field.offset);
    }
  }
  fields["rs"] = rs;
  return fields;
}

JsonValue ProblemJson(const Outcome& what, const std::string& record, const std::optional<uint64_t>& offset) {
  return {{"code", FailureName(what.code)},
          {"message", what.message},
          {"record", record.empty() ? JsonValue() : JsonValue(record)},
          {"offset", OffsetJson(offset)}};
}

JsonValue ProblemJson(const PulseFileView& view, const StructureProblem& problem) {
  const std::string record =
      problem.record >= 0 ? view.Records()[static_cast<size_t>(problem.record)].Name() : std::string();
  return ProblemJson(problem.what, record, problem.offset);
}

JsonValue FailureJson(const Outcome& outcome) {
  JsonValue problem = {{"code", FailureName(outcome.code)},
                       {"message", outcome.message},
                       {"record", nullptr},
                       {"offset", nullptr}};
  if (!outcome.reason.empty()) problem["reason"] = outcome.reason;
  return problem;
}

JsonValue InfoJson(const std::string& file, const PulseFileView& view) {
  const PulseFileHeader& header = view.Header();
  JsonValue records = JsonValue::array();
  for (const RecordView& record : view.Records()) {
    records.push_back({{"record", record.Name()},
                       {"kind", std::string(1, record.Info().letter)},
                       {"number", record.number},
                       {"entry", record.entry},
                       {"offset", record.offset},
                       {"samples", record.SampleCount()},
                       {"header", HeaderJson(HeaderKindOf(record.type), record.header.data())}});
  }
  return {{"file", file},
          {"length", view.Length()},
          {"counts", {{"t", header.TCount()}, {"r", header.RCount()}, {"i", header.ICount()}}},
          {"header", HeaderJson(HeaderKind::File, header.bytes.data())},
          {"records", records}};
}

JsonValue CheckJson(const std::string& file, const std::vector<JsonValue>& problems) {
  return {{"file", file}, {"valid", problems.empty()}, {"problems", problems}};
}

JsonValue PowerJson(const std::string& file, const PowerReading& reading) {
  JsonValue records = JsonValue::array();
  for (size_t n = 0; n < reading.powers.size(); ++n)
    records.push_back({{"record", "T" + std::to_string(n)}, {"power", reading.powers[n]}});
  for (const PowerWarning& warning : reading.warnings) {
    for (JsonValue& record : records) {
      if (record["record"] != warning.record) continue;
      record["gain"] = JsonFloat(warning.gain);
      record["warning"] = warning.text;
    }
  }
  return {{"file", file}, {"records", records}};
}

}  // namespace orvane::cli
