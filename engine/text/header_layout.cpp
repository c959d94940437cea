#include "text/header_layout.h"

#include <cstring>

#include "orvane/byte_order.h"
#include "orvane/format.h"
#include "text/text_format.h"
#include "text/text_scan.h"

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
// RS field index of a header whose RS fields start at first.
constexpr HeaderField Rs(int index, uint16_t first) {
  return HeaderField{"RS",     static_cast<uint16_t>(first + 4 * index),
                     F::Int32, F::Int32,
                     F::Int32, static_cast<int8_t>(index)};
}

constexpr HeaderField kFileFields[] = {
    Plain("MAGC", format::file::MAGC, F::Hex32, F::Hex32, F::Hex32),
    Text("DESC", format::file::DESC),
    Number("SUBS", format::file::SUBS),
    Text("PNAM", format::file::PNAM),
    Text("PDES", format::file::PDES),
    Number("FMIN", format::file::FMIN),
    Number("FMAX", format::file::FMAX),
    Number("TIME", format::file::TIME),
    Plain("PID ", format::file::PID, F::Word16, F::Word16, F::Word16),
    Plain("UNUS", format::file::UNUS, F::Word16, F::Word16, F::Word16),
    Number("STYP", format::file::STYP),
    Number("PTYP", format::file::PTYP),
    Number("TCNT", format::file::TCNT),
    Number("RCNT", format::file::RCNT),
    Number("ICNT", format::file::ICNT),
    Real("MXPR", format::file::MXPR),
    Rs(0, format::file::RS),
    Rs(1, format::file::RS),
    Rs(2, format::file::RS),
    Rs(3, format::file::RS),
    Rs(4, format::file::RS),
    Rs(5, format::file::RS),
    Rs(6, format::file::RS),
};

constexpr HeaderField kTFields[] = {
    Text("DESC", format::t::DESC),
    Plain("CHAN", format::t::CHAN, F::Int32, F::UInt32, F::UInt32),
    Real("RATE", format::t::RATE),
    Number("OFFS", format::t::OFFS),
    Real("GAIN", format::t::GAIN),
    Number("TYPE", format::t::TYPE),
    Number("SIZE", format::t::SIZE),
    Real("FHz0", format::t::FHZ0),
    Real("FHzN", format::t::FHZN),
    Rs(0, format::t::RS),
    Rs(1, format::t::RS),
    Rs(2, format::t::RS),
    Rs(3, format::t::RS),
    Rs(4, format::t::RS),
    Rs(5, format::t::RS),
};

constexpr HeaderField kRFields[] = {
    Text("DESC", format::r::DESC),
    Plain("CHAN", format::r::CHAN, F::Int32, F::Int32, F::UInt32),
    Real("RATE", format::r::RATE),
    Number("PFDF", format::r::PFDF),
    Number("PFAS", format::r::PFAS),
    Number("FFSZ", format::r::FFSZ),
    Number("FFDF", format::r::FFDF),
    Number("IFSZ", format::r::IFSZ),
    Number("SAMP", format::r::SAMP),
    Number("FCOE", format::r::FCOE),
    Number("SIZE", format::r::SIZE),
    Real("FHz0", format::r::FHZ0),
    Real("FHzN", format::r::FHZN),
    Rs(0, format::r::RS),
    Rs(1, format::r::RS),
    Rs(2, format::r::RS),
    Rs(3, format::r::RS),
    Rs(4, format::r::RS),
    Rs(5, format::r::RS),
};

constexpr HeaderField kIFields[] = {
    Text("DESC", format::i::DESC), Plain("CHAN", format::i::CHAN, F::UInt32, F::UInt32, F::UInt32),
    Real("RATE", format::i::RATE), Plain("SIZE", format::i::SIZE, F::UInt32, F::UInt32, F::UInt32),
    Rs(0, format::i::RS),          Rs(1, format::i::RS),
    Rs(2, format::i::RS),          Rs(3, format::i::RS),
    Rs(4, format::i::RS),          Rs(5, format::i::RS),
    Rs(6, format::i::RS),          Rs(7, format::i::RS),
};

constexpr size_t kTextFieldSize = format::kTextFieldSize;
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

const HeaderLayout kPulseFileHeaderLayout{"PulseFileHeader", format::file::kSize, kFileFields};
const HeaderLayout kTRecordHeaderLayout{"TRecordHeader", format::t::kSize, kTFields};
const HeaderLayout kRRecordHeaderLayout{"RRecordHeader", format::r::kSize, kRFields};
const HeaderLayout kIRecordHeaderLayout{"IRecordHeader", format::i::kSize, kIFields};

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
