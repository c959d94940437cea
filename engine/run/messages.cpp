// The one table of the system's message texts, in the order of Failure.
#include "orvane/messages.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <iterator>

namespace orvane {

namespace {

constexpr const char* kFormats[] = {
    "conversion complete",
    "File name required",
    "Can't open %s for reading",
    "Can't open %s for writing",
    "Invalid magic number",
    "Invalid record count",
    "checksum error:  %X",
    "seek error:  %s",
    "Binary read error",
    "Binary read error on %s",
    "Binary seek error",
    "Binary seek error %s",
    "Binary write error",
    "Binary write error %s",
    "binary read error:  %s",
    "binary seek error:  %s",
    "binary write error:  %s",
    "ASCII read error on %s",
    "ASCII read error on %s line %u",
    "ASCII write error on %s",
    "File read error on %s",
    "Read error on %s",
    "Pulse file exceeds 4 GiB: %s",
    "Invalid pulse power value: %s",
    "Not a valid pulse file: %s",
    "Record %s lies outside the file",
    "Samples of record %s end past the end of the file",
    "Record %s holds more samples than its SIZE can count",
    "Header of %s is not %u bytes",
    "Text of %s does not match its fields; nothing written",
    "conversion cancelled",
    "conversion did not complete",
};

// One entry per code, in the order of Failure: a code added without its
// entries fails to compile.
static_assert(std::size(kFormats) == kFailureCount);

constexpr const char* kNames[] = {
    "none",
    "file_name_required",
    "cant_open_for_reading",
    "cant_open_for_writing",
    "invalid_magic_number",
    "invalid_record_count",
    "checksum_error",
    "seek_error",
    "binary_read_error",
    "binary_read_error_on",
    "binary_seek_error",
    "binary_seek_error_on",
    "binary_write_error",
    "binary_write_error_on",
    "seal_read_error",
    "seal_seek_error",
    "seal_write_error",
    "ascii_read_error",
    "ascii_read_error_at_line",
    "ascii_write_error",
    "file_read_error",
    "read_error",
    "file_too_large",
    "invalid_power_value",
    "not_a_valid_pulse_file",
    "record_outside_file",
    "samples_outside_file",
    "too_many_samples",
    "wrong_header_size",
    "text_not_exact",
    "cancelled",
    "incomplete",
};
static_assert(std::size(kNames) == kFailureCount);

}  // namespace

const char* FailureName(Failure code) {
  const auto index = static_cast<size_t>(code);
  return index < kFailureCount ? kNames[index] : kNames[static_cast<size_t>(Failure::Incomplete)];
}

const char* MessageFormat(Failure code) {
  const auto index = static_cast<size_t>(code);
  return index < kFailureCount ? kFormats[index] : kFormats[static_cast<size_t>(Failure::Incomplete)];
}

bool MessageNamesFile(Failure code) {
  switch (code) {
    case Failure::InvalidPowerValue:   // the value
    case Failure::RecordOutsideFile:   // the record
    case Failure::SamplesOutsideFile:  // the record
    case Failure::TooManySamples:      // the record
    case Failure::WrongHeaderSize:     // the header
    case Failure::ChecksumError:       // the sum
      return false;
    default: return std::strstr(MessageFormat(code), "%s") != nullptr;
  }
}

std::string FormatMessageV(Failure code, va_list args) {
  va_list copy;
  va_copy(copy, args);
  const char* format = MessageFormat(code);
  const int length = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  std::string text(length > 0 ? static_cast<size_t>(length) : 0, '\0');
  std::vsnprintf(text.data(), text.size() + 1, format, args);
  return text;
}

std::string FormatMessage(Failure code, ...) {
  va_list args;
  va_start(args, code);
  std::string text = FormatMessageV(code, args);
  va_end(args);
  return text;
}

}  // namespace orvane
