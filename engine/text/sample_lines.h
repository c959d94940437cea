// The sample lines of record text files: 16-bit values eight to a line (T
// and I records) and reals four to a line (R records), in both layouts.
#pragma once

#include <cstdint>

#include "io/file_io.h"
#include "orvane/format.h"
#include "text/text_writer.h"

namespace orvane {

// What the sample lines of R records cannot carry, counted as they are
// written.
struct RealSampleLosses {
  uint64_t rounded = 0;  // eight digits too few to give back the bits
  uint64_t nans = 0;     // NaNs with a payload
};

// Reads count samples from the binary file and writes their lines, without
// the end mark. False when a sample could not be read; the lines of the
// samples read before stay written. exact: reals with nine significant
// digits ("%16.8e"), which give back every bit; otherwise "%15.7e", and
// losses (when given) counts the reals that will not come back.
bool ExportSamples(SampleType form, io::File& binary, uint64_t count, bool labelled, TextWriter& out,
                   bool exact = false, RealSampleLosses* losses = nullptr);

// The samples of one value line. False when the line does not deliver
// `needed` values within their type's range. A value line must be readable
// for eight bytes past its terminating NUL.
bool ScanWordLine(const char* line, bool labelled, int needed, int16_t* values);
bool ScanRealLine(const char* line, bool labelled, int needed, float* values);

}  // namespace orvane
