// The JSON documents of info, check and power (--json), one per file and
// one line each, so that a batch prints JSON Lines. Every header field is
// written under its label in lower case, as the Python module names it,
// from the format's one description; the schema is docs/json.md.
#pragma once

#include <string>
#include <vector>

#include "json_numbers.h"
#include "orvane/pulse_file_view.h"
#include "orvane/pulse_power.h"

namespace orvane::cli {

// The fields of a header: integers as numbers, reals as the shortest
// number that reads back to the same 32 bits, text up to its NUL with one
// character per byte, the RS words as one array "rs".
JsonValue HeaderJson(HeaderKind kind, const uint8_t* header);

// A problem of a file's structure: its stable code, the message, the
// record it lies in (or null) and its byte offset (or null).
JsonValue ProblemJson(const PulseFileView& view, const StructureProblem& problem);
JsonValue ProblemJson(const Outcome& what, const std::string& record, const std::optional<uint64_t>& offset);
// A failure to read the file at all, in the same shape, with the system's reason.
JsonValue FailureJson(const Outcome& outcome);

// info: the header, the length, the counts and every record.
JsonValue InfoJson(const std::string& file, const PulseFileView& view);
// check: valid, and every problem the structure check finds.
JsonValue CheckJson(const std::string& file, const std::vector<JsonValue>& problems);
// power: each T record's pulse power, with the warnings of those shown in
// place of a GAIN that has none.
JsonValue PowerJson(const std::string& file, const PowerReading& reading);

// One document on one line.
inline std::string JsonLine(const JsonValue& document) {
  return document.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

}  // namespace orvane::cli
