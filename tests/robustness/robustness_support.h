// Generated pulse files large enough to be interrupted, for the robustness
// tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "io/file_io.h"
#include "test_support.h"

namespace orvane::testing {

// A valid pulse file of tCount T records of tSamples samples each and one R
// and one I record of a few samples. Deterministic for a given seed; every
// T record starts with GAIN 0.
std::string GeneratedPulseFile(uint32_t tCount, uint32_t tSamples, uint32_t seed);
// Position of the GAIN field of T record n in a pulse file.
uint64_t GainPosition(const std::string& pulseFile, uint32_t n);

}  // namespace orvane::testing
