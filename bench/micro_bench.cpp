// Micro-benchmarks of the engine's hot routines: the renderings and the
// scanner that every sample passes through, the checksum word sum, and the
// fixed cost of a record run on threads.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "format/checksum.h"
#include "orvane/ordered_runner.h"
#include "orvane/pulse_file.h"
#include "text/canonical_lines.h"
#include "text/exact_reals.h"
#include "text/text_format.h"
#include "text/text_scan.h"
#include "text/word_fields.h"

namespace {

constexpr size_t kValues = 4096;

// Any finite float, bits drawn uniformly, as random R record samples are.
std::vector<float> RandomFloats() {
  std::mt19937 random(7);
  std::vector<float> values;
  while (values.size() < kValues) {
    uint32_t bits = random();
    if (((bits >> 23) & 0xFF) == 0xFF) continue;
    float v;
    std::memcpy(&v, &bits, sizeof v);
    values.push_back(v);
  }
  return values;
}

// The same values as the text lines an export writes, one per line.
std::vector<std::string> RenderedFloats() {
  std::vector<std::string> lines;
  for (float v : RandomFloats()) lines.push_back(orvane::text::FormatExp15_7(v) + "   ");
  return lines;
}

void BM_AppendExp15_7(benchmark::State& state) {
  const std::vector<float> values = RandomFloats();
  char out[orvane::text::kMaxFieldChars];
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(orvane::text::AppendExp15_7(out, values[i++ % kValues]));
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_AppendExp15_7);

// The same text as the default export writes it, counting the values it
// loses (the warnings of an export).
void BM_AppendExp15_7Counted(benchmark::State& state) {
  const std::vector<float> values = RandomFloats();
  char out[orvane::text::kMaxFieldChars];
  uint64_t losses = 0;
  size_t i = 0;
  for (auto _ : state) {
    const orvane::text::CountedText field = orvane::text::AppendExp15_7Counted(out, values[i++ % kValues]);
    losses += field.losses;
    benchmark::DoNotOptimize(field.end);
    benchmark::ClobberMemory();
  }
  benchmark::DoNotOptimize(losses);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_AppendExp15_7Counted);

// Nine digits: the R samples of the exact layout.
void BM_AppendExp16_8(benchmark::State& state) {
  const std::vector<float> values = RandomFloats();
  char out[orvane::text::kMaxFieldChars];
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(orvane::text::AppendExp16_8(out, values[i++ % kValues]));
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_AppendExp16_8);

void BM_AppendFixed6(benchmark::State& state) {
  std::vector<float> values;
  std::mt19937 random(11);
  std::uniform_real_distribution<float> moderate(-1e5f, 1e5f);
  for (size_t k = 0; k < kValues; ++k) values.push_back(moderate(random));
  char out[orvane::text::kMaxFieldChars];
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(orvane::text::AppendFixed6(out, values[i++ % kValues]));
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_AppendFixed6);

// The index in front of a labelled line: counts up.
void BM_AppendRightAligned6(benchmark::State& state) {
  char out[orvane::text::kMaxFieldChars];
  int64_t index = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(orvane::text::AppendRightAligned(out, index, 6));
    benchmark::ClobberMemory();
    index = index == 999992 ? 0 : index + 8;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_AppendRightAligned6);

// Random samples, as T and I records hold them: the digit count varies
// unpredictably from one value to the next.
void BM_AppendWord6(benchmark::State& state) {
  std::mt19937 random(5);
  std::vector<int16_t> values(kValues);
  for (int16_t& v : values) v = static_cast<int16_t>(random());
  char out[orvane::text::kMaxFieldChars];
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(orvane::text::AppendWord6(out, values[i++ % kValues]));
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_AppendWord6);

// Formatting a 16-bit sample is a copy from the table of rendered fields.
void BM_WordFieldCopy(benchmark::State& state) {
  std::mt19937 random(5);
  std::vector<int16_t> values(kValues);
  for (int16_t& v : values) v = static_cast<int16_t>(random());
  const char* fields = orvane::text::WordFields();
  std::vector<char> out(kValues * 9 + 16);
  for (auto _ : state) {
    char* p = out.data();
    for (int16_t v : values) {
      const uint64_t w = orvane::text::WordFieldWord(fields, v);
      std::memcpy(p, &w, sizeof w);
      p[8] = ' ';
      p += 9;
    }
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kValues);
}
BENCHMARK(BM_WordFieldCopy);

// Value lines as the export writes them, labelled or bare, one after the other.
std::string WordLines(bool labelled) {
  std::mt19937 random(9);
  std::string text;
  char line[128];
  for (size_t i = 0; i < kValues; i += 8) {
    int at = labelled ? std::snprintf(line, sizeof line, "%6zu:  ", i + 1000000 * (i % 2)) : 0;
    for (int k = 0; k < 8; ++k)
      at += std::snprintf(line + at, sizeof line - static_cast<size_t>(at), k == 7 ? "%6d\n" : "%6d   ",
                          static_cast<int16_t>(random()));
    text.append(line, static_cast<size_t>(at));
  }
  return text + std::string(16, ' ');
}

std::string RealLines(bool labelled) {
  const std::vector<float> values = RandomFloats();
  std::string text;
  for (size_t i = 0; i < kValues; i += 4) {
    char label[32];
    if (labelled) text.append(label, static_cast<size_t>(std::snprintf(label, sizeof label, "%6zu:  ", i)));
    for (size_t k = 0; k < 4; ++k)
      text += orvane::text::FormatExp15_7(values[i + k]) + (k == 3 ? "\n" : "   ");
  }
  return text + std::string(16, ' ');
}

// Reading value lines by their columns, per sample.
void ReadLines(benchmark::State& state, orvane::SampleType form, bool labelled) {
  const std::string text = form == orvane::SampleType::Int16 ? WordLines(labelled) : RealLines(labelled);
  const size_t lines = kValues / static_cast<size_t>(orvane::SamplesPerLine(form));
  std::vector<uint8_t> samples(lines * 16);
  for (auto _ : state) {
    auto run = orvane::TakeCanonicalLines(form, labelled, text.data(), text.size(), lines, samples.data());
    if (run.lines != lines) state.SkipWithError("a line was not taken");
    benchmark::DoNotOptimize(samples.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kValues);
}
void BM_ReadWordLinesBare(benchmark::State& state) { ReadLines(state, orvane::SampleType::Int16, false); }
void BM_ReadWordLinesLabelled(benchmark::State& state) { ReadLines(state, orvane::SampleType::Int16, true); }
void BM_ReadRealLinesBare(benchmark::State& state) { ReadLines(state, orvane::SampleType::Real32, false); }
void BM_ReadRealLinesLabelled(benchmark::State& state) { ReadLines(state, orvane::SampleType::Real32, true); }
BENCHMARK(BM_ReadWordLinesBare);
BENCHMARK(BM_ReadWordLinesLabelled);
BENCHMARK(BM_ReadRealLinesBare);
BENCHMARK(BM_ReadRealLinesLabelled);

void BM_ScannerReal(benchmark::State& state) {
  const std::vector<std::string> lines = RenderedFloats();
  size_t i = 0;
  float value;
  for (auto _ : state) {
    orvane::text::Scanner in(lines[i++ % kValues].c_str());
    benchmark::DoNotOptimize(in.Real(&value));
    benchmark::DoNotOptimize(value);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ScannerReal);

// One labelled value line of a T record: the index, a colon, eight samples.
void BM_ScannerIntegerLine(benchmark::State& state) {
  const char* line = "  1024:  -32768    12345        7    -4096      310   -17777       42    32767";
  int64_t value;
  for (auto _ : state) {
    orvane::text::Scanner in(line);
    benchmark::DoNotOptimize(in.Integer(&value) && in.Match(":"));
    for (int k = 0; k < 8; ++k) benchmark::DoNotOptimize(in.Integer(&value));
  }
  state.SetItemsProcessed(state.iterations() * 8);
}
BENCHMARK(BM_ScannerIntegerLine);

void BM_WordSum(benchmark::State& state) {
  std::vector<uint8_t> block(static_cast<size_t>(state.range(0)));
  std::mt19937 random(3);
  for (uint8_t& b : block) b = static_cast<uint8_t>(random());
  for (auto _ : state) benchmark::DoNotOptimize(orvane::WordSum(block.data(), block.size()));
  state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_WordSum)->Arg(4096)->Arg(1 << 20);

// A small file's three records on up to N threads of the worker pool: what
// a conversion pays for its threads when they are kept from run to run.
void BM_SmallRecordRun(benchmark::State& state) {
  const auto workers = static_cast<unsigned>(state.range(0));
  for (auto _ : state) {
    orvane::OrderedRunner<int> runner(workers, 16);
    int sum = 0;
    runner.Run(
        3, [](uint64_t n) { return static_cast<int>(n); },
        [&](uint64_t, int& n) {
          sum += n;
          return true;
        });
    benchmark::DoNotOptimize(sum);
  }
}
BENCHMARK(BM_SmallRecordRun)->Arg(1)->Arg(4);

// The same number of threads started and joined for every run, as record
// runs did before they took their threads from the pool.
void BM_ThreadsStartedPerRun(benchmark::State& state) {
  const auto workers = static_cast<unsigned>(std::min<int64_t>(state.range(0), 3));
  for (auto _ : state) {
    std::vector<std::thread> threads;
    for (unsigned i = 0; i < workers; ++i) threads.emplace_back([] {});
    for (auto& thread : threads) thread.join();
  }
}
BENCHMARK(BM_ThreadsStartedPerRun)->Arg(1)->Arg(4);

}  // namespace
