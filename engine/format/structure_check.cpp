#include "format/structure_check.h"

#include <algorithm>

namespace orvane {

Failure CheckOffsetTable(const PulseFileHeader& header, uint64_t length) {
  return header.TableEnd() > length ? Failure::InvalidRecordCount : Failure::None;
}

namespace {

// Places record entry of the table; false when its entry cannot be read.
bool PlaceRecord(RecordExtent& record, uint64_t length, StructureSource& source) {
  uint8_t entry[format::kOffsetEntrySize];
  if (!source.ReadAt(format::EntryPosition(record.entry), entry, sizeof entry)) return false;
  record.offset = LoadU32(entry);
  const RecordDescription& info = DescribeRecord(record.type);
  uint8_t header[format::kLargestRecordHeader];
  if (uint64_t{record.offset} + info.header.size > length ||
      !source.ReadAt(record.offset, header, info.header.size))
    return true;
  record.headerInside = true;
  record.declaredSamples = info.DeclaredSamples(header);
  const uint64_t room = (length - record.offset - info.header.size) / info.sampleBytes;
  record.availableSamples = std::min(record.declaredSamples, room);
  return true;
}

}  // namespace

StructureReport CheckStructure(std::span<const uint8_t> front, uint64_t length, uint16_t sum,
                               StructureSource& source, bool stopAtFirst) {
  StructureReport report;
  report.sum = sum;
  // True when the check is to stop here.
  auto problem = [&](Failure code, int64_t record) {
    report.problems.emplace_back(code, record);
    return stopAtFirst;
  };
  if ((front.size() < sizeof format::kMagic || LoadU32(front.data()) != format::kMagic) &&
      problem(Failure::InvalidMagicNumber, -1))
    return report;
  // A piece too short for its header is that, whatever its sum: as the
  // export finds it when it reads the header.
  if (front.size() < format::kFileHeader.size) {
    problem(Failure::BinaryReadErrorOn, -1);
    return report;
  }
  if (sum != 0 && problem(Failure::ChecksumError, -1)) return report;
  std::copy_n(front.data(), format::kFileHeader.size, report.header.bytes.begin());
  report.hasHeader = true;
  const PulseFileHeader& header = report.header;
  // Entries the file holds: all of them, or as many as fit when salvaging.
  uint64_t entries = header.EntryCount();
  if (CheckOffsetTable(header, length) != Failure::None) {
    if (problem(Failure::InvalidRecordCount, -1)) return report;
    entries = (length - format::kTableStart) / format::kOffsetEntrySize;
  }
  const uint64_t firsts[] = {0, header.TCount(), uint64_t{header.TCount()} + header.RCount(),
                             header.EntryCount()};
  // Every entry checked lies inside the file, so this stays below a quarter
  // of its length.
  report.records.reserve(static_cast<size_t>(std::min(entries, header.EntryCount())));
  for (size_t k = 0; k < 3; ++k) {
    report.firstOf[k] = report.records.size();
    for (uint64_t entry = firsts[k]; entry < firsts[k + 1] && entry < entries; ++entry) {
      RecordExtent record{static_cast<RecordType>(k), static_cast<uint32_t>(entry - firsts[k]), entry, 0};
      if (!PlaceRecord(record, length, source)) {
        problem(Failure::BinaryReadErrorOn, -1);
        return report;
      }
      const auto index = static_cast<int64_t>(report.records.size());
      report.records.push_back(record);
      if (!record.headerInside) {
        if (problem(Failure::RecordOutsideFile, index)) return report;
      } else if (record.availableSamples < record.declaredSamples) {
        if (problem(Failure::SamplesOutsideFile, index)) return report;
      }
    }
  }
  report.firstOf[3] = report.records.size();
  return report;
}

}  // namespace orvane
