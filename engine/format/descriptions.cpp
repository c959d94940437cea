#include "orvane/format.h"

#include "orvane/byte_order.h"

namespace orvane {

const HeaderDescription& DescribeHeader(HeaderKind kind) {
  static constexpr const HeaderDescription* kAll[] = {&format::kFileHeader, &format::kTHeader,
                                                      &format::kRHeader, &format::kIHeader};
  return *kAll[static_cast<size_t>(kind)];
}

const RecordDescription& DescribeRecord(RecordType type) {
  static constexpr const RecordDescription* kAll[] = {&format::kTRecord, &format::kRRecord,
                                                      &format::kIRecord};
  return *kAll[static_cast<size_t>(type)];
}

uint64_t RecordDescription::DeclaredSamples(const uint8_t* bytes) const {
  if (!sizeSigned) return LoadU32(bytes + sizeOffset);
  const int32_t size = LoadI32(bytes + sizeOffset);
  return size > 0 ? static_cast<uint64_t>(size) : 0;
}

int64_t RecordDescription::ImportCount(const uint8_t* bytes) const {
  return importSizeSigned ? int64_t{LoadI32(bytes + sizeOffset)} : int64_t{LoadU32(bytes + sizeOffset)};
}

}  // namespace orvane
