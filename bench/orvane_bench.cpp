// Runs one engine operation for the benchmarks, with the same arguments as
// naive_convert, so that run_bench.sh can time both alike. Status messages
// and progress steps are dropped; the exit status tells whether the
// operation succeeded.
//
// Usage: orvane_bench export|import BASE labelled|bare
//        orvane_bench validate FILE.spf
//        orvane_bench get BASE
//        orvane_bench set BASE "VALUES"
// Exit status: 0 success, 1 failure, 2 usage, 3 operation not in this engine.
#include <cstdio>
#include <string>

#include "conversion_reporter.h"
#include "pulse_converter.h"
#include "pulse_file.h"

namespace {

class SilentReporter : public orvane::ConversionReporter {
 public:
  void ShowStatus(const std::string&) override {}
  void SetProgressPosition(int) override {}
};

constexpr char kComplete[] = "conversion complete";

int Finish(const orvane::CPulseFileConverter& converter) {
  if (converter.m_strStatus == kComplete) return 0;
  std::fprintf(stderr, "orvane_bench: %s\n", converter.m_strStatus.c_str());
  return 1;
}

int Convert(const std::string& base, bool toAscii, bool labelled) {
  SilentReporter reporter;
  orvane::CPulseFileConverter converter(reporter);
  converter.m_strFileName = base + ".spf";
  converter.m_bToAscii = toAscii ? 1 : 0;
  converter.m_bHeaders = labelled ? 1 : 0;
  converter.OnConvert();
  return Finish(converter);
}

#ifdef ORVANE_BENCH_HAVE_PULSE_POWER
int PulsePower(const std::string& base, const std::string* setText) {
  SilentReporter reporter;
  orvane::CPulseFileConverter converter(reporter);
  converter.m_strFileName = base + ".spf";
  if (setText) {
    converter.SetPulsePower(*setText);
    return Finish(converter);
  }
  std::optional<std::string> text = converter.GetPulsePower();
  if (!text) return Finish(converter);
  std::printf("%s\n", text->c_str());
  return 0;
}
#else
int PulsePower(const std::string&, const std::string*) {
  std::fprintf(stderr, "orvane_bench: this engine has no pulse power yet\n");
  return 3;
}
#endif

int Usage(const char* program) {
  std::fprintf(stderr,
               "usage: %s export|import BASE labelled|bare\n"
               "       %s validate FILE.spf\n"
               "       %s get BASE\n"
               "       %s set BASE \"VALUES\"\n",
               program, program, program, program);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return Usage(argv[0]);
  const std::string command = argv[1];
  const std::string target = argv[2];
  if ((command == "export" || command == "import") && argc == 4) {
    const std::string layout = argv[3];
    if (layout != "labelled" && layout != "bare") return Usage(argv[0]);
    return Convert(target, command == "export", layout == "labelled");
  }
  if (command == "validate" && argc == 3) return orvane::ValidatePulseFile(target) == 1 ? 0 : 1;
  if (command == "get" && argc == 3) return PulsePower(target, nullptr);
  if (command == "set" && argc == 4) {
    const std::string text = argv[3];
    return PulsePower(target, &text);
  }
  return Usage(argv[0]);
}
