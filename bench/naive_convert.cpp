// The straightforward stdio conversion, kept as the benchmarks' baseline and
// never shipped: one fread per sample, fprintf and sscanf with the text
// formats of the pulse file, fgets per line, 2-byte freads for the checksum,
// and for pulse power a whole-file validation in every header read or write.
// It does the work of the real conversion; its only textual difference is
// the two-digit exponent that "%15.7e" gives with this C library.
//
// Usage: naive_convert export|import BASE labelled|bare
//        naive_convert validate FILE.spf
//        naive_convert get BASE
//        naive_convert set BASE "VALUES"
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "bench_layout.h"
#include "tool_command.h"

namespace {

// How a header field is written and read. "%ld", "%lu" and "%lX" of the
// text formats are 32-bit conversions; long is 64-bit here, so the int32_t
// forms "%d", "%u" and "%X" stand in for them.
enum class Kind {
  Hex,      // "%lX"
  Text,     // "%s" written, columns read
  Int,      // "%ld"
  UInt,     // "%lu"
  Half,     // "%d" of the unsigned 16-bit field, read "%hd"
  Real,     // "%f"
  IntUInt,  // "%ld" written, "%lu" read (R CHAN)
  ChanT,    // "%ld" labelled, "%lu" bare, "%lu" read (T CHAN)
};

struct Field {
  const char* label;  // nullptr: an RS line
  int offset;
  Kind kind;
};

constexpr Field kFileFields[] = {
    {"MAGC", 0, Kind::Hex},    {"DESC", 4, Kind::Text},   {"SUBS", 84, Kind::Int},
    {"PNAM", 88, Kind::Text},  {"PDES", 168, Kind::Text}, {"FMIN", 248, Kind::Int},
    {"FMAX", 252, Kind::Int},  {"TIME", 256, Kind::Int},  {"PID ", 260, Kind::Half},
    {"UNUS", 262, Kind::Half}, {"STYP", 264, Kind::Int},  {"PTYP", 268, Kind::Int},
    {"TCNT", 272, Kind::Int},  {"RCNT", 276, Kind::Int},  {"ICNT", 280, Kind::Int},
    {"MXPR", 284, Kind::Real}, {nullptr, 288, Kind::Int}, {nullptr, 292, Kind::Int},
    {nullptr, 296, Kind::Int}, {nullptr, 300, Kind::Int}, {nullptr, 304, Kind::Int},
    {nullptr, 308, Kind::Int}, {nullptr, 312, Kind::Int}};
constexpr Field kTFields[] = {
    {"DESC", 0, Kind::Text},   {"CHAN", 80, Kind::ChanT}, {"RATE", 84, Kind::Real},
    {"OFFS", 88, Kind::Int},   {"GAIN", 92, Kind::Real},  {"TYPE", 96, Kind::Int},
    {"SIZE", 100, Kind::Int},  {"FHz0", 104, Kind::Real}, {"FHzN", 108, Kind::Real},
    {nullptr, 112, Kind::Int}, {nullptr, 116, Kind::Int}, {nullptr, 120, Kind::Int},
    {nullptr, 124, Kind::Int}, {nullptr, 128, Kind::Int}, {nullptr, 132, Kind::Int}};
constexpr Field kRFields[] = {
    {"DESC", 0, Kind::Text},   {"CHAN", 80, Kind::IntUInt}, {"RATE", 84, Kind::Real},
    {"PFDF", 88, Kind::Int},   {"PFAS", 92, Kind::Int},     {"FFSZ", 96, Kind::Int},
    {"FFDF", 100, Kind::Int},  {"IFSZ", 104, Kind::Int},    {"SAMP", 108, Kind::Int},
    {"FCOE", 112, Kind::Int},  {"SIZE", 116, Kind::Int},    {"FHz0", 120, Kind::Real},
    {"FHzN", 124, Kind::Real}, {nullptr, 128, Kind::Int},   {nullptr, 132, Kind::Int},
    {nullptr, 136, Kind::Int}, {nullptr, 140, Kind::Int},   {nullptr, 144, Kind::Int},
    {nullptr, 148, Kind::Int}};
constexpr Field kIFields[] = {
    {"DESC", 0, Kind::Text},   {"CHAN", 80, Kind::UInt},  {"RATE", 84, Kind::Real},
    {"SIZE", 88, Kind::UInt},  {nullptr, 92, Kind::Int},  {nullptr, 96, Kind::Int},
    {nullptr, 100, Kind::Int}, {nullptr, 104, Kind::Int}, {nullptr, 108, Kind::Int},
    {nullptr, 112, Kind::Int}, {nullptr, 116, Kind::Int}, {nullptr, 120, Kind::Int}};

struct HeaderForm {
  const Field* fields;
  int count;
};

struct RecordKind {
  char letter;
  HeaderForm header;
  size_t headerBytes;
  size_t sizeOffset;
  bool words;         // 16-bit samples, eight to a line; else reals, four to a line
  bool signedExport;  // SIZE read signed by the export
  bool signedImport;  // SIZE read signed by the import
};

constexpr RecordKind kKinds[3] = {
    {'T', {kTFields, 15}, bench::kTHeaderBytes, bench::kTSizeOffset, true, true, true},
    {'R', {kRFields, 19}, bench::kRHeaderBytes, bench::kRSizeOffset, false, false, true},
    {'I', {kIFields, 12}, bench::kIHeaderBytes, bench::kISizeOffset, true, false, false}};
constexpr HeaderForm kFileHeader{kFileFields, 23};

int32_t I32(const uint8_t* h, int offset) {
  int32_t v;
  std::memcpy(&v, h + offset, 4);
  return v;
}

// ---------------------------------------------------------------- export

void WriteField(FILE* out, const Field& f, int rsIndex, const uint8_t* h, bool labelled) {
  if (labelled && f.label) std::fprintf(out, "%s: ", f.label);
  if (labelled && !f.label) std::fprintf(out, "RS%2d: ", rsIndex);
  uint16_t half;
  float real;
  switch (f.kind) {
    case Kind::Hex: std::fprintf(out, "%X\n", static_cast<uint32_t>(I32(h, f.offset))); break;
    case Kind::Text: std::fprintf(out, "%.80s\n", reinterpret_cast<const char*>(h + f.offset)); break;
    case Kind::Int:
    case Kind::IntUInt: std::fprintf(out, "%d\n", I32(h, f.offset)); break;
    case Kind::UInt: std::fprintf(out, "%u\n", static_cast<uint32_t>(I32(h, f.offset))); break;
    case Kind::ChanT:
      if (labelled)
        std::fprintf(out, "%d\n", I32(h, f.offset));
      else
        std::fprintf(out, "%u\n", static_cast<uint32_t>(I32(h, f.offset)));
      break;
    case Kind::Half:
      std::memcpy(&half, h + f.offset, 2);
      std::fprintf(out, "%d\n", half);
      break;
    case Kind::Real:
      std::memcpy(&real, h + f.offset, 4);
      std::fprintf(out, "%f\n", static_cast<double>(real));
      break;
  }
}

void WriteHeader(FILE* out, const HeaderForm& form, const uint8_t* h, bool labelled) {
  int rs = 0;
  for (int k = 0; k < form.count; ++k)
    WriteField(out, form.fields[k], form.fields[k].label ? 0 : rs++, h, labelled);
}

void ExportSamples(FILE* in, FILE* out, const RecordKind& kind, uint64_t count, bool labelled) {
  for (uint64_t i = 0; i < count; ++i) {
    if (kind.words) {
      int16_t v;
      if (std::fread(&v, 2, 1, in) != 1) break;
      unsigned column = i % 8;
      if (column == 0 && labelled)
        std::fprintf(out, "%6d:  %6d   ", static_cast<int>(i), v);
      else if (column == 7)
        std::fprintf(out, "%6d\n", v);
      else
        std::fprintf(out, "%6d   ", v);
    } else {
      float v;
      if (std::fread(&v, 4, 1, in) != 1) break;
      unsigned column = i % 4;
      if (column == 0 && labelled)
        std::fprintf(out, "%6d:  %15.7e   ", static_cast<int>(i), static_cast<double>(v));
      else if (column == 3)
        std::fprintf(out, "%15.7e\n", static_cast<double>(v));
      else
        std::fprintf(out, "%15.7e   ", static_cast<double>(v));
    }
  }
  std::fputs("\n", out);
}

void ExportRecord(FILE* in, const std::string& base, const RecordKind& kind, uint32_t n, bool labelled) {
  std::string name = base + "." + kind.letter + std::to_string(n);
  FILE* out = std::fopen(name.c_str(), "w");
  if (!out) {
    std::fseek(in, 4, SEEK_CUR);  // the entry is taken all the same
    return;
  }
  uint32_t offset;
  if (std::fread(&offset, 4, 1, in) != 1) {
    std::fclose(out);
    return;
  }
  long back = std::ftell(in);
  alignas(4) uint8_t h[152];
  if (std::fseek(in, offset, SEEK_SET) == 0 && std::fread(h, kind.headerBytes, 1, in) == 1) {
    WriteHeader(out, kind.header, h, labelled);
    int32_t size = I32(h, static_cast<int>(kind.sizeOffset));
    uint64_t count = kind.signedExport ? (size > 0 ? size : 0) : static_cast<uint32_t>(size);
    ExportSamples(in, out, kind, count, labelled);
  }
  std::fseek(in, back, SEEK_SET);
  std::fclose(out);
}

// Sum of the 16-bit words from the start of the file, two bytes per read.
bool SumWords(FILE* f, uint16_t* sum) {
  if (std::fseek(f, 0, SEEK_SET) != 0) return false;
  uint16_t word;
  *sum = 0;
  while (std::fread(&word, 2, 1, f) == 1) *sum = static_cast<uint16_t>(*sum + word);
  return std::feof(f) != 0;
}

int Export(const std::string& base, bool labelled) {
  FILE* in = std::fopen((base + ".spf").c_str(), "rb");
  if (!in) return 1;
  FILE* pfh = std::fopen((base + ".pfh").c_str(), "w");
  uint8_t h[bench::kFileHeaderBytes];
  uint16_t sum;
  if (!pfh || std::fread(h, sizeof h, 1, in) != 1 || bench::LoadU32(h) != bench::kMagic ||
      !SumWords(in, &sum) || sum != 0 || std::fseek(in, bench::kFileHeaderBytes, SEEK_SET) != 0) {
    if (pfh) std::fclose(pfh);
    std::fclose(in);
    return 1;
  }
  WriteHeader(pfh, kFileHeader, h, labelled);
  for (int k = 0; k < 3; ++k) {
    uint32_t count = bench::LoadU32(h + bench::kTCountOffset + 4 * k);
    for (uint32_t n = 0; n < count; ++n) ExportRecord(in, base, kKinds[k], n, labelled);
  }
  std::fclose(pfh);
  std::fclose(in);
  return 0;
}

// ---------------------------------------------------------------- import

// The next line cut at 120 characters, without its remark, padded with blanks.
void ReadLine(FILE* in, char* line) {
  char buffer[256];
  line[0] = '\0';
  if (std::fgets(buffer, sizeof buffer, in)) {
    size_t length = std::strcspn(buffer, "\n");
    bool whole = buffer[length] == '\n';
    buffer[length] = '\0';
    while (!whole && std::fgets(line, 121, in)) whole = std::strchr(line, '\n') != nullptr;
    buffer[std::strcspn(buffer, "#")] = '\0';
    std::snprintf(line, 121, "%.120s", buffer);
  }
  size_t length = std::strlen(line);
  std::memset(line + length, ' ', 120 - length);
  line[120] = '\0';
}

void ReadField(const char* line, const Field& f, uint8_t* h, bool labelled) {
  if (f.kind == Kind::Text) {
    std::memcpy(h + f.offset, line + (labelled ? 6 : 0), 79);
    h[f.offset + 79] = 0;
    return;
  }
  const char* conversion = "%d";
  switch (f.kind) {
    case Kind::Hex: conversion = "%X"; break;
    case Kind::UInt:
    case Kind::IntUInt:
    case Kind::ChanT: conversion = "%u"; break;
    case Kind::Half: conversion = "%hd"; break;
    case Kind::Real: conversion = "%f"; break;
    default: break;
  }
  char format[32];
  if (!labelled)
    std::snprintf(format, sizeof format, "%s", conversion);
  else if (f.label)
    std::snprintf(format, sizeof format, "%s: %s", f.label, conversion);
  else
    std::snprintf(format, sizeof format, "RS%%*2d: %s", conversion);
  std::sscanf(line, format, h + f.offset);
}

void ReadHeader(FILE* in, const HeaderForm& form, uint8_t* h, bool labelled) {
  char line[121];
  for (int k = 0; k < form.count; ++k) {
    ReadLine(in, line);
    ReadField(line, form.fields[k], h, labelled);
  }
}

bool ImportWords(FILE* in, FILE* out, int64_t remaining, bool labelled) {
  const char* full = labelled ? "%*hd: %hd %hd %hd %hd %hd %hd %hd %hd" : "%hd %hd %hd %hd %hd %hd %hd %hd";
  const char* last = labelled ? "%*hd:%hd %hd %hd %hd %hd %hd %hd %hd" : full;
  char line[121];
  for (; remaining > 0; remaining -= 8) {
    int16_t v[8];
    ReadLine(in, line);
    int want = remaining >= 8 ? 8 : static_cast<int>(remaining);
    int got = std::sscanf(line, remaining >= 8 ? full : last, &v[0], &v[1], &v[2], &v[3], &v[4], &v[5], &v[6],
                          &v[7]);
    if (got < want || std::fwrite(v, 2, want, out) != static_cast<size_t>(want)) return false;
  }
  return true;
}

bool ImportReals(FILE* in, FILE* out, int64_t remaining, bool labelled) {
  const char* format = labelled ? "%*6d: %e %e %e %e" : "%e %e %e %e";
  char line[121];
  for (; remaining > 0; remaining -= 4) {
    float v[4];
    ReadLine(in, line);
    int want = remaining >= 4 ? 4 : static_cast<int>(remaining);
    int got = std::sscanf(line, format, &v[0], &v[1], &v[2], &v[3]);
    if (got < want || std::fwrite(v, 4, want, out) != static_cast<size_t>(want)) return false;
  }
  return true;
}

void ImportRecord(FILE* out, const std::string& base, const RecordKind& kind, uint32_t n, bool labelled) {
  std::string name = base + "." + kind.letter + std::to_string(n);
  FILE* in = std::fopen(name.c_str(), "r");
  if (!in) return;
  alignas(4) uint8_t h[152] = {};
  ReadHeader(in, kind.header, h, labelled);
  if (std::fwrite(h, kind.headerBytes, 1, out) == 1) {
    int32_t size = I32(h, static_cast<int>(kind.sizeOffset));
    int64_t count = kind.signedImport ? size : int64_t{static_cast<uint32_t>(size)};
    if (kind.words) {
      ImportWords(in, out, count, labelled);
      if (count > 0 && count % 2 == 1) std::fwrite("\0", 1, 2, out);
    } else {
      ImportReals(in, out, count, labelled);
    }
  }
  std::fclose(in);
}

bool AppendSeal(FILE* f) {
  uint16_t sum;
  if (!SumWords(f, &sum) || std::fseek(f, 0, SEEK_END) != 0) return false;
  uint16_t seal = static_cast<uint16_t>(0x10000u - sum);
  return std::fwrite(&seal, 2, 1, f) == 1;
}

int Import(const std::string& base, bool labelled) {
  FILE* pfh = std::fopen((base + ".pfh").c_str(), "r");
  if (!pfh) return 1;
  FILE* out = std::fopen((base + ".spf").c_str(), "w+b");
  alignas(4) uint8_t h[bench::kFileHeaderBytes] = {};
  if (out) ReadHeader(pfh, kFileHeader, h, labelled);
  if (!out || bench::LoadU32(h) != bench::kMagic || std::fwrite(h, sizeof h, 1, out) != 1) {
    if (out) std::fclose(out);
    std::fclose(pfh);
    return 1;
  }
  long table = std::ftell(out);
  uint32_t counts[3];
  for (int k = 0; k < 3; ++k) counts[k] = bench::LoadU32(h + bench::kTCountOffset + 4 * k);
  const uint32_t zero = 0;
  for (uint32_t e = 0; e < counts[0] + counts[1] + counts[2]; ++e) std::fwrite(&zero, 4, 1, out);
  for (int k = 0; k < 3; ++k) {
    for (uint32_t n = 0; n < counts[k]; ++n) {
      uint32_t at = static_cast<uint32_t>(std::ftell(out));
      std::fseek(out, table, SEEK_SET);
      std::fwrite(&at, 4, 1, out);
      table = std::ftell(out);
      std::fseek(out, at, SEEK_SET);
      ImportRecord(out, base, kKinds[k], n, labelled);
    }
  }
  bool sealed = AppendSeal(out);
  std::fclose(out);
  std::fclose(pfh);
  return sealed ? 0 : 1;
}

// ---------------------------------------------------------------- whole-file operations

int Validate(const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return 0;
  uint32_t magic = 0;
  uint16_t sum = 1;
  bool valid = std::fread(&magic, 4, 1, f) == 1 && magic == bench::kMagic && SumWords(f, &sum) && sum == 0;
  std::fclose(f);
  return valid ? 1 : 0;
}

bool ReadPulseFileHeader(const std::string& path, uint8_t* h) {
  if (!Validate(path)) return false;
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  bool ok = std::fread(h, bench::kFileHeaderBytes, 1, f) == 1;
  std::fclose(f);
  return ok;
}

// Header of T record n, validating the whole file first; with write set,
// record is written there instead of read.
bool AccessTRecordHeader(const std::string& path, uint32_t n, uint8_t* record, bool write) {
  uint8_t h[bench::kFileHeaderBytes];
  if (!ReadPulseFileHeader(path, h) || n >= bench::LoadU32(h + bench::kTCountOffset)) return false;
  FILE* f = std::fopen(path.c_str(), write ? "r+b" : "rb");
  if (!f) return false;
  uint32_t offset;
  bool ok = std::fseek(f, bench::kFileHeaderBytes + 4 * n, SEEK_SET) == 0 &&
            std::fread(&offset, 4, 1, f) == 1 && std::fseek(f, offset, SEEK_SET) == 0 &&
            (write ? std::fwrite(record, bench::kTHeaderBytes, 1, f)
                   : std::fread(record, bench::kTHeaderBytes, 1, f)) == 1;
  std::fclose(f);
  return ok;
}

int GetPulsePower(const std::string& base) {
  const std::string path = base + ".spf";
  uint8_t h[bench::kFileHeaderBytes];
  if (!ReadPulseFileHeader(path, h)) return 1;
  std::string text;
  uint8_t record[bench::kTHeaderBytes];
  for (uint32_t i = 0; i < bench::LoadU32(h + bench::kTCountOffset); ++i) {
    if (!AccessTRecordHeader(path, i, record, false)) break;
    char value[32];
    std::snprintf(value, sizeof value, "%d ",
                  static_cast<int>(std::floor(
                      static_cast<double>(bench::LoadF32(record + bench::kTGainOffset)) * 100 + 0.5)));
    text += value;
  }
  std::printf("%s\n", text.c_str());
  return 0;
}

int SetPulsePower(const std::string& base, const std::string& text) {
  const std::string path = base + ".spf";
  uint8_t h[bench::kFileHeaderBytes];
  bool valid = ReadPulseFileHeader(path, h);
  int v[20];
  int count =
      std::sscanf(text.substr(0, 398).c_str(), "%d %d %d %d %d %d %d %d %d %d %d %d %d %d %d %d %d %d %d %d",
                  &v[0], &v[1], &v[2], &v[3], &v[4], &v[5], &v[6], &v[7], &v[8], &v[9], &v[10], &v[11],
                  &v[12], &v[13], &v[14], &v[15], &v[16], &v[17], &v[18], &v[19]);
  if (!valid) return 1;
  uint8_t record[bench::kTHeaderBytes];
  for (int i = 0; i < count && static_cast<uint32_t>(i) < bench::LoadU32(h + bench::kTCountOffset); ++i) {
    if (!AccessTRecordHeader(path, static_cast<uint32_t>(i), record, false)) break;
    int power = v[i] > 100 ? 100 : v[i] < -100 ? -100 : v[i];
    bench::StoreF32(record + bench::kTGainOffset, static_cast<float>(power / 100.0));
    AccessTRecordHeader(path, static_cast<uint32_t>(i), record, true);
    FILE* f = std::fopen(path.c_str(), "r+b");
    if (f) {
      AppendSeal(f);
      std::fclose(f);
    }
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  auto tool = ParseToolCommand(argc, argv);
  if (!tool) return ToolUsage(argv[0]);
  switch (tool->kind) {
    case ToolCommand::Kind::Export: return Export(tool->target, tool->labelled);
    case ToolCommand::Kind::Import: return Import(tool->target, tool->labelled);
    case ToolCommand::Kind::Validate: return Validate(tool->target) ? 0 : 1;
    case ToolCommand::Kind::Get: return GetPulsePower(tool->target);
    case ToolCommand::Kind::Set: return SetPulsePower(tool->target, tool->values);
  }
  return 2;
}
