// Opens a pulse file for reading it, as Convert to ASCII would accept it: a
// whole header, the magic number, an offset table inside the file and a zero
// word sum. The messages are those of the export.
#pragma once

#include <memory>
#include <string>

#include "pulse_power_file.h"

namespace orvane::cli {

// Null with the reason in *failure when the file would not convert.
std::unique_ptr<OpenPulseFile> OpenForReading(const std::string& spf, std::string* failure);

}  // namespace orvane::cli
