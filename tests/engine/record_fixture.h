// Shared ground of the record tests: exports of built pulse files and
// imports of hand-written record text files.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "conversion_fixture.h"
#include "header_text_fixture.h"
#include "orvane/pulse_file.h"
#include "pulse_file_builder.h"
#include "text_lines.h"

namespace orvane::testing {

class RecordConversion : public Conversion {
 protected:
  using Conversion::Conversion;
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
  // Bytes of the imported file behind its header, its table and before its seal.
  size_t RecordBytes(uint32_t records) { return ReadFile(Spf()).size() - format::EntryPosition(records) - 2; }
};

class RecordTest : public RecordConversion, public ::testing::WithParamInterface<LayoutAndThreads> {
 protected:
  RecordTest() : RecordConversion(std::get<0>(GetParam()), std::get<1>(GetParam())) {}
};

}  // namespace orvane::testing
