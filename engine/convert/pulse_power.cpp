// Pulse power: shows the GAIN of every T record of a pulse file in
// hundredths, and sets new values in place. The file is validated once per
// command; each record set is written and sealed by itself, so the file is
// valid again after every record.
#include <algorithm>
#include <memory>

#include "convert/base_name.h"
#include "orvane/pulse_power.h"
#include "convert/pulse_converter.h"
#include "format/pulse_power_file.h"
#include "text/pulse_power_text.h"

namespace orvane {

namespace {

// The failure of a record step; None for a completed step.
Failure StepFailure(OpenPulseFile::StepOutcome outcome) {
  using Step = OpenPulseFile::StepOutcome;
  switch (outcome) {
    case Step::Done: return Failure::None;
    case Step::Unreadable: return Failure::BinaryReadErrorOn;
    case Step::Refused:
    case Step::WriteFailed: return Failure::BinaryWriteErrorOn;
    case Step::ReadFailed: return Failure::SealReadError;
    case Step::SealSeekFailed: return Failure::SealSeekError;
    case Step::SealWriteFailed: return Failure::SealWriteError;
  }
  return Failure::BinaryWriteErrorOn;
}

}  // namespace

std::optional<std::string> CPulseFileConverter::GetPulsePower(std::vector<int>* powers) {
  BeginRun();
  if (m_strFileName.empty()) {
    RequireFileName();
    return std::nullopt;
  }
  const std::string spf = DeriveBaseName(m_strFileName) + ".spf";
  auto file = OpenPulseFile::Open(spf, io::File::Mode::Read);
  if (!file) {
    ReportStatus(Failure::NotAValidPulseFile, spf.c_str());
    return std::nullopt;
  }
  std::string text;
  for (uint32_t n = 0; n < file->Header().TCount(); ++n) {
    auto record = file->ReadTRecord(n);
    if (!record) {
      // The values gathered so far are shown all the same.
      ReportStatus(Failure::BinaryReadErrorOn, spf.c_str());
      break;
    }
    const int power = PowerOfGain(record->Gain());
    AppendPower(text, power);
    if (powers) powers->push_back(power);
  }
  return text;
}

void CPulseFileConverter::SetPulsePower(const std::string& text) {
  BeginRun();
  if (m_strFileName.empty()) {
    RequireFileName();
    return;
  }
  const std::string spf = DeriveBaseName(m_strFileName) + ".spf";
  // The whole text is checked before anything is written.
  PowerScan scan = ScanPowerText(text);
  if (!scan.valid) {
    ReportStatus(Failure::InvalidPowerValue, scan.badToken.c_str());
    return;
  }
  if (scan.powers.empty()) return;

  Outcome why;
  auto file = OpenPulseFile::Open(spf, io::File::Mode::Update, &why);
  if (!file) {
    if (why.code == Failure::CantOpenForReading && ValidatePulseFile(spf) == 1)
      ReportStatus(Failure::CantOpenForWriting, spf.c_str());
    else
      ReportStatus(Failure::NotAValidPulseFile, spf.c_str());
    return;
  }
  const uint64_t count = std::min<uint64_t>(file->Header().TCount(), scan.powers.size());
  for (uint32_t n = 0; n < count; ++n) {
    auto record = file->ReadTRecord(n);
    if (!record) {
      ReportStatus(Failure::BinaryReadErrorOn, spf.c_str());
      return;
    }
    record->SetGain(GainOfPower(scan.powers[n]));
    if (Failure failure = StepFailure(file->WriteTRecordSealed(n, *record)); failure != Failure::None) {
      ReportStatus(failure, spf.c_str());
      return;
    }
    ReportCompletion();
  }
  if (!file->Stream().Close()) ReportStatus(Failure::SealWriteError, spf.c_str());
}

PowerReading GetPulsePower(const std::string& fileName, ConversionReporter& reporter) {
  CPulseFileConverter run(reporter);
  run.m_strFileName = fileName;
  PowerReading reading;
  reading.text = run.GetPulsePower(&reading.powers);
  reading.outcome = run.RunOutcome();
  return reading;
}

Outcome SetPulsePower(const std::string& fileName, const std::string& text, ConversionReporter& reporter) {
  CPulseFileConverter run(reporter);
  run.m_strFileName = fileName;
  run.SetPulsePower(text);
  return run.RunOutcome();
}

}  // namespace orvane
