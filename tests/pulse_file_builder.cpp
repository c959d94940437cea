#include "pulse_file_builder.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "orvane/pulse_file_writer.h"

namespace orvane::testing {

HeaderFields::HeaderFields(const HeaderDescription& description, std::string bytes)
    : description_(&description), bytes_(std::move(bytes)) {
  bytes_.resize(description.size, '\0');
}

const FieldDescription& HeaderFields::Field(std::string_view label) const {
  const FieldDescription* field = description_->Find(label);
  if (!field)
    throw std::invalid_argument(std::string(description_->name) + " has no field " + std::string(label));
  return *field;
}

HeaderFields& HeaderFields::Text(std::string_view label, const std::string& text) {
  const FieldDescription& field = Field(label);
  for (size_t k = 0; k < field.Size(); ++k) bytes_[field.offset + k] = k < text.size() ? text[k] : '\0';
  return *this;
}

HeaderFields& HeaderFields::Int(std::string_view label, int64_t value) {
  const FieldDescription& field = Field(label);
  if (field.type == FieldType::UInt16)
    PutU16(bytes_, field.offset, static_cast<uint16_t>(value));
  else
    PutU32(bytes_, field.offset, static_cast<uint32_t>(value));
  return *this;
}

HeaderFields& HeaderFields::Real(std::string_view label, float value) {
  StoreF32(BytesAt(bytes_, Field(label).offset), value);
  return *this;
}

std::string HeaderFields::TextOf(std::string_view label) const {
  const FieldDescription& field = Field(label);
  const std::string text = bytes_.substr(field.offset, field.Size());
  return text.substr(0, text.find('\0'));
}

int64_t HeaderFields::IntOf(std::string_view label) const {
  const FieldDescription& field = Field(label);
  if (field.type == FieldType::UInt16) return GetU16(bytes_, field.offset);
  if (field.type == FieldType::Int32) return static_cast<int32_t>(GetU32(bytes_, field.offset));
  return GetU32(bytes_, field.offset);
}

float HeaderFields::RealOf(std::string_view label) const { return GetF32(bytes_, Field(label).offset); }

std::string WordSamples(const std::vector<int16_t>& samples) {
  std::string bytes(2 * samples.size(), '\0');
  for (size_t k = 0; k < samples.size(); ++k) PutU16(bytes, 2 * k, static_cast<uint16_t>(samples[k]));
  return bytes;
}

std::string RealSamples(const std::vector<float>& samples) {
  std::string bytes(4 * samples.size(), '\0');
  for (size_t k = 0; k < samples.size(); ++k) StoreF32(BytesAt(bytes, 4 * k), samples[k]);
  return bytes;
}

BuiltRecord::BuiltRecord(RecordType kind) : type(kind), header(DescribeRecord(kind).header) {}

BuiltRecord BuiltRecord::T(const std::vector<int16_t>& samples) {
  BuiltRecord record(RecordType::T);
  record.samples = WordSamples(samples);
  return record;
}

BuiltRecord BuiltRecord::R(const std::vector<float>& samples) {
  BuiltRecord record(RecordType::R);
  record.samples = RealSamples(samples);
  return record;
}

BuiltRecord BuiltRecord::I(const std::vector<int16_t>& samples) {
  BuiltRecord record(RecordType::I);
  record.samples = WordSamples(samples);
  return record;
}

std::string BuiltRecord::HeaderBytes() const {
  HeaderFields withSize = header;
  withSize.Int("SIZE", size.value_or(static_cast<int64_t>(Count())));
  return withSize.Bytes();
}

std::string BuiltRecord::Bytes() const {
  const int64_t count = size.value_or(static_cast<int64_t>(Count()));
  const bool pad = Kind().padOddCount && count > 0 && count % 2 == 1;
  return HeaderBytes() + samples + (pad ? std::string(2, '\0') : std::string());
}

PulseFileBuilder::PulseFileBuilder() { header.Int("MAGC", format::kMagic); }

PulseFileBuilder& PulseFileBuilder::T(const std::vector<int16_t>& samples, float gain,
                                      const std::string& desc) {
  records.push_back(BuiltRecord::T(samples));
  records.back().header.Text("DESC", desc).Real("RATE", 1000.0f).Real("GAIN", gain);
  return *this;
}

PulseFileBuilder& PulseFileBuilder::R(const std::vector<float>& samples, const std::string& desc) {
  records.push_back(BuiltRecord::R(samples));
  records.back().header.Text("DESC", desc).Real("RATE", 1000.0f);
  return *this;
}

PulseFileBuilder& PulseFileBuilder::I(const std::vector<int16_t>& samples, const std::string& desc) {
  records.push_back(BuiltRecord::I(samples));
  records.back().header.Text("DESC", desc).Real("RATE", 1000.0f);
  return *this;
}

std::string PulseFileBuilder::HeaderBytes() const {
  std::array<uint32_t, 3> n{};
  for (const BuiltRecord& record : records) ++n[static_cast<size_t>(record.type)];
  n = counts.value_or(n);
  HeaderFields withCounts = header;
  withCounts.Int("TCNT", n[0]).Int("RCNT", n[1]).Int("ICNT", n[2]);
  return withCounts.Bytes();
}

std::string PulseFileBuilder::Unsealed() const {
  std::string bytes = HeaderBytes();
  bytes.resize(format::EntryPosition(records.size()), '\0');
  // Entries in table order: the records of each kind in the order given.
  std::vector<uint32_t> offsets;
  for (const BuiltRecord& record : records) {
    bytes += record.before;
    offsets.push_back(static_cast<uint32_t>(bytes.size()));
    bytes += record.Bytes() + record.after;
  }
  size_t entry = 0;
  for (RecordType type : {RecordType::T, RecordType::R, RecordType::I})
    for (size_t k = 0; k < records.size(); ++k)
      if (records[k].type == type) PutU32(bytes, format::EntryPosition(entry++), offsets[k]);
  return bytes;
}

void PulseFileBuilder::WriteTo(const std::string& path) const {
  ASSERT_EQ(header.IntOf("MAGC"), format::kMagic) << "WriteTo writes well-formed files only";
  ASSERT_FALSE(counts) << "WriteTo writes well-formed files only";
  std::vector<std::string> headers;
  for (const BuiltRecord& record : records) {
    ASSERT_TRUE(!record.size && record.before.empty() && record.after.empty())
        << "WriteTo writes well-formed files only";
    headers.push_back(record.HeaderBytes());
  }
  auto span = [](const std::string& s) {
    return std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(s.data()), s.size());
  };
  std::vector<RecordToWrite> toWrite;
  for (size_t k = 0; k < records.size(); ++k)
    toWrite.push_back({records[k].type, span(headers[k]), span(records[k].samples)});
  const Outcome outcome = WritePulseFile(path, span(header.Bytes()), toWrite);
  ASSERT_TRUE(outcome.ok()) << outcome.message;
}

std::optional<ParsedPulseFile> ParsePulseFile(const std::string& bytes) {
  if (bytes.size() < format::kFileHeader.size) return std::nullopt;
  ParsedPulseFile parsed;
  parsed.header = HeaderFields(format::kFileHeader, bytes.substr(0, format::kFileHeader.size));
  uint64_t entry = 0;
  for (RecordType type : {RecordType::T, RecordType::R, RecordType::I}) {
    const RecordDescription& kind = DescribeRecord(type);
    const int64_t count = parsed.header.IntOf(type == RecordType::T   ? "TCNT"
                                              : type == RecordType::R ? "RCNT"
                                                                      : "ICNT");
    for (int64_t n = 0; n < count; ++n, ++entry) {
      if (format::EntryPosition(entry + 1) > bytes.size()) return std::nullopt;
      const uint64_t at = GetU32(bytes, format::EntryPosition(entry));
      if (at + kind.header.size > bytes.size()) return std::nullopt;
      HeaderFields header(kind.header, bytes.substr(at, kind.header.size));
      const int64_t size = header.IntOf("SIZE");
      const uint64_t sampleBytes = kind.sampleBytes * static_cast<uint64_t>(std::max<int64_t>(size, 0));
      if (at + kind.header.size + sampleBytes > bytes.size()) return std::nullopt;
      parsed.records.push_back({type, header, bytes.substr(at + kind.header.size, sampleBytes)});
    }
  }
  return parsed;
}

}  // namespace orvane::testing
