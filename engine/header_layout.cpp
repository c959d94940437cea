#include "header_layout.h"

#include <cstring>

#include "byte_order.h"
#include "text_format.h"
#include "text_scan.h"

namespace orvane {

namespace {

using F = FieldFormat;

constexpr HeaderField Plain(const char* label, uint16_t offset, F labelled, F bare, F read) {
  return HeaderField{label, offset, labelled, bare, read, -1};
}
constexpr HeaderField Number(const char* label, uint16_t offset) {
  return Plain(label, offset, F::Int32, F::Int32, F::Int32);
}
constexpr HeaderField Text(const char* label, uint16_t offset) {
  return Plain(label, offset, F::Text80, F::Text80, F::Text80);
}
constexpr HeaderField Real(const char* label, uint16_t offset) {
  return Plain(label, offset, F::Real32, F::Real32, F::Real32);
}
constexpr HeaderField Rs(int index, uint16_t offset) {
  return HeaderField{"RS", offset, F::Int32, F::Int32, F::Int32, static_cast<int8_t>(index)};
}

constexpr HeaderField kFileFields[] = {
    Plain("MAGC", 0, F::Hex32, F::Hex32, F::Hex32),
    Text("DESC", 4),
    Number("SUBS", 84),
    Text("PNAM", 88),
    Text("PDES", 168),
    Number("FMIN", 248),
    Number("FMAX", 252),
    Number("TIME", 256),
    Plain("PID ", 260, F::Word16, F::Word16, F::Word16),
    Plain("UNUS", 262, F::Word16, F::Word16, F::Word16),
    Number("STYP", 264),
    Number("PTYP", 268),
    Number("TCNT", 272),
    Number("RCNT", 276),
    Number("ICNT", 280),
    Real("MXPR", 284),
    Rs(0, 288), Rs(1, 292), Rs(2, 296), Rs(3, 300), Rs(4, 304), Rs(5, 308), Rs(6, 312),
};

constexpr HeaderField kTFields[] = {
    Text("DESC", 0),
    Plain("CHAN", 80, F::Int32, F::UInt32, F::UInt32),
    Real("RATE", 84),
    Number("OFFS", 88),
    Real("GAIN", 92),
    Number("TYPE", 96),
    Number("SIZE", 100),
    Real("FHz0", 104),
    Real("FHzN", 108),
    Rs(0, 112), Rs(1, 116), Rs(2, 120), Rs(3, 124), Rs(4, 128), Rs(5, 132),
};

constexpr HeaderField kRFields[] = {
    Text("DESC", 0),
    Plain("CHAN", 80, F::Int32, F::Int32, F::UInt32),
    Real("RATE", 84),
    Number("PFDF", 88),
    Number("PFAS", 92),
    Number("FFSZ", 96),
    Number("FFDF", 100),
    Number("IFSZ", 104),
    Number("SAMP", 108),
    Number("FCOE", 112),
    Number("SIZE", 116),
    Real("FHz0", 120),
    Real("FHzN", 124),
    Rs(0, 128), Rs(1, 132), Rs(2, 136), Rs(3, 140), Rs(4, 144), Rs(5, 148),
};

constexpr HeaderField kIFields[] = {
    Text("DESC", 0),
    Plain("CHAN", 80, F::UInt32, F::UInt32, F::UInt32),
    Real("RATE", 84),
    Plain("SIZE", 88, F::UInt32, F::UInt32, F::UInt32),
    Rs(0, 92), Rs(1, 96), Rs(2, 100), Rs(3, 104), Rs(4, 108), Rs(5, 112), Rs(6, 116), Rs(7, 120),
};

constexpr size_t kTextFieldSize = 80;
constexpr size_t kLabelledTextColumn = 6;
constexpr size_t kStoredTextChars = 79;

char* AppendLabel(char* out, const HeaderField& field) {
  if (field.rsIndex < 0) {
    std::memcpy(out, field.label, 4);
    out += 4;
  } else {
    out = text::AppendLiteral(out, "RS");
    out = text::AppendRightAligned(out, field.rsIndex, 2);
  }
  return text::AppendLiteral(out, ": ");
}

bool MatchLabel(text::Scanner& in, const HeaderField& field) {
  if (field.rsIndex < 0) {
    char pattern[8] = {field.label[0], field.label[1], field.label[2], field.label[3], ':', ' ', 0};
    return in.Match(pattern);
  }
  int64_t ignored;
  return in.Match("RS") && in.Integer(&ignored, 2) && in.Match(": ");
}

}  // namespace

const HeaderLayout kPulseFileHeaderLayout{"PulseFileHeader", 316, kFileFields};
const HeaderLayout kTRecordHeaderLayout{"TRecordHeader", 136, kTFields};
const HeaderLayout kRRecordHeaderLayout{"RRecordHeader", 152, kRFields};
const HeaderLayout kIRecordHeaderLayout{"IRecordHeader", 124, kIFields};

char* AppendHeaderLine(char* out, const HeaderField& field, const uint8_t* header, bool labelled) {
  if (labelled) out = AppendLabel(out, field);
  const uint8_t* at = header + field.offset;
  switch (labelled ? field.labelledWrite : field.bareWrite) {
    case F::Hex32: out = text::AppendHex(out, LoadU32(at)); break;
    case F::Text80: out = text::AppendTextField(out, at, kTextFieldSize); break;
    case F::Int32: out = text::AppendLong(out, LoadI32(at)); break;
    case F::UInt32: out = text::AppendULong(out, LoadU32(at)); break;
    case F::Word16: out = text::AppendRightAligned(out, LoadU16(at), 0); break;
    case F::Real32: out = text::AppendFixed6(out, LoadF32(at)); break;
  }
  *out++ = '\n';
  return out;
}

bool ReadHeaderLine(const char* line, const HeaderField& field, uint8_t* header, bool labelled) {
  uint8_t* at = header + field.offset;
  if (field.read == F::Text80) {
    // Copied by column: the labelled layout skips the six label columns unseen.
    std::memcpy(at, line + (labelled ? kLabelledTextColumn : 0), kStoredTextChars);
    at[kStoredTextChars] = 0;
    return true;
  }
  text::Scanner in(line);
  if (labelled && !MatchLabel(in, field)) return false;
  int64_t number;
  switch (field.read) {
    case F::Hex32: {
      uint32_t v;
      if (!in.Hex(&v)) return false;
      StoreU32(at, v);
      return true;
    }
    case F::Int32:
      if (!in.Integer(&number)) return false;
      StoreU32(at, static_cast<uint32_t>(text::ClampToLong(number)));
      return true;
    case F::UInt32:
      if (!in.Integer(&number)) return false;
      StoreU32(at, text::ToULong(number));
      return true;
    case F::Word16:
      if (!in.Integer(&number)) return false;
      StoreU16(at, text::Low16(text::ClampToLong(number)));
      return true;
    case F::Real32: {
      float v;
      if (!in.Real(&v)) return false;
      StoreF32(at, v);
      return true;
    }
    case F::Text80: break;
  }
  return false;
}

}  // namespace orvane
