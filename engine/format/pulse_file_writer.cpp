#include "orvane/pulse_file_writer.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "format/checksum.h"
#include "io/file_io.h"
#include "orvane/byte_order.h"
#include "orvane/pulse_file.h"

namespace orvane {

namespace {

// One record as it will be written: its header with SIZE set, and its
// number of samples.
struct PlacedRecord {
  const RecordToWrite* record;
  std::array<uint8_t, format::kLargestRecordHeader> header;
  uint64_t count;
};

std::string NameOf(RecordType type, uint32_t n) { return DescribeRecord(type).letter + std::to_string(n); }

Outcome Refusal(Failure code, const std::string& path, const std::string& name, unsigned size = 0) {
  Outcome outcome{code, code == Failure::WrongHeaderSize ? FormatMessage(code, name.c_str(), size)
                                                         : FormatMessage(code, name.c_str())};
  outcome.path = path;
  return outcome;
}

Outcome Failed(Failure code, const std::string& path) {
  io::FailureReason why = io::TakeFailureReason();
  Outcome outcome{code, FormatMessage(code, path.c_str()), std::move(why.text)};
  outcome.path = path;
  outcome.error = why.error;
  return outcome;
}

// SIZE as the record's samples set it. A T record without samples keeps a
// SIZE of zero or less: both mean none.
bool SetSize(const RecordDescription& kind, uint8_t* header, uint64_t count) {
  const uint64_t most = kind.sizeSigned ? INT32_MAX : UINT32_MAX;
  if (count > most) return false;
  if (count == 0 && kind.sizeSigned && LoadI32(header + kind.sizeOffset) <= 0) return true;
  StoreU32(header + kind.sizeOffset, static_cast<uint32_t>(count));
  return true;
}

// Writes data and adds its words to sum; every piece of a pulse file the
// writer makes has an even size, so each starts on an even offset. Large
// pieces go in slices of a mebibyte, each summed just before it is written,
// so that the write copies it from the cache the sum brought it into (a
// slice of even size keeps the words of the next one aligned).
bool Put(io::File& file, const uint8_t* data, size_t size, uint64_t& sum) {
  constexpr size_t kSlice = size_t{1} << 20;
  for (size_t done = 0; done < size;) {
    const size_t n = std::min(kSlice, size - done);
    sum += WordSum(data + done, n);
    if (!file.Write(data + done, n)) return false;
    done += n;
  }
  return true;
}

}  // namespace

Outcome WritePulseFile(const std::string& path, std::span<const uint8_t> fileHeader,
                       std::span<const RecordToWrite> records) {
  io::ClearFailureReason();
  if (fileHeader.size() != format::kFileHeader.size)
    return Refusal(Failure::WrongHeaderSize, path, "the file", format::kFileHeader.size);

  // Table order: every T record, then R, then I.
  std::vector<PlacedRecord> placed;
  placed.reserve(records.size());
  uint32_t counts[3] = {0, 0, 0};
  for (RecordType type : {RecordType::T, RecordType::R, RecordType::I}) {
    const RecordDescription& kind = DescribeRecord(type);
    for (const RecordToWrite& record : records) {
      if (record.type != type) continue;
      const std::string name = NameOf(type, counts[static_cast<size_t>(type)]++);
      if (record.header.size() != kind.header.size)
        return Refusal(Failure::WrongHeaderSize, path, name, static_cast<unsigned>(kind.header.size));
      if (record.samples.size() % kind.sampleBytes != 0) return Refusal(Failure::TooManySamples, path, name);
      PlacedRecord p{&record, {}, record.samples.size() / kind.sampleBytes};
      std::copy(record.header.begin(), record.header.end(), p.header.begin());
      if (!SetSize(kind, p.header.data(), p.count)) return Refusal(Failure::TooManySamples, path, name);
      placed.push_back(p);
    }
  }

  PulseFileHeader header;
  std::copy(fileHeader.begin(), fileHeader.end(), header.bytes.begin());
  header.SetMagic(format::kMagic);
  header.SetCounts(counts[0], counts[1], counts[2]);

  // The table, planned before anything is written: a record that would
  // start beyond the 32-bit offsets refuses the whole file.
  std::vector<uint8_t> table(placed.size() * format::kOffsetEntrySize);
  uint64_t position = header.TableEnd();
  for (size_t k = 0; k < placed.size(); ++k) {
    if (position >= format::kOffsetLimit) return Refusal(Failure::FileTooLarge, path, path);
    StoreU32(&table[k * format::kOffsetEntrySize], static_cast<uint32_t>(position));
    position += DescribeRecord(placed[k].record->type).RecordBytes(placed[k].count);
  }

  auto output = io::ReplacementFile::Create(path);
  if (!output) return Failed(Failure::CantOpenForWriting, path);
  io::File& file = output->Stream();
  uint64_t sum = 0;
  bool ok =
      Put(file, header.bytes.data(), header.bytes.size(), sum) && Put(file, table.data(), table.size(), sum);
  static constexpr uint8_t kPad[2] = {0, 0};
  for (size_t k = 0; ok && k < placed.size(); ++k) {
    const PlacedRecord& p = placed[k];
    const RecordDescription& kind = DescribeRecord(p.record->type);
    ok = Put(file, p.header.data(), kind.header.size, sum) &&
         Put(file, p.record->samples.data(), p.record->samples.size(), sum) &&
         (!kind.padOddCount || p.count % 2 == 0 || Put(file, kPad, sizeof kPad, sum));
  }
  uint8_t seal[3];
  const size_t sealSize = SealBytes(static_cast<uint16_t>(sum), position, 0, seal);
  if (!ok || !file.Write(seal, sealSize)) return Failed(Failure::BinaryWriteErrorOn, path);
  if (!output->Commit(true)) return Failed(Failure::BinaryWriteErrorOn, path);
  return Outcome{Failure::None, MessageFormat(Failure::None)};
}

}  // namespace orvane
