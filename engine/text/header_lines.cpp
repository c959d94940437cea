#include "text/header_lines.h"

#include <cstring>

#include "orvane/byte_order.h"
#include "orvane/format.h"
#include "text/exact_reals.h"
#include "text/text_format.h"
#include "text/text_scan.h"

namespace orvane {

namespace {

using F = TextFormat;

constexpr size_t kTextFieldSize = format::kTextFieldSize;
constexpr size_t kLabelledTextColumn = 6;
constexpr size_t kStoredTextChars = 79;

char* AppendLabel(char* out, const FieldDescription& field) {
  if (field.rsIndex < 0) {
    // Keys are four columns wide: "PID : ".
    std::memcpy(out, "    ", 4);
    std::memcpy(out, field.label.data(), field.label.size());
    out += 4;
  } else {
    out = text::AppendLiteral(out, "RS");
    out = text::AppendRightAligned(out, field.rsIndex, 2);
  }
  return text::AppendLiteral(out, ": ");
}

bool MatchLabel(text::Scanner& in, const FieldDescription& field) {
  if (field.rsIndex < 0) {
    char pattern[8] = {' ', ' ', ' ', ' ', ':', ' ', 0};
    std::memcpy(pattern, field.label.data(), field.label.size());
    return in.Match(pattern);
  }
  int64_t ignored;
  return in.Match("RS") && in.Integer(&ignored, 2) && in.Match(": ");
}

}  // namespace

char* AppendHeaderLine(char* out, const FieldDescription& field, const uint8_t* header, bool labelled,
                       bool exact) {
  if (labelled) out = AppendLabel(out, field);
  const uint8_t* at = header + field.offset;
  switch (labelled ? field.labelled : field.bare) {
    case F::Hex32: out = text::AppendHex(out, LoadU32(at)); break;
    case F::Text80: out = text::AppendTextField(out, at, kTextFieldSize); break;
    case F::Int32: out = text::AppendLong(out, LoadI32(at)); break;
    case F::UInt32: out = text::AppendULong(out, LoadU32(at)); break;
    case F::Word16: out = text::AppendRightAligned(out, LoadU16(at), 0); break;
    case F::Real32:
      out = exact ? text::AppendExactReal(out, LoadF32(at)) : text::AppendFixed6(out, LoadF32(at));
      break;
  }
  *out++ = '\n';
  return out;
}

bool ReadHeaderLine(const char* line, const FieldDescription& field, uint8_t* header, bool labelled) {
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
