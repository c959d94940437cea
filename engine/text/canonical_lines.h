// Value lines read by their columns straight from the bytes of a text file.
// The lines an export writes have fixed columns: a run of them is read
// without delivering each line on its own. Only lines of exactly the
// export's shape are taken; the first line of any other shape (a comment, a
// carriage return, other blanks, a short last line, a line cut by the end of
// the bytes at hand) is left to the line reader and the scanner, so that
// every line reads as it would through them.
#pragma once

#include <cstddef>
#include <cstdint>

#include "text/sample_lines.h"

namespace orvane {

struct CanonicalRun {
  size_t lines = 0;  // whole lines taken
  size_t bytes = 0;  // text bytes they took, line feeds included
};

// Any label is taken: the import reads a labelled line whatever its index.
constexpr uint64_t kAnyLabel = UINT64_MAX;

// Takes up to maxLines whole lines of the form from [data, data + size) and
// stores their samples little-endian at samples (16 bytes a line). The
// lines must each deliver all SamplesPerLine(form) samples. With a
// firstLabel, labelled lines must also carry the labels the export gives
// them from that index on: a line with another label ends the run, so
// that the line reader reads it and the import can say so.
CanonicalRun TakeCanonicalLines(SampleType form, bool labelled, const char* data, size_t size,
                                size_t maxLines, uint8_t* samples, uint64_t firstLabel = kAnyLabel);

// Reads four "%15.7e" fields of a bare real line (the part of a line that
// follows its label): true when the 69 characters and the line feed after
// them have exactly the export's shape. Exposed for the tests.
bool TakeRealLine(const char* line, float* values);
// The same for eight "%6d" fields of a word line.
bool TakeWordLine(const char* line, int16_t* values);

}  // namespace orvane
