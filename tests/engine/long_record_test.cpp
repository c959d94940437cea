// Records longer than a million samples: their labelled sample lines carry
// seven-digit indices, and they come back all the same.
#include <gtest/gtest.h>

#include "pulse_file_builder.h"

namespace orvane::testing {
namespace {

TEST(LongRecord, AnRRecordOfMoreThanAMillionSamplesComesBackInTheLabelledLayout) {
  ScratchDir dir;
  std::vector<float> samples;
  for (int k = 0; k < 1000003; ++k) samples.push_back(static_cast<float>(k % 977) * 0.25f);
  PulseFileBuilder file;
  file.records = {BuiltRecord::R(samples)};
  file.records[0].header.Text("DESC", "long");
  file.WriteSealed(dir / "data.spf");
  const std::string original = ReadFile(dir / "data.spf");

  RecordedConverter exported;
  exported.Convert(dir / "data", true, true);
  ASSERT_EQ(exported.trace.lines.back(), "status: conversion complete");
  EXPECT_NE(ReadFile(dir / "data.R0").find("\n1000000:  "), std::string::npos);

  std::filesystem::remove(dir / "data.spf");
  RecordedConverter imported;
  imported.Convert(dir / "data", false, true);
  ASSERT_EQ(imported.trace.lines.back(), "status: conversion complete");
  // The samples are exact in eight digits; only the description is padded.
  const std::string rebuilt = ReadFile(dir / "data.spf");
  ASSERT_EQ(rebuilt.size(), original.size());
  const size_t samplesAt = 316 + 4 + 152;
  EXPECT_EQ(rebuilt.substr(samplesAt, rebuilt.size() - samplesAt - 2),
            original.substr(samplesAt, original.size() - samplesAt - 2));
}

}  // namespace
}  // namespace orvane::testing
