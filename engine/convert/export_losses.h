// The warnings of an export: what its text files cannot carry, per text
// file, worked out from the header bytes and from the counts the sample
// lines gathered while they were written.
#pragma once

#include <cstdint>
#include <string>

#include "convert/run_report.h"
#include "orvane/format.h"
#include "text/sample_lines.h"

namespace orvane {

// Warns of every field of a header that its text line will not give back:
// reals (unless exact), NaN payloads (unless exact), and, in any layout, a
// "#" or a line end in a text field and a text of 80 characters that the
// import cuts.
void WarnOfHeaderLosses(const HeaderDescription& header, const uint8_t* bytes, bool exact,
                        const std::string& file, RunReport& report);

// Warns of the samples of a record of total samples that will not come back.
void WarnOfSampleLosses(const RealSampleLosses& losses, uint64_t total, const std::string& file,
                        RunReport& report);

}  // namespace orvane
