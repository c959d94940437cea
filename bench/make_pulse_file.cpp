// Writes a large valid pulse file with deterministic random content, for the
// benchmarks. The records follow the offset table in table order, T and I
// records are padded to an even sample count as an import writes them, and
// the file ends with the word that brings its word sum to zero. The file is
// streamed through one fixed buffer, so memory use does not grow with it
// (the engine's own writer takes every sample in memory, which a file of
// gigabytes cannot afford); every offset and size comes from the engine's
// format description.
//
// Usage: make_pulse_file OUT.spf TCOUNT TSAMPLES RCOUNT RSAMPLES ICOUNT ISAMPLES [SEED]
//
// Header fields are chosen so that an export followed by an import gives the
// same header bytes back: descriptions are printable text without '#',
// padded with blanks to 79 characters and a NUL as an import stores them, and
// header reals have a magnitude of at least 16 (or are hundredths between -1
// and 1, for GAIN), where six decimals tell every float apart.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "orvane/byte_order.h"
#include "orvane/format.h"

namespace {

using orvane::StoreF32;
using orvane::StoreU32;
namespace format = orvane::format;

// splitmix64: fast, deterministic, and good enough for test content.
class Random {
 public:
  explicit Random(uint64_t seed) : state_(seed) {}
  uint64_t Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }
  uint32_t Below(uint32_t bound) { return static_cast<uint32_t>(Next() % bound); }
  void Fill(uint8_t* out, size_t n) {
    for (size_t i = 0; i < n; i += 8) {
      uint64_t bits = Next();
      for (size_t k = i; k < n && k < i + 8; ++k, bits >>= 8) out[k] = static_cast<uint8_t>(bits);
    }
  }

 private:
  uint64_t state_;
};

// Appends to the file through one buffer and keeps the 16-bit word sum of
// everything written. Every item of a pulse file has an even size, so each
// flushed block starts on an even file offset.
class SealedWriter {
 public:
  explicit SealedWriter(FILE* file) : file_(file), buffer_(kCapacity) {}

  // Room for n bytes (n at most kCapacity) at the end of the file.
  uint8_t* Reserve(size_t n) {
    if (used_ + n > buffer_.size()) Flush();
    uint8_t* p = buffer_.data() + used_;
    used_ += n;
    return p;
  }
  // Appends the checksum word and closes the file.
  bool Finish() {
    Flush();
    uint16_t seal = static_cast<uint16_t>(0x10000u - sum_);
    uint8_t* p = Reserve(2);
    p[0] = static_cast<uint8_t>(seal);
    p[1] = static_cast<uint8_t>(seal >> 8);
    Flush();
    bool closed = std::fclose(file_) == 0;
    return ok_ && closed;
  }

  static constexpr size_t kCapacity = size_t{1} << 20;

 private:
  void Flush() {
    for (size_t i = 0; i + 1 < used_; i += 2)
      sum_ = static_cast<uint16_t>(sum_ + (buffer_[i] | buffer_[i + 1] << 8));
    if (used_ > 0 && std::fwrite(buffer_.data(), 1, used_, file_) != used_) ok_ = false;
    used_ = 0;
  }

  FILE* file_;
  std::vector<uint8_t> buffer_;
  size_t used_ = 0;
  uint16_t sum_ = 0;
  bool ok_ = true;
};

struct RecordSet {
  const orvane::RecordDescription& kind;
  uint32_t count;
  uint32_t samples;

  uint64_t RecordBytes() const { return kind.RecordBytes(samples); }
};

void FillDescription(Random& random, uint8_t* field) {
  const uint32_t length = 1 + random.Below(79);
  for (uint32_t i = 0; i < 79; ++i) {
    char c = ' ';
    if (i < length) {
      do c = static_cast<char>(' ' + random.Below(95));
      while (c == '#');
    }
    field[i] = static_cast<uint8_t>(c);
  }
  field[79] = 0;
}

// A real that six decimals carry exactly: magnitude 16 to 100000.
float HeaderReal(Random& random) {
  float magnitude = 16.0f + static_cast<float>(random.Below(1u << 24)) / (1u << 24) * 99984.0f;
  return random.Below(2) ? magnitude : -magnitude;
}

// A header: random words, then the texts and reals put in place so that
// they come back from their text lines unchanged.
void FillHeader(Random& random, const orvane::HeaderDescription& header, uint8_t* h) {
  random.Fill(h, header.size);
  for (const orvane::FieldDescription& field : header.fields) {
    if (field.type == orvane::FieldType::Text80) FillDescription(random, h + field.offset);
    if (field.type != orvane::FieldType::Real32) continue;
    const bool gain = field.label == "GAIN";  // hundredths between -1 and 1, as pulse power sets it
    StoreF32(h + field.offset, gain ? static_cast<float>(static_cast<int>(random.Below(201)) - 100) / 100.0f
                                    : HeaderReal(random));
  }
}

// Random samples: any 16-bit word, or any finite float.
void FillSamples(Random& random, const RecordSet& set, uint8_t* out, size_t n) {
  random.Fill(out, n * set.kind.sampleBytes);
  if (set.kind.sample != orvane::SampleType::Real32) return;
  for (size_t i = 0; i < n; ++i) {
    uint8_t* p = out + 4 * i;
    if ((p[3] & 0x7F) == 0x7F && (p[2] & 0x80)) p[2] &= 0x7F;  // exponent 255 (inf, NaN)
  }
}

void WriteRecord(SealedWriter& out, Random& random, const RecordSet& set) {
  uint8_t* header = out.Reserve(set.kind.header.size);
  FillHeader(random, set.kind.header, header);
  StoreU32(header + set.kind.sizeOffset, set.samples);
  const size_t chunk = SealedWriter::kCapacity / 8;  // samples per step
  for (uint32_t done = 0; done < set.samples;) {
    size_t n = std::min<size_t>(chunk, set.samples - done);
    FillSamples(random, set, out.Reserve(n * set.kind.sampleBytes), n);
    done += static_cast<uint32_t>(n);
  }
  const uint64_t pad = set.RecordBytes() - set.kind.header.size - uint64_t{set.samples} * set.kind.sampleBytes;
  if (pad > 0) std::memset(out.Reserve(pad), 0, pad);
}

void WriteFileHeader(SealedWriter& out, Random& random, const RecordSet (&sets)[3]) {
  uint8_t* h = out.Reserve(format::kFileHeader.size);
  FillHeader(random, format::kFileHeader, h);
  StoreU32(h + format::kFileHeader.Offset("MAGC"), format::kMagic);
  StoreU32(h + format::kFileHeader.Offset("TCNT"), sets[0].count);
  StoreU32(h + format::kFileHeader.Offset("RCNT"), sets[1].count);
  StoreU32(h + format::kFileHeader.Offset("ICNT"), sets[2].count);
}

void WriteOffsetTable(SealedWriter& out, const RecordSet (&sets)[3]) {
  uint64_t next = format::EntryPosition(uint64_t{sets[0].count} + sets[1].count + sets[2].count);
  for (const RecordSet& set : sets) {
    for (uint32_t n = 0; n < set.count; ++n) {
      StoreU32(out.Reserve(format::kOffsetEntrySize), static_cast<uint32_t>(next));
      next += set.RecordBytes();
    }
  }
}

bool ParseCount(const char* text, uint32_t* value) {
  char* end = nullptr;
  errno = 0;
  unsigned long long v = std::strtoull(text, &end, 10);
  if (errno != 0 || end == text || *end != '\0' || v > 0xFFFFFFFFull) return false;
  *value = static_cast<uint32_t>(v);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 8 && argc != 9) {
    std::fprintf(stderr, "usage: %s OUT.spf TCOUNT TSAMPLES RCOUNT RSAMPLES ICOUNT ISAMPLES [SEED]\n",
                 argv[0]);
    return 2;
  }
  RecordSet sets[3] = {{format::kTRecord, 0, 0}, {format::kRRecord, 0, 0}, {format::kIRecord, 0, 0}};
  uint32_t seed = 1;
  bool ok = argc == 8 || ParseCount(argv[8], &seed);
  for (int k = 0; k < 3; ++k)
    ok = ok && ParseCount(argv[2 + 2 * k], &sets[k].count) && ParseCount(argv[3 + 2 * k], &sets[k].samples);
  if (!ok || sets[0].samples > 0x7FFFFFFFu) {
    std::fprintf(stderr, "%s: counts must be unsigned 32-bit numbers (T samples below 2^31)\n", argv[0]);
    return 2;
  }
  uint64_t total = format::kFileHeader.size;
  for (const RecordSet& set : sets) total += set.count * (format::kOffsetEntrySize + set.RecordBytes());
  if (total >= format::kOffsetLimit) {
    std::fprintf(stderr, "%s: a pulse file addresses at most 4 GiB\n", argv[0]);
    return 2;
  }

  FILE* file = std::fopen(argv[1], "wb");
  if (!file) {
    std::fprintf(stderr, "%s: cannot create %s\n", argv[0], argv[1]);
    return 1;
  }
  SealedWriter out(file);
  Random random(seed);
  WriteFileHeader(out, random, sets);
  WriteOffsetTable(out, sets);
  for (const RecordSet& set : sets)
    for (uint32_t n = 0; n < set.count; ++n) WriteRecord(out, random, set);
  if (!out.Finish()) {
    std::fprintf(stderr, "%s: write error on %s\n", argv[0], argv[1]);
    return 1;
  }
  std::printf("%llu\n", static_cast<unsigned long long>(total + 2));
  return 0;
}
