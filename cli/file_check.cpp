#include "file_check.h"

#include <cstdio>

namespace orvane::cli {

namespace {

std::string FaultMessage(const PulseFileCheck& check, const std::string& spf) {
  switch (check.fault) {
    case PulseFileFault::None: return "";
    case PulseFileFault::CannotOpen: return "Can't open " + spf + " for reading";
    case PulseFileFault::BadMagic: return "Invalid magic number";
    case PulseFileFault::ReadError: return "binary read error:  " + spf;
    case PulseFileFault::ShortHeader: return "Binary read error on " + spf;
    case PulseFileFault::BadChecksum: {
      char text[32];
      std::snprintf(text, sizeof text, "checksum error:  %X", static_cast<unsigned>(check.sum));
      return text;
    }
  }
  return "";
}

}  // namespace

std::unique_ptr<OpenPulseFile> OpenForReading(const std::string& spf, std::string* failure) {
  PulseFileCheck check;
  auto file = OpenPulseFile::Open(spf, io::File::Mode::Read, &check);
  if (!file) {
    *failure = FaultMessage(check, spf);
    return nullptr;
  }
  if (RecordOffsetTable::EndPosition(file->Header()) > file->Length()) {
    *failure = "Invalid record count";
    return nullptr;
  }
  return file;
}

}  // namespace orvane::cli
