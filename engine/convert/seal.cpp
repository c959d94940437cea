// The checksum seal: one word appended so that the file's word sum is zero.
#include "convert/drivers.h"
#include "format/checksum.h"

namespace orvane {

bool AppendSealWord(const std::string& name, io::File& file, RunReport& report) {
  ChecksumPass pass = SumFileWords(file);
  if (pass.readError) {
    report.ReportStatus(Failure::SealReadError, name.c_str());
    return false;
  }
  if (!file.SeekEnd()) {
    report.ReportStatus(Failure::SealSeekError, name.c_str());
    return false;
  }
  uint8_t last = 0;
  if (pass.length % 2 == 1 && (!file.Seek(pass.length - 1) || !file.ReadExact(&last, 1) || !file.SeekEnd())) {
    report.ReportStatus(Failure::SealReadError, name.c_str());
    return false;
  }
  uint8_t bytes[3];
  size_t size = SealBytes(pass.sum, pass.length, last, bytes);
  if (!file.Write(bytes, size) || !file.Flush()) {
    report.ReportStatus(Failure::SealWriteError, name.c_str());
    return false;
  }
  return true;
}

void SealPulseFile(const std::string& baseName, io::File* file, RunReport& report) {
  const std::string name = baseName + ".spf";
  report.SetSubject(name);
  std::unique_ptr<io::File> own;
  if (file == nullptr) {
    own = io::File::Open(name, io::File::Mode::Update, io::File::Lock::Exclusive);
    if (!own) {
      report.ReportStatus(Failure::CantOpenForWriting, name.c_str());
      return;
    }
    file = own.get();
  }
  if (!AppendSealWord(name, *file, report)) return;
  if (own && !own->Close()) {
    report.ReportStatus(Failure::SealWriteError, name.c_str());
    return;
  }
  report.ReportCompletion();
}

Outcome SealPulseFile(const std::string& baseName, ConversionReporter& reporter) {
  RunReport report(reporter);
  SealPulseFile(baseName, nullptr, report);
  return report.Result();
}

}  // namespace orvane
