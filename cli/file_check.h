// Opens a pulse file for reading it, as Convert to ASCII would accept it: the
// magic number, a zero word sum, a whole header, an offset table inside the
// file and every record's header and samples inside the file.
#pragma once

#include <memory>
#include <string>

#include "orvane/pulse_file_view.h"

namespace orvane::cli {

// Null with the first problem in *failure when the file would not convert.
std::shared_ptr<const PulseFileView> OpenForReading(const std::string& spf, std::string* failure);

}  // namespace orvane::cli
