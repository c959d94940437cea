#include "orvane/pulse_file.h"

#include "format/open_pulse_file.h"

namespace orvane {

// Each operation opens the file once and checks its structure once, as
// every other reader of the binary form does.

int ValidatePulseFile(const std::string& path) {
  return OpenPulseFile::Open(path, io::File::Mode::Read) ? 1 : 0;
}

std::optional<PulseFileHeader> ReadPulseFileHeader(const std::string& path) {
  auto file = OpenPulseFile::Open(path, io::File::Mode::Read);
  if (!file) return std::nullopt;
  return file->Header();
}

std::optional<TRecordHeader> ReadRecordHeader(const std::string& path, uint32_t n) {
  auto file = OpenPulseFile::Open(path, io::File::Mode::Read);
  if (!file) return std::nullopt;
  return file->ReadTRecord(n);
}

int WriteRecordHeader(const std::string& path, uint32_t n, const TRecordHeader& record) {
  auto file = OpenPulseFile::Open(path, io::File::Mode::Update);
  return file && file->WriteTRecord(n, record) ? 1 : 0;
}

}  // namespace orvane
