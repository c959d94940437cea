// Shared ground of the record tests: exports of built pulse files, imports of
// hand-written record text files, and the header lines of each record kind.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "conversion_fixture.h"
#include "header_text_fixture.h"
#include "orvane/pulse_file.h"
#include "pulse_file_builder.h"
#include "run_checks.h"

namespace orvane::testing {

// Labels of the record header lines, in line order.
inline const std::vector<std::string> kTLabels = {
    "DESC: ", "CHAN: ", "RATE: ", "OFFS: ", "GAIN: ", "TYPE: ", "SIZE: ", "FHz0: ",
    "FHzN: ", "RS 0: ", "RS 1: ", "RS 2: ", "RS 3: ", "RS 4: ", "RS 5: "};
inline const std::vector<std::string> kRLabels = {
    "DESC: ", "CHAN: ", "RATE: ", "PFDF: ", "PFAS: ", "FFSZ: ", "FFDF: ", "IFSZ: ", "SAMP: ", "FCOE: ",
    "SIZE: ", "FHz0: ", "FHzN: ", "RS 0: ", "RS 1: ", "RS 2: ", "RS 3: ", "RS 4: ", "RS 5: "};
inline const std::vector<std::string> kILabels = {"DESC: ", "CHAN: ", "RATE: ", "SIZE: ", "RS 0: ", "RS 1: ",
                                                  "RS 2: ", "RS 3: ", "RS 4: ", "RS 5: ", "RS 6: ", "RS 7: "};

// Header lines with the given values, labelled or bare.
inline std::string HeaderLines(const std::vector<std::string>& labels, const std::vector<std::string>& values,
                               bool labelled) {
  std::string text;
  for (size_t k = 0; k < labels.size(); ++k) text += (labelled ? labels[k] : "") + values.at(k) + "\n";
  return text;
}

class RecordTest : public ConversionTest {
 protected:
  // Builds data.spf from b and exports it.
  TraceRecorder Export(const PulseFileBuilder& b) {
    b.WriteSealed(Spf());
    return ExportExisting();
  }
  // The text of a record file written by an export of b.
  std::string ExportedText(const PulseFileBuilder& b, const std::string& suffix) {
    TraceRecorder trace = Export(b);
    EXPECT_EQ(LastStatus(trace), "conversion complete");
    return ReadFile(Named(suffix));
  }

  // Imports record text files (suffix -> text) under a header text with
  // the given counts.
  TraceRecorder Import(uint32_t t, uint32_t r, uint32_t i, const std::map<std::string, std::string>& texts) {
    WriteFile(Pfh(), EdgeHeaderText(Labelled(), t, r, i));
    for (const auto& [suffix, text] : texts) WriteFile(Named(suffix), text);
    return ImportExisting();
  }
  TraceRecorder ImportOverOld(uint32_t t, uint32_t r, uint32_t i,
                              const std::map<std::string, std::string>& texts) {
    WriteOldPulseFile();
    return Import(t, r, i, texts);
  }
  ParsedPulseFile Imported() {
    EXPECT_EQ(ValidatePulseFile(Spf()), 1);
    auto parsed = ParsePulseFile(ReadFile(Spf()));
    EXPECT_TRUE(parsed.has_value());
    return parsed.value_or(ParsedPulseFile{});
  }
  // Bytes of the imported file behind its header and table.
  size_t RecordBytes(uint32_t records) { return ReadFile(Spf()).size() - 316 - 4 * records - 2; }
};

}  // namespace orvane::testing
