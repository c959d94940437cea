// The drivers of a conversion run: the Convert command, the export and the
// import with their parallel record runs, and the checksum seal. Each takes
// the request as it is and writes what happens to the run's report.
#pragma once

#include <optional>
#include <string>

#include "convert/record_converter.h"
#include "convert/run_report.h"
#include "convert/text_source.h"
#include "io/file_io.h"
#include "orvane/convert.h"
#include "orvane/pulse_file.h"

namespace orvane {

// The Convert command: derives the base name from the file name and runs
// the export or the import.
void OnConvert(const ConversionRequest& request, RunReport& report);

void ExportToAscii(const ConversionRequest& request, const std::string& baseName, RunReport& report);
void ImportFromAscii(const ConversionRequest& request, const std::string& baseName, RunReport& report);

// Reads the 23 lines of the header text file into header, diagnosing each
// line and any text after them. False when the run must stop; the failure
// has been reported.
bool ReadHeaderText(TextSource& pfh, PulseFileHeader& header, bool labelled, RunReport& report);
// Reads the text set of an import (BASE.pfh and its record text files) and
// diagnoses it, writing nothing; stops at the first failure, as the import.
void CheckTextSet(const ConversionRequest& request, const std::string& baseName, RunReport& report);
// For a strict import: checks the text set first, showing its diagnostics.
// False when the import must not go on: the text set has diagnostics or
// fails; that has been reported.
bool TextIsExact(const ConversionRequest& request, const std::string& baseName, RunReport& report);
// The threads an export of a pulse file of fileBytes bytes gives its
// records: requested; when that is 0, the default count, or one for a file
// so small that handing its records to other threads costs more than
// converting them.
unsigned ExportThreadsFor(unsigned requested, uint64_t fileBytes);

// Exports every record of the table on the run's threads, each with a file
// handle of its own; messages and progress keep their single-thread order.
void ExportRecordsInParallel(const RecordRun& run, const std::string& spf, const PulseFileHeader& header,
                             unsigned threads, RunReport& report);
// Imports the records on several threads when their places in the new file
// can be planned from their SIZE lines; nothing when they cannot. False
// when the run failed.
std::optional<bool> ImportRecordsInParallel(const RecordRun& run, const std::string& spf,
                                            io::ReplacementFile& output, const PulseFileHeader& header,
                                            unsigned threads, RunReport& report);

// Appends the word that brings the word sum of file (named name) to zero.
// False when it failed; the failure has been reported.
bool AppendSealWord(const std::string& name, io::File& file, RunReport& report);
// The seal of baseName + ".spf" with the success message: with a null file
// it opens the file itself and closes it again.
void SealPulseFile(const std::string& baseName, io::File* file, RunReport& report);

}  // namespace orvane
