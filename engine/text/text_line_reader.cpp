#include "text/text_line_reader.h"

#include <algorithm>
#include <cstring>

namespace orvane {

LineStatus ReadLineOfText(io::File* file, char* line) {
  if (file == nullptr) {
    line[kTextLineChars] = 0;
    return LineStatus::NoFile;
  }
  size_t count = 0;       // characters stored
  size_t textLength = 0;  // characters before any '#', stored or not
  bool comment = false;
  bool consumedAny = false;
  for (;;) {
    auto [data, size] = file->Peek();
    if (size == 0) {
      if (file->HasError()) {
        std::memset(line + count, ' ', kTextLineChars - count);
        line[kTextLineChars] = 0;
        return LineStatus::ReadError;
      }
      if (!consumedAny) {
        std::memset(line, ' ', kTextLineChars);
        line[kTextLineChars] = 0;
        return LineStatus::EndOfFile;
      }
      break;  // a last line without a line feed
    }
    consumedAny = true;
    const char* newline = static_cast<const char*>(std::memchr(data, '\n', size));
    size_t segment = newline ? static_cast<size_t>(newline - data) : size;
    if (!comment) {
      const char* hash = static_cast<const char*>(std::memchr(data, '#', segment));
      size_t text = hash ? static_cast<size_t>(hash - data) : segment;
      size_t take = std::min(text, kTextLineChars - count);
      std::memcpy(line + count, data, take);
      count += take;
      textLength += text;
      comment = hash != nullptr;
    }
    file->Consume(segment + (newline ? 1 : 0));
    if (newline) {
      // A carriage return right before the line feed is part of the line end.
      if (!comment && textLength > 0 && textLength <= kTextLineChars && line[textLength - 1] == '\r') --count;
      break;
    }
  }
  std::memset(line + count, ' ', kTextLineChars - count);
  line[kTextLineChars] = 0;
  return LineStatus::Delivered;
}

}  // namespace orvane
