// Pulse power: shows the GAIN of every T record of a pulse file in
// hundredths, and sets new values in place. The file is validated once per
// command; each record set is written and sealed by itself, so the file is
// valid again after every record.
#include <algorithm>
#include <memory>

#include "base_name.h"
#include "pulse_converter.h"
#include "pulse_power_file.h"
#include "pulse_power_text.h"

namespace orvane {

namespace {
constexpr char kNotValid[] = "Not a valid pulse file: %s";
}

namespace {

// The message of a record step that failed; null for a completed step.
const char* StepFailureFormat(OpenPulseFile::Outcome outcome) {
  using Outcome = OpenPulseFile::Outcome;
  switch (outcome) {
    case Outcome::Done: return nullptr;
    case Outcome::Unreadable: return "Binary read error on %s";
    case Outcome::Refused:
    case Outcome::WriteFailed: return "Binary write error %s";
    case Outcome::ReadFailed: return "binary read error:  %s";
    case Outcome::SealSeekFailed: return "binary seek error:  %s";
    case Outcome::SealWriteFailed: return "binary write error:  %s";
  }
  return "Binary write error %s";
}

}  // namespace

std::optional<std::string> CPulseFileConverter::GetPulsePower() {
  BeginRun();
  if (m_strFileName.empty()) {
    ShowStatusText("File name required");
    return std::nullopt;
  }
  const std::string spf = DeriveBaseName(m_strFileName) + ".spf";
  auto file = OpenPulseFile::Open(spf, io::File::Mode::Read);
  if (!file) {
    ReportStatus(kNotValid, spf.c_str());
    return std::nullopt;
  }
  std::string text;
  for (uint32_t n = 0; n < file->Header().TCount(); ++n) {
    auto record = file->ReadTRecord(n);
    if (!record) {
      // The values gathered so far are shown all the same.
      ReportStatus("Binary read error on %s", spf.c_str());
      break;
    }
    AppendPower(text, PowerOfGain(record->Gain()));
  }
  return text;
}

void CPulseFileConverter::SetPulsePower(const std::string& text) {
  BeginRun();
  if (m_strFileName.empty()) {
    ShowStatusText("File name required");
    return;
  }
  const std::string spf = DeriveBaseName(m_strFileName) + ".spf";
  // The whole text is checked before anything is written.
  PowerScan scan = ScanPowerText(text);
  if (!scan.valid) {
    ReportStatus("Invalid pulse power value: %s", scan.badToken.c_str());
    return;
  }
  if (scan.powers.empty()) return;

  PulseFileCheck check;
  auto file = OpenPulseFile::Open(spf, io::File::Mode::Update, &check);
  if (!file) {
    if (check.fault == PulseFileFault::CannotOpen && ValidatePulseFile(spf) == 1)
      ReportStatus("Can't open %s for writing", spf.c_str());
    else
      ReportStatus(kNotValid, spf.c_str());
    return;
  }
  const uint64_t count = std::min<uint64_t>(file->Header().TCount(), scan.powers.size());
  for (uint32_t n = 0; n < count; ++n) {
    auto record = file->ReadTRecord(n);
    if (!record) {
      ReportStatus("Binary read error on %s", spf.c_str());
      return;
    }
    record->SetGain(GainOfPower(scan.powers[n]));
    if (const char* failure = StepFailureFormat(file->WriteTRecordSealed(n, *record))) {
      ReportStatus(failure, spf.c_str());
      return;
    }
    ReportCompletion();
  }
  if (!file->Stream().Close()) ReportStatus("binary write error:  %s", spf.c_str());
}

}  // namespace orvane
