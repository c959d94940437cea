// What the text of an export cannot carry: each value or text that will not
// come back the same from an import of the files written, named per record
// text file. The engine finds them while it writes; every front end shows
// the same list (orvane-cli as warnings on standard error, Python as
// orvane.TextWarning). A file that round-trips gives none.
#pragma once

#include <cstdint>
#include <string>

namespace orvane {

enum class ExportLoss : uint8_t {
  RoundedSamples,  // R samples whose eight digits read back to another float
  NanSamples,      // R samples that are NaNs with a payload: "nan" loses it
  RoundedReal,     // a header real that six decimals do not give back
  NanReal,         // a header real that is a NaN with a payload
  HashInText,      // a "#" in a text field: the import drops it and the rest
  LineEndInText,   // a line feed or carriage return in a text field: written as a blank
  CutText,         // a text field of 80 characters: the import keeps 79
};

struct ExportWarning {
  std::string file;   // the text file, named as the run names it (data.R1, data.pfh)
  std::string field;  // the header field's label ("GAIN", "DESC"); empty for samples
  ExportLoss loss = ExportLoss::RoundedSamples;
  uint64_t count = 0;  // samples concerned (sample losses only)
  uint64_t total = 0;  // samples of the record (sample losses only)
  // The warning as shown, for example "data.R1: 566 of 100000 samples need
  // nine digits and will come back rounded; --exact keeps them".
  std::string text;
};

}  // namespace orvane
