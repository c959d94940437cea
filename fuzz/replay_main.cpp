// Replays inputs through a fuzz target without libFuzzer: its seed inputs
// (from the golden cases and built in) and every file of the folders or
// files named on the command line. A failed check aborts, so a replay that
// ends normally found nothing. With --write-seeds DIR it only writes the
// seed inputs into DIR, as the starting corpus of a fuzzing run.
//
// Usage: <target>_replay [--golden DIR] [--write-seeds DIR] [CORPUS...]
// The golden folder defaults to $ORVANE_GOLDEN_DIR, then to the one of the build.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "fuzz_support.h"
#include "fuzz_target.h"

namespace {

namespace fs = std::filesystem;
using orvane::fuzz::ReadAll;

int Replay(const std::string& input) {
  return LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(input.data()), input.size());
}

}  // namespace

int main(int argc, char** argv) {
  const char* goldenFromEnvironment = std::getenv("ORVANE_GOLDEN_DIR");
  fs::path golden = goldenFromEnvironment ? goldenFromEnvironment : ORVANE_GOLDEN_DIR;
  fs::path seedsOut;
  std::vector<fs::path> corpora;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--golden") == 0 && i + 1 < argc) {
      golden = argv[++i];
    } else if (std::strcmp(argv[i], "--write-seeds") == 0 && i + 1 < argc) {
      seedsOut = argv[++i];
    } else {
      corpora.emplace_back(argv[i]);
    }
  }
  const std::vector<std::string> seeds = orvane::fuzz::SeedInputs(golden);
  if (!seedsOut.empty()) {
    fs::create_directories(seedsOut);
    for (size_t i = 0; i < seeds.size(); ++i)
      orvane::fuzz::WriteAll(seedsOut / ("seed-" + std::to_string(i)), seeds[i]);
    std::printf("%zu seeds written to %s\n", seeds.size(), seedsOut.c_str());
    return 0;
  }
  size_t replayed = 0;
  for (const auto& seed : seeds) replayed += Replay(seed) == 0;
  for (const auto& corpus : corpora) {
    if (fs::is_directory(corpus)) {
      for (const auto& entry : fs::directory_iterator(corpus))
        if (entry.is_regular_file()) replayed += Replay(ReadAll(entry.path())) == 0;
    } else {
      replayed += Replay(ReadAll(corpus)) == 0;
    }
  }
  std::printf("%zu inputs replayed (%zu seeds)\n", replayed, seeds.size());
  return seeds.empty() ? 1 : 0;
}
