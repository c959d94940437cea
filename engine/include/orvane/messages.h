// Every outcome the system reports, and the one table of their texts. Front
// ends decide exit statuses, exceptions and dialogs from the code; the text
// is what the status line shows, byte for byte.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

namespace orvane {

enum class Failure : uint8_t {
  None,                  // the success message, conversion complete
  FileNameRequired,      // "File name required"
  CantOpenForReading,    // "Can't open %s for reading"
  CantOpenForWriting,    // "Can't open %s for writing"
  InvalidMagicNumber,    // "Invalid magic number"
  InvalidRecordCount,    // "Invalid record count"
  ChecksumError,         // "checksum error:  %X"
  SeekError,             // "seek error:  %s"
  BinaryReadError,       // "Binary read error"
  BinaryReadErrorOn,     // "Binary read error on %s"
  BinarySeekError,       // "Binary seek error"
  BinarySeekErrorOn,     // "Binary seek error %s"
  BinaryWriteError,      // "Binary write error"
  BinaryWriteErrorOn,    // "Binary write error %s"
  SealReadError,         // "binary read error:  %s"
  SealSeekError,         // "binary seek error:  %s"
  SealWriteError,        // "binary write error:  %s"
  AsciiReadError,        // "ASCII read error on %s"
  AsciiReadErrorAtLine,  // "ASCII read error on %s line %u"
  AsciiWriteError,       // "ASCII write error on %s"
  FileReadError,         // "File read error on %s"
  ReadError,             // "Read error on %s"
  FileTooLarge,          // "Pulse file exceeds 4 GiB: %s"
  InvalidPowerValue,     // "Invalid pulse power value: %s"
  NotAValidPulseFile,    // "Not a valid pulse file: %s"
  RecordOutsideFile,     // "Record %s lies outside the file"
  SamplesOutsideFile,    // "Samples of record %s end past the end of the file"
  TooManySamples,        // "Record %s holds more samples than its SIZE can count"
  WrongHeaderSize,       // "Header of %s is not %u bytes"
  TextNotExact,          // "Text of %s does not match its fields; nothing written"
  Cancelled,             // "conversion cancelled"
  Incomplete,            // "conversion did not complete"
};

inline constexpr int kFailureCount = static_cast<int>(Failure::Incomplete) + 1;

// The printf format of a code's message.
const char* MessageFormat(Failure code);
// True when the first value of a code's message is the name of a file.
bool MessageNamesFile(Failure code);
// The code's name for programs that read the output of a front end
// ("checksum_error", "record_outside_file"): lower case, words joined by
// "_". A name once given never changes; scripts match on it.
const char* FailureName(Failure code);

// The message of a code with its values filled in. The values must match
// the format's conversions (%s takes a const char*, %u an unsigned, %X an
// unsigned).
std::string FormatMessage(Failure code, ...);

// What a run ended with: its first failure, or None with "conversion
// complete". message is the exact text the status line shows for it.
struct Outcome {
  Outcome() = default;
  Outcome(Failure failure, std::string text, std::string why = {})
      : code(failure), message(std::move(text)), reason(std::move(why)) {}

  Failure code = Failure::None;
  std::string message;
  // Why the operating system or the file layer refused, when it did ("No
  // space left on device"); not part of the message, which stays as the
  // status line shows it. Front ends may add it to what they print.
  std::string reason;
  // The file the failure is about: the one its message names, or the
  // run's pulse file; empty on success.
  std::string path;
  // The operating system's error number behind reason (ENOSPC, EACCES...),
  // 0 when the system gave none (a refusal of the file layer's own, or a
  // failure of the file's contents).
  int error = 0;
  bool ok() const { return code == Failure::None; }
};

}  // namespace orvane
