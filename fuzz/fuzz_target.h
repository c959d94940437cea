// What every fuzz target provides: the libFuzzer entry point and the seed
// inputs it starts from. The same source builds as a libFuzzer program and
// as a replay program (replay_main.cpp) that any compiler can build.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace orvane::fuzz {

// Inputs made from the golden cases in golden, and built-in inputs that
// reach corners the golden cases do not.
std::vector<std::string> SeedInputs(const std::filesystem::path& golden);

}  // namespace orvane::fuzz
