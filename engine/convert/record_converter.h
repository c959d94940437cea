// The record converter: one record between its place in a pulse file and
// its text file, in either direction. The three kinds differ only in their
// description (orvane/format.h).
#pragma once

#include <cstdint>
#include <string>

#include "convert/run_report.h"
#include "io/file_io.h"
#include "orvane/format.h"

namespace orvane {

class ByteProgress;
class StagedFiles;

// What the records of one run share.
struct RecordRun {
  std::string baseName;
  bool labelled = true;
  std::string outputDir;          // where new text files go; empty: beside the input
  StagedFiles* staged = nullptr;  // complete text files wait here for the run's end; null: each goes in place
  ByteProgress* progress = nullptr;  // bytes of input done; null: not counted
  bool exact = false;                // export: reals with the digits that give back their bits
};

// Writes the text file of record n of a kind from the table entry at the
// pulse file's position, and leaves the file at the next entry.
void ExportRecord(const RecordDescription& kind, const RecordRun& run, io::File& binary, uint32_t n,
                  RunReport& report);

// Appends record n of a kind to the pulse file being built, at its
// position, from the record's text file, and diagnoses what its lines say
// otherwise than the import takes them. With a null binary file the text
// is read and diagnosed only. False when the record is not complete; the
// failure has been reported.
bool ImportRecord(const RecordDescription& kind, const RecordRun& run, io::File* binary, uint32_t n,
                  RunReport& report);

// The converter under the names of the three kinds.
inline void ExportTRecord(const RecordRun& run, io::File& binary, uint32_t n, RunReport& report) {
  ExportRecord(format::kTRecord, run, binary, n, report);
}
inline void ExportRRecord(const RecordRun& run, io::File& binary, uint32_t n, RunReport& report) {
  ExportRecord(format::kRRecord, run, binary, n, report);
}
inline void ExportIRecord(const RecordRun& run, io::File& binary, uint32_t n, RunReport& report) {
  ExportRecord(format::kIRecord, run, binary, n, report);
}
inline bool ImportTRecord(const RecordRun& run, io::File& binary, uint32_t n, RunReport& report) {
  return ImportRecord(format::kTRecord, run, &binary, n, report);
}
inline bool ImportRRecord(const RecordRun& run, io::File& binary, uint32_t n, RunReport& report) {
  return ImportRecord(format::kRRecord, run, &binary, n, report);
}
inline bool ImportIRecord(const RecordRun& run, io::File& binary, uint32_t n, RunReport& report) {
  return ImportRecord(format::kIRecord, run, &binary, n, report);
}

}  // namespace orvane
