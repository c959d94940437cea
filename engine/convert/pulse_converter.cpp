#include "convert/pulse_converter.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

#include "convert/base_name.h"
#include "format/checksum.h"
#include "convert/text_source.h"

namespace orvane {

std::string FormatMessageV(Failure code, va_list args);

CPulseFileConverter::CPulseFileConverter(ConversionReporter& reporter) : m_reporter(reporter) {}

void CPulseFileConverter::OnConvert() {
  if (m_strFileName.empty()) {
    RequireFileName();
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

std::string CPulseFileConverter::OutputName(const std::string& baseName, const std::string& suffix) const {
  if (m_strOutputDir.empty()) return baseName + suffix;
  const size_t slash = baseName.rfind('/');
  const std::string name = slash == std::string::npos ? baseName : baseName.substr(slash + 1);
  std::string folder = m_strOutputDir;
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return (folder == "/" ? folder : folder + "/") + name + suffix;
}

void CPulseFileConverter::ReportStatus(Failure code, ...) {
  va_list args;
  va_start(args, code);
  std::string text = FormatMessageV(code, args);
  va_end(args);
  Report(code, text, code == Failure::None ? std::string() : io::TakeFailureReason());
}

void CPulseFileConverter::Report(Failure code, const std::string& text, const std::string& reason) {
  if (code != Failure::None && !m_bRunFailed) {
    m_bRunFailed = true;
    m_firstFailure = Outcome{code, text, reason};
  }
  if (m_bKeepReports) m_reports.push_back(Outcome{code, text, reason});
  m_strStatus = text;
  m_reporter.ShowStatus(m_strStatus);
}

void CPulseFileConverter::RequireFileName() {
  m_bNameMissing = true;
  m_strStatus = MessageFormat(Failure::FileNameRequired);
  m_reporter.ShowStatus(m_strStatus);
}

Outcome CPulseFileConverter::RunOutcome() const {
  if (m_bRunFailed) return m_firstFailure;
  if (m_bNameMissing) return Outcome{Failure::FileNameRequired, MessageFormat(Failure::FileNameRequired)};
  return Outcome{Failure::None, m_strStatus};
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
  m_bNameMissing = false;
  m_firstFailure = Outcome{};
  io::ClearFailureReason();
}

void CPulseFileConverter::ReportSeekFailure(const io::File& file, const std::string& name) {
  // A seek passes the writes before it on to the disk: a full disk shows
  // up there, and is a write failure.
  ReportStatus(file.WriteFailed() ? Failure::BinaryWriteErrorOn : Failure::BinarySeekErrorOn, name.c_str());
}

void CPulseFileConverter::ReportCompletion() {
  if (m_bRunFailed) {
    m_strStatus = m_firstFailure.message;
    m_reporter.ShowStatus(m_strStatus);
    return;
  }
  ResetProgress();
  ReportStatus(Failure::None);
}

LineStatus CPulseFileConverter::ReadTextLine(const std::string& fileName, io::File* file, char* line) {
  const LineStatus status = ReadLineOfText(file, line);
  if (status == LineStatus::NoFile) ReportStatus(Failure::ReadError, fileName.c_str());
  if (status == LineStatus::ReadError) ReportStatus(Failure::FileReadError, fileName.c_str());
  return status == LineStatus::NoFile ? LineStatus::ReadError : status;
}

bool CPulseFileConverter::NextLine(TextSource& source) {
  ++source.lineNumber;
  switch (ReadTextLine(source.name, source.file.get(), source.line)) {
    case LineStatus::Delivered: return true;
    case LineStatus::ReadError:
    case LineStatus::NoFile: return false;
    case LineStatus::EndOfFile:
      ReportStatus(Failure::AsciiReadErrorAtLine, source.name.c_str(), source.lineNumber);
      return false;
  }
  return false;
}

bool CPulseFileConverter::AppendSealWord(const std::string& name, io::File& file) {
  ChecksumPass pass = SumFileWords(file);
  if (pass.readError) {
    ReportStatus(Failure::SealReadError, name.c_str());
    return false;
  }
  if (!file.SeekEnd()) {
    ReportStatus(Failure::SealSeekError, name.c_str());
    return false;
  }
  uint8_t last = 0;
  if (pass.length % 2 == 1 && (!file.Seek(pass.length - 1) || !file.ReadExact(&last, 1) || !file.SeekEnd())) {
    ReportStatus(Failure::SealReadError, name.c_str());
    return false;
  }
  uint8_t bytes[3];
  size_t size = SealBytes(pass.sum, pass.length, last, bytes);
  if (!file.Write(bytes, size) || !file.Flush()) {
    ReportStatus(Failure::SealWriteError, name.c_str());
    return false;
  }
  return true;
}

void CPulseFileConverter::SealPulseFile(std::string baseName, io::File* file) {
  std::string name = baseName + ".spf";
  std::unique_ptr<io::File> own;
  if (file == nullptr) {
    own = io::File::Open(name, io::File::Mode::Update, io::File::Lock::Exclusive);
    if (!own) {
      ReportStatus(Failure::CantOpenForWriting, name.c_str());
      return;
    }
    file = own.get();
  }
  if (!AppendSealWord(name, *file)) return;
  if (own && !own->Close()) {
    ReportStatus(Failure::SealWriteError, name.c_str());
    return;
  }
  ReportCompletion();
}

}  // namespace orvane
