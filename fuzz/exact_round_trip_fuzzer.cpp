// The exact layout against the pulse file it came from: a pulse file built
// from the input, with reals of any bits (subnormals, zeros of both signs,
// infinities, NaNs with payloads, the largest and smallest floats), is
// exported with to-ascii --exact, imported again, and must come back byte
// for byte. The file is laid out as the import lays it out (records one
// after another in table order, odd-count pads, one seal word), and its
// text fields as the import stores them: text without '#', line ends or
// NULs, padded with blanks to 79 characters and a NUL.
//
// The input drives a generator: its first byte picks the layout (bit 0:
// bare values) and the threads (bits 1 to 5 all set: two), the next three
// the record counts, and the rest every field, text and sample in turn
// (zeros once it is used up).
#include <cstring>

#include "fuzz_support.h"
#include "fuzz_target.h"
#include "orvane/byte_order.h"
#include "orvane/format.h"

namespace orvane::fuzz {

namespace {

const std::string kBase = kMemoryDir + "/data";
const std::string kSpf = kBase + ".spf";

class Draw {
 public:
  Draw(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
  uint32_t Word() {
    uint32_t v = 0;
    for (int k = 0; k < 4; ++k) v = v << 8 | Byte();
    return v;
  }

  // The bits of a float: any bits, or one of the values a text rendering
  // finds hardest.
  uint32_t RealBits() {
    const uint8_t pick = Byte();
    const uint32_t sign = static_cast<uint32_t>(pick & 0x80) << 24;
    switch (pick & 7) {
      case 0: return Word();
      case 1: return sign | (Word() & 0x7FFFFF);                       // subnormal or zero
      case 2: return sign;                                             // +0, -0
      case 3: return sign | 0x7F800000;                                // infinities
      case 4: return sign | 0x7F800000 | ((Word() & 0x7FFFFF) | 1);    // NaNs, payloads
      case 5: return sign | ((Byte() & 1) ? 0x7F7FFFFF : 0x00800000);  // largest, smallest normal
      case 6: return sign | (Word() & 0x7F800000) | (Byte() & 3);      // next to a power of two
      default: return sign | (static_cast<uint32_t>(Byte() % 254 + 1) << 23) | (Word() & 0x7FFFFF);
    }
  }

  // A text field as the import stores it.
  void Text(uint8_t* field) {
    const size_t length = Byte() % 80;
    for (size_t k = 0; k < length; ++k) {
      uint8_t c = Byte();
      if (c < 0x20 || c == '#' || c == 0x7F) c = static_cast<uint8_t>('a' + c % 26);
      field[k] = c;
    }
    if (length == format::kTextFieldSize) {
      if (field[79] == ' ') field[79] = 'z';
      return;
    }
    std::memset(field + length, ' ', format::kTextFieldSize - 1 - length);
    field[format::kTextFieldSize - 1] = 0;
  }

  // Every field of a header: texts as stored, reals drawn as reals,
  // everything else any bits; SIZE (and the counts) are set by the caller.
  void Header(const HeaderDescription& header, uint8_t* bytes) {
    for (const FieldDescription& field : header.fields) {
      uint8_t* at = bytes + field.offset;
      switch (field.type) {
        case FieldType::Text80: Text(at); break;
        case FieldType::Real32: StoreU32(at, RealBits()); break;
        case FieldType::UInt16: StoreU16(at, static_cast<uint16_t>(Word())); break;
        default: StoreU32(at, Word()); break;
      }
    }
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t at_ = 0;
};

// A pulse file drawn from the input, sealed as the import seals it.
std::string DrawPulseFile(Draw& draw) {
  const uint32_t counts[3] = {draw.Byte() % 3u, draw.Byte() % 4u, draw.Byte() % 3u};
  std::string file(format::kFileHeader.size, '\0');
  auto* bytes = reinterpret_cast<uint8_t*>(file.data());
  draw.Header(format::kFileHeader, bytes);
  StoreU32(bytes + format::kFileHeader.Offset("MAGC"), format::kMagic);
  StoreU32(bytes + format::kFileHeader.Offset("TCNT"), counts[0]);
  StoreU32(bytes + format::kFileHeader.Offset("RCNT"), counts[1]);
  StoreU32(bytes + format::kFileHeader.Offset("ICNT"), counts[2]);
  const size_t entries = counts[0] + counts[1] + counts[2];
  std::string records;
  std::string table;
  const size_t firstRecord = format::kFileHeader.size + format::kOffsetEntrySize * entries;
  for (RecordType type : {RecordType::T, RecordType::R, RecordType::I}) {
    const RecordDescription& kind = DescribeRecord(type);
    for (uint32_t n = 0; n < counts[static_cast<size_t>(type)]; ++n) {
      uint8_t entry[format::kOffsetEntrySize];
      StoreU32(entry, static_cast<uint32_t>(firstRecord + records.size()));
      table.append(reinterpret_cast<const char*>(entry), sizeof entry);
      std::string record(kind.header.size, '\0');
      auto* header = reinterpret_cast<uint8_t*>(record.data());
      draw.Header(kind.header, header);
      const uint32_t size = draw.Byte() % 19u;
      StoreU32(header + kind.sizeOffset, size);
      for (uint32_t i = 0; i < size; ++i) {
        uint8_t sample[4];
        if (kind.sample == SampleType::Real32) {
          StoreU32(sample, draw.RealBits());
        } else {
          StoreU16(sample, static_cast<uint16_t>(draw.Word()));
        }
        record.append(reinterpret_cast<const char*>(sample), kind.sampleBytes);
      }
      if (kind.padOddCount && size % 2 == 1) record.append(2, '\0');
      records += record;
    }
  }
  return Sealed(file + table + records);
}

}  // namespace

std::vector<std::string> SeedInputs(const fs::path&) {
  std::vector<std::string> seeds;
  // Every kind of real in turn, in both layouts, with and without threads.
  for (int seed = 0; seed < 8; ++seed) {
    std::string input(1, static_cast<char>(seed % 2 == 0 ? 0 : (seed == 3 ? 0x3f : 1)));
    input += "\x02\x03\x02";
    for (int k = 0; k < 3000; ++k) input += static_cast<char>((k * 37 + seed * 11) % 251);
    seeds.push_back(input);
  }
  return seeds;
}

}  // namespace orvane::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace orvane::fuzz;
  if (size == 0) return 0;
  const bool labelled = (data[0] & 1) == 0;
  const unsigned threads = (data[0] & 0x3e) == 0x3e ? 2 : 1;
  Draw draw(data + 1, size - 1);
  const std::string original = DrawPulseFile(draw);
  ClearMemory();
  Memory().Put(kSpf, original);
  Check(RunConversion(kBase, true, labelled, threads, true), "the exact export of a valid pulse file failed");
  Memory().Remove(kSpf);
  Check(RunConversion(kBase, false, labelled, threads), "the exact text does not import");
  Check(Memory().Get(kSpf) == original, "the exact layout did not give back the pulse file byte for byte");
  ClearMemory();
  return 0;
}
