// The binary pulse file described once: the container's figures, the four
// fixed headers (file, T, R, I) field by field, and the three record kinds.
// The header layouts, their text lines, the structure check, the mapped
// view, info, the writer and the Python module's dtypes all come from here.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace orvane {

enum class HeaderKind : uint8_t { File, T, R, I };
enum class RecordType : uint8_t { T, R, I };

// How a field is stored in the binary form.
enum class FieldType : uint8_t {
  Text80,  // 80 characters ended by a NUL inside the field unless full
  UInt32,  // unsigned 32-bit (MAGC, the counts, CHAN, SIZE of R and I)
  Int32,   // signed 32-bit
  UInt16,  // 16 bits (PID, UNUS)
  Real32,  // IEEE single
};

// How a field's value is written to, or read from, its text line.
enum class TextFormat : uint8_t {
  Hex32,   // "%lX"
  Text80,  // "%s", read back by column
  Int32,   // "%ld"
  UInt32,  // "%lu"
  Word16,  // written "%d" of the unsigned 16 bits, read "%hd" keeping the low 16 bits
  Real32,  // "%f"
};

struct FieldDescription {
  std::string_view label;  // "MAGC", "PID", "FHz0", "RS0"...: its key in the text, blanks removed
  uint16_t offset;
  FieldType type;
  TextFormat labelled;  // as the labelled layout writes it
  TextFormat bare;      // as the bare layout writes it
  TextFormat read;      // as either layout reads it back
  int8_t rsIndex = -1;  // RS fields: their number, shown "RS%2d: "; -1 for the others

  constexpr size_t Size() const {
    switch (type) {
      case FieldType::Text80: return 80;
      case FieldType::UInt16: return 2;
      default: return 4;
    }
  }
};

struct HeaderDescription {
  HeaderKind kind;
  std::string_view name;  // "PulseFileHeader", "TRecordHeader", ...
  size_t size;
  std::span<const FieldDescription> fields;  // in the order of the text lines

  // The field of a label, or null.
  constexpr const FieldDescription* Find(std::string_view label) const {
    for (const FieldDescription& field : fields)
      if (field.label == label) return &field;
    return nullptr;
  }
  // Where a field lies; the label must exist, which the compiler checks.
  consteval uint16_t Offset(std::string_view label) const { return Find(label)->offset; }
};

enum class SampleType : uint8_t { Int16, Real32 };
// Bytes of one sample, and samples to a line of the record text files.
constexpr unsigned SampleBytes(SampleType type) { return type == SampleType::Int16 ? 2u : 4u; }
constexpr int SamplesPerLine(SampleType type) { return type == SampleType::Int16 ? 8 : 4; }

// What sets a record kind apart: its header, its samples, how SIZE counts
// them and how their text lines are shaped.
struct RecordDescription {
  RecordType type;
  char letter;  // 'T', 'R', 'I': the text file's suffix and the record's name
  const HeaderDescription& header;
  SampleType sample;
  unsigned sampleBytes;   // 2: little-endian int16; 4: little-endian float32
  int samplesPerLine;     // 8 or 4
  uint16_t sizeOffset;    // where SIZE lies in the header
  bool sizeSigned;        // the binary form reads SIZE signed: zero or less means none (T)
  bool importSizeSigned;  // the import counts SIZE signed (T and R)
  bool padOddCount;       // a 16-bit zero follows an odd number of samples (T and I)

  // The samples the binary form holds: SIZE as the file's structure reads it.
  uint64_t DeclaredSamples(const uint8_t* bytes) const;
  // The samples the import writes for a SIZE read back from text.
  int64_t ImportCount(const uint8_t* bytes) const;
  // The bytes a record of count samples takes in a file, pad included.
  uint64_t RecordBytes(uint64_t count) const {
    return header.size + count * sampleBytes + (padOddCount && count % 2 == 1 ? 2 : 0);
  }
};

namespace format {

constexpr uint32_t kMagic = 0x35799753;
constexpr size_t kTextFieldSize = 80;  // DESC, PNAM, PDES: 79 characters and a NUL
constexpr size_t kOffsetEntrySize = 4;
// Record offsets are 32 bits: no record may start at or beyond this.
constexpr uint64_t kOffsetLimit = uint64_t{1} << 32;

namespace detail {
using F = FieldType;
using X = TextFormat;
constexpr FieldDescription Text(std::string_view label, uint16_t offset) {
  return {label, offset, F::Text80, X::Text80, X::Text80, X::Text80};
}
constexpr FieldDescription Long(std::string_view label, uint16_t offset, F type = F::Int32) {
  return {label, offset, type, X::Int32, X::Int32, X::Int32};
}
constexpr FieldDescription Real(std::string_view label, uint16_t offset) {
  return {label, offset, F::Real32, X::Real32, X::Real32, X::Real32};
}
constexpr FieldDescription Word(std::string_view label, uint16_t offset) {
  return {label, offset, F::UInt16, X::Word16, X::Word16, X::Word16};
}
// RS field k of a header whose RS fields start at first.
constexpr std::string_view kRsLabels[] = {"RS0", "RS1", "RS2", "RS3", "RS4", "RS5", "RS6", "RS7"};
constexpr FieldDescription Rs(int k, uint16_t first) {
  return {kRsLabels[k],          static_cast<uint16_t>(first + 4 * k), F::Int32, X::Int32, X::Int32, X::Int32,
          static_cast<int8_t>(k)};
}

// clang-format off
inline constexpr FieldDescription kFileFields[] = {
    {"MAGC", 0, F::UInt32, X::Hex32, X::Hex32, X::Hex32},
    Text("DESC", 4),
    Long("SUBS", 84),
    Text("PNAM", 88),
    Text("PDES", 168),
    Long("FMIN", 248),
    Long("FMAX", 252),
    Long("TIME", 256),
    Word("PID", 260),
    Word("UNUS", 262),
    Long("STYP", 264),
    Long("PTYP", 268),
    Long("TCNT", 272, F::UInt32),
    Long("RCNT", 276, F::UInt32),
    Long("ICNT", 280, F::UInt32),
    Real("MXPR", 284),
    Rs(0, 288), Rs(1, 288), Rs(2, 288), Rs(3, 288), Rs(4, 288), Rs(5, 288), Rs(6, 288),
};

// T: SIZE signed 16-bit samples, none when SIZE < 0.
inline constexpr FieldDescription kTFields[] = {
    Text("DESC", 0),
    {"CHAN", 80, F::UInt32, X::Int32, X::UInt32, X::UInt32},
    Real("RATE", 84),
    Long("OFFS", 88),
    Real("GAIN", 92),
    Long("TYPE", 96),
    Long("SIZE", 100),
    Real("FHz0", 104),
    Real("FHzN", 108),
    Rs(0, 112), Rs(1, 112), Rs(2, 112), Rs(3, 112), Rs(4, 112), Rs(5, 112),
};

// R: SIZE (a count, read back signed) 32-bit reals.
inline constexpr FieldDescription kRFields[] = {
    Text("DESC", 0),
    {"CHAN", 80, F::UInt32, X::Int32, X::Int32, X::UInt32},
    Real("RATE", 84),
    Long("PFDF", 88),
    Long("PFAS", 92),
    Long("FFSZ", 96),
    Long("FFDF", 100),
    Long("IFSZ", 104),
    Long("SAMP", 108),
    Long("FCOE", 112),
    Long("SIZE", 116, F::UInt32),
    Real("FHz0", 120),
    Real("FHzN", 124),
    Rs(0, 128), Rs(1, 128), Rs(2, 128), Rs(3, 128), Rs(4, 128), Rs(5, 128),
};

// I: SIZE unsigned 16-bit samples.
inline constexpr FieldDescription kIFields[] = {
    Text("DESC", 0),
    {"CHAN", 80, F::UInt32, X::UInt32, X::UInt32, X::UInt32},
    Real("RATE", 84),
    {"SIZE", 88, F::UInt32, X::UInt32, X::UInt32, X::UInt32},
    Rs(0, 92), Rs(1, 92), Rs(2, 92), Rs(3, 92), Rs(4, 92), Rs(5, 92), Rs(6, 92), Rs(7, 92),
};
// clang-format on
}  // namespace detail

inline constexpr HeaderDescription kFileHeader{HeaderKind::File, "PulseFileHeader", 316, detail::kFileFields};
inline constexpr HeaderDescription kTHeader{HeaderKind::T, "TRecordHeader", 136, detail::kTFields};
inline constexpr HeaderDescription kRHeader{HeaderKind::R, "RRecordHeader", 152, detail::kRFields};
inline constexpr HeaderDescription kIHeader{HeaderKind::I, "IRecordHeader", 124, detail::kIFields};

consteval RecordDescription Record(RecordType type, char letter, const HeaderDescription& header,
                                   SampleType sample, bool sizeSigned, bool importSizeSigned,
                                   bool padOddCount) {
  return {.type = type,
          .letter = letter,
          .header = header,
          .sample = sample,
          .sampleBytes = SampleBytes(sample),
          .samplesPerLine = SamplesPerLine(sample),
          .sizeOffset = header.Offset("SIZE"),
          .sizeSigned = sizeSigned,
          .importSizeSigned = importSizeSigned,
          .padOddCount = padOddCount};
}

// clang-format off
//                                                                                                     SIZE read signed by the
//                                                                                                     export  import  pad after an odd count
inline constexpr RecordDescription kTRecord = Record(RecordType::T, 'T', kTHeader, SampleType::Int16,  true,   true,   true);
inline constexpr RecordDescription kRRecord = Record(RecordType::R, 'R', kRHeader, SampleType::Real32, false,  true,   false);
inline constexpr RecordDescription kIRecord = Record(RecordType::I, 'I', kIHeader, SampleType::Int16,  false,  false,  true);
// clang-format on

// The record offset table follows the header: TCNT + RCNT + ICNT entries,
// T records first, then R, then I.
constexpr uint64_t kTableStart = kFileHeader.size;
constexpr uint64_t EntryPosition(uint64_t entry) { return kTableStart + kOffsetEntrySize * entry; }

constexpr size_t kLargestRecordHeader = std::max({kTHeader.size, kRHeader.size, kIHeader.size});

// Every field lies inside its header, one after another without gaps.
consteval bool Contiguous(const HeaderDescription& header) {
  size_t at = 0;
  for (const FieldDescription& field : header.fields) {
    if (field.offset != at) return false;
    at += field.Size();
  }
  return at == header.size;
}
static_assert(Contiguous(kFileHeader) && Contiguous(kTHeader) && Contiguous(kRHeader) &&
              Contiguous(kIHeader));

}  // namespace format

// The description of a header kind, and of a record kind.
const HeaderDescription& DescribeHeader(HeaderKind kind);
const RecordDescription& DescribeRecord(RecordType type);
// The header of a record kind.
constexpr HeaderKind HeaderKindOf(RecordType type) {
  return static_cast<HeaderKind>(static_cast<int>(type) + 1);
}

}  // namespace orvane
