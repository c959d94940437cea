// The binary pulse file in figures: every offset, size and limit of the file
// and of its three record headers. Everything that reads or writes the
// binary form takes them from here.
#pragma once

#include <cstddef>
#include <cstdint>

namespace orvane::format {

constexpr uint32_t kMagic = 0x35799753;
constexpr size_t kTextFieldSize = 80;  // DESC, PNAM, PDES: 79 characters and a NUL
constexpr size_t kOffsetEntrySize = 4;
// Record offsets are 32 bits: no record may start at or beyond this.
constexpr uint64_t kOffsetLimit = uint64_t{1} << 32;

// PulseFileHeader, 316 bytes.
namespace file {
constexpr size_t kSize = 316;
constexpr uint16_t MAGC = 0, DESC = 4, SUBS = 84, PNAM = 88, PDES = 168, FMIN = 248, FMAX = 252, TIME = 256,
                   PID = 260, UNUS = 262, STYP = 264, PTYP = 268, TCNT = 272, RCNT = 276, ICNT = 280,
                   MXPR = 284, RS = 288;
constexpr int kRsCount = 7;
}  // namespace file

// The record offset table follows the header: TCNT + RCNT + ICNT entries,
// T records first, then R, then I.
constexpr uint64_t kTableStart = file::kSize;
constexpr uint64_t EntryPosition(uint64_t entry) { return kTableStart + kOffsetEntrySize * entry; }

// TRecordHeader, 136 bytes, then SIZE 16-bit samples (none when SIZE < 0).
namespace t {
constexpr size_t kSize = 136;
constexpr uint16_t DESC = 0, CHAN = 80, RATE = 84, OFFS = 88, GAIN = 92, TYPE = 96, SIZE = 100, FHZ0 = 104,
                   FHZN = 108, RS = 112;
constexpr int kRsCount = 6;
}  // namespace t

// RRecordHeader, 152 bytes, then SIZE (unsigned) 32-bit reals.
namespace r {
constexpr size_t kSize = 152;
constexpr uint16_t DESC = 0, CHAN = 80, RATE = 84, PFDF = 88, PFAS = 92, FFSZ = 96, FFDF = 100, IFSZ = 104,
                   SAMP = 108, FCOE = 112, SIZE = 116, FHZ0 = 120, FHZN = 124, RS = 128;
constexpr int kRsCount = 6;
}  // namespace r

// IRecordHeader, 124 bytes, then SIZE (unsigned) 16-bit samples.
namespace i {
constexpr size_t kSize = 124;
constexpr uint16_t DESC = 0, CHAN = 80, RATE = 84, SIZE = 88, RS = 92;
constexpr int kRsCount = 8;
}  // namespace i

constexpr size_t kLargestRecordHeader = r::kSize;

}  // namespace orvane::format
