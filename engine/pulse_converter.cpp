#include "pulse_converter.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

#include "base_name.h"
#include "byte_order.h"
#include "pulse_file.h"
#include "text_source.h"

namespace orvane {

namespace {
constexpr char kComplete[] = "conversion complete";
}

CPulseFileConverter::CPulseFileConverter(ConversionReporter& reporter) : m_reporter(reporter) {}

void CPulseFileConverter::OnConvert() {
  if (m_strFileName.empty()) {
    ShowStatusText("File name required");
    return;
  }
  std::string baseName = DeriveBaseName(m_strFileName);
  m_nProgress = 1;
  m_reporter.SetProgressPosition(m_nProgress);
  if (m_bToAscii == 1) {
    ExportToAscii(baseName);
  } else {
    ImportFromAscii(baseName);
  }
}

void CPulseFileConverter::ReportStatus(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  int length = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  std::string text(length > 0 ? static_cast<size_t>(length) : 0, '\0');
  std::vsnprintf(text.data(), text.size() + 1, format, args);
  va_end(args);
  if (text != kComplete && !m_bRunFailed) {
    m_bRunFailed = true;
    m_strFirstFailure = text;
  }
  ShowStatusText(text);
}

void CPulseFileConverter::ShowStatusText(const std::string& text) {
  m_strStatus = text;
  m_reporter.ShowStatus(m_strStatus);
}

void CPulseFileConverter::StepProgress(int k) {
  m_nProgress += k;
  m_reporter.SetProgressPosition(m_nProgress);
}

void CPulseFileConverter::ResetProgress() {
  m_nProgress = 0;
  m_reporter.SetProgressPosition(0);
}

void CPulseFileConverter::BeginRun() {
  m_bRunFailed = false;
  m_strFirstFailure.clear();
}

void CPulseFileConverter::ReportCompletion() {
  if (m_bRunFailed) {
    ShowStatusText(m_strFirstFailure);
    return;
  }
  ResetProgress();
  ReportStatus(kComplete);
}

LineStatus CPulseFileConverter::ReadTextLine(const std::string& fileName, io::File* file, char* line) {
  if (file == nullptr) {
    ReportStatus("Read error on %s", fileName.c_str());
    line[kTextLineChars] = 0;
    return LineStatus::ReadError;
  }
  size_t count = 0;        // characters stored
  size_t textLength = 0;   // characters before any '#', stored or not
  bool comment = false;
  bool consumedAny = false;
  for (;;) {
    auto [data, size] = file->Peek();
    if (size == 0) {
      if (file->HasError()) {
        std::memset(line + count, ' ', kTextLineChars - count);
        line[kTextLineChars] = 0;
        ReportStatus("File read error on %s", fileName.c_str());
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
      if (!comment && textLength > 0 && textLength <= kTextLineChars && line[textLength - 1] == '\r')
        --count;
      break;
    }
  }
  std::memset(line + count, ' ', kTextLineChars - count);
  line[kTextLineChars] = 0;
  return LineStatus::Delivered;
}

bool CPulseFileConverter::NextLine(TextSource& source) {
  ++source.lineNumber;
  switch (ReadTextLine(source.name, source.file.get(), source.line)) {
    case LineStatus::Delivered: return true;
    case LineStatus::ReadError: return false;
    case LineStatus::EndOfFile:
      ReportStatus("ASCII read error on %s line %u", source.name.c_str(), source.lineNumber);
      return false;
  }
  return false;
}

bool CPulseFileConverter::AppendSealWord(const std::string& name, io::File& file) {
  ChecksumPass pass = SumFileWords(file);
  if (pass.readError) {
    ReportStatus("binary read error:  %s", name.c_str());
    return false;
  }
  if (!file.SeekEnd()) {
    ReportStatus("binary seek error:  %s", name.c_str());
    return false;
  }
  uint8_t last = 0;
  if (pass.length % 2 == 1 &&
      (!file.Seek(pass.length - 1) || !file.ReadExact(&last, 1) || !file.SeekEnd())) {
    ReportStatus("binary read error:  %s", name.c_str());
    return false;
  }
  uint8_t bytes[3];
  size_t size = SealBytes(pass.sum, pass.length, last, bytes);
  if (!file.Write(bytes, size) || !file.Flush()) {
    ReportStatus("binary write error:  %s", name.c_str());
    return false;
  }
  return true;
}

void CPulseFileConverter::SealPulseFile(std::string baseName, io::File* file) {
  std::string name = baseName + ".spf";
  std::unique_ptr<io::File> own;
  if (file == nullptr) {
    own = io::File::Open(name, io::File::Mode::Update);
    if (!own) {
      ReportStatus("Can't open %s for writing", name.c_str());
      return;
    }
    file = own.get();
  }
  if (!AppendSealWord(name, *file)) return;
  if (own && !own->Close()) {
    ReportStatus("binary write error:  %s", name.c_str());
    return;
  }
  ReportCompletion();
}

}  // namespace orvane
