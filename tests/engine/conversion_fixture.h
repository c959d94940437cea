// The ground every conversion test stands on: the two text layouts and the
// thread counts a run is tested with, a scratch folder holding data.spf and
// its text files, runs of the Convert command, and the check of a failed
// import.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "../test_support.h"

namespace orvane::testing {

// A test's layout (labelled lines or bare values) and the number of threads
// that convert the records of a run.
using LayoutAndThreads = std::tuple<bool, unsigned>;

inline auto BothLayoutsAnyThreads() {
  return ::testing::Combine(::testing::Bool(), ::testing::Values(1u, 4u));
}
inline auto LabelledAnyThreads() {
  return ::testing::Combine(::testing::Values(true), ::testing::Values(1u, 4u));
}

inline std::string LayoutName(const ::testing::TestParamInfo<LayoutAndThreads>& param) {
  const auto [labelled, threads] = param.param;
  return std::string(labelled ? "Labelled" : "Bare") +
         (threads == 1 ? "_OneThread" : "_Threads" + std::to_string(threads));
}

// The ground of a conversion test, in a given layout on a given number of threads.
class Conversion : public ::testing::Test {
 protected:
  Conversion(bool labelled, unsigned threads) : labelled_(labelled), threads_(threads) {}
  bool Labelled() const { return labelled_; }
  unsigned Threads() const { return threads_; }
  // The label of a labelled line; nothing in the bare layout.
  std::string Label(const std::string& label) const { return Labelled() ? label : ""; }

  std::string Base() const { return scratch / "data"; }
  std::string Named(const std::string& suffix) const { return Base() + suffix; }
  std::string Spf() const { return Named(".spf"); }
  std::string Pfh() const { return Named(".pfh"); }

  // The Convert command on data.spf or data.pfh.
  TraceRecorder Run(bool toAscii) {
    RecordedConverter run;
    run.threads = Threads();
    run.keepPartial = keepPartial;
    run.Convert(toAscii ? Spf() : Pfh(), toAscii, Labelled());
    return run.trace;
  }
  TraceRecorder ExportExisting() { return Run(true); }
  TraceRecorder ImportExisting() { return Run(false); }

  // A pulse file that every failed import must leave as it was.
  void WriteOldPulseFile() { WriteFile(Spf(), kOldPulseFile); }
  // A failed import keeps the old pulse file byte for byte, removes its
  // temporary file, makes no last progress reset, and ends on its first
  // failure message, which is message.
  void ExpectFailedImport(const TraceRecorder& trace, const std::string& message) const {
    ASSERT_FALSE(Statuses(trace).empty());
    EXPECT_EQ(FirstStatus(trace), message);
    EXPECT_EQ(LastStatus(trace), message);
    EXPECT_NE(ProgressPositions(trace).back(), 0);
    EXPECT_EQ(ReadFile(Spf()), kOldPulseFile);
    EXPECT_TRUE(TemporaryFilesIn(scratch.path()).empty());
  }

  // Exports put each text file in place as soon as it is complete, so that
  // what a failed record got can be looked at.
  bool keepPartial = false;
  const std::string kOldPulseFile = "old pulse file";
  ScratchDir scratch;

 private:
  bool labelled_;
  unsigned threads_;
};

// A conversion test run in both layouts or the labelled one, on one thread and on four.
class ConversionTest : public Conversion, public ::testing::WithParamInterface<LayoutAndThreads> {
 protected:
  ConversionTest() : Conversion(std::get<0>(GetParam()), std::get<1>(GetParam())) {}
};

}  // namespace orvane::testing
