// The sample lines of record text files: 16-bit values eight to a line (T
// and I records) and reals four to a line (R records), in both layouts.
#pragma once

#include <cstdint>

#include "io/file_io.h"
#include "orvane/format.h"
#include "text/text_writer.h"

namespace orvane {

// Reads count samples from the binary file and writes their lines, without
// the end mark. False when a sample could not be read; the lines of the
// samples read before stay written.
bool ExportSamples(SampleType form, io::File& binary, uint64_t count, bool labelled, TextWriter& out);

// The samples of one value line. False when the line does not deliver
// `needed` values within their type's range. A value line must be readable
// for eight bytes past its terminating NUL.
bool ScanWordLine(const char* line, bool labelled, int needed, int16_t* values);
bool ScanRealLine(const char* line, bool labelled, int needed, float* values);

}  // namespace orvane
