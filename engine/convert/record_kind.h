// What sets the three record kinds apart: header layout, sample form, where
// SIZE lies and how it is read, and the odd-count pad.
#pragma once

#include <cstdint>
#include <string>

#include "text/header_layout.h"
#include "orvane/byte_order.h"
#include "orvane/pulse_file_view.h"
#include "text/sample_lines.h"

namespace orvane {

struct RecordKind {
  char letter;
  const HeaderLayout& layout;
  SampleForm form;
  uint16_t sizeOffset;
  bool importSizeSigned;
  bool padOddCount;  // a 16-bit zero follows an odd number of samples
  RecordType type;

  // The samples the binary form holds: SIZE as the file's structure reads it.
  uint64_t ExportCount(const uint8_t* header) const { return DeclaredSamples(type, header); }
  int64_t ImportCount(const uint8_t* header) const {
    return importSizeSigned ? int64_t{LoadI32(header + sizeOffset)} : int64_t{LoadU32(header + sizeOffset)};
  }
  std::string TextFileName(const std::string& baseName, uint32_t n) const {
    return baseName + "." + letter + std::to_string(n);
  }
};

extern const RecordKind kTRecord;
extern const RecordKind kRRecord;
extern const RecordKind kIRecord;

}  // namespace orvane
