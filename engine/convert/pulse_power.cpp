// Pulse power: shows the GAIN of every T record of a pulse file in
// hundredths, and sets new values in place. The file is validated once per
// command; each record set is written and sealed by itself, so the file is
// valid again after every record.
#include <algorithm>
#include <memory>

#include "convert/base_name.h"
#include "convert/run_report.h"
#include "format/open_pulse_file.h"
#include "orvane/pulse_power.h"
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

PowerReading GetPulsePower(const std::string& fileName, ConversionReporter& reporter) {
  RunReport report(reporter);
  PowerReading reading;
  if (fileName.empty()) {
    report.RequireFileName();
    reading.outcome = report.Result();
    return reading;
  }
  const std::string spf = DeriveBaseName(fileName) + ".spf";
  report.SetSubject(spf);
  auto file = OpenPulseFile::Open(spf, io::File::Mode::Read);
  if (!file) {
    report.ReportStatus(Failure::NotAValidPulseFile, spf.c_str());
    reading.outcome = report.Result();
    return reading;
  }
  std::string text;
  for (uint32_t n = 0; n < file->Header().TCount(); ++n) {
    auto record = file->ReadTRecord(n);
    if (!record) {
      // The values gathered so far are shown all the same.
      report.ReportStatus(Failure::BinaryReadErrorOn, spf.c_str());
      break;
    }
    const int power = PowerOfGain(record->Gain());
    AppendPower(text, power);
    reading.powers.push_back(power);
  }
  reading.text = std::move(text);
  reading.outcome = report.Result();
  return reading;
}

Outcome SetPulsePower(const std::string& fileName, const std::string& text, ConversionReporter& reporter) {
  RunReport report(reporter);
  if (fileName.empty()) {
    report.RequireFileName();
    return report.Result();
  }
  const std::string spf = DeriveBaseName(fileName) + ".spf";
  report.SetSubject(spf);
  // The whole text is checked before anything is written.
  PowerScan scan = ScanPowerText(text);
  if (!scan.valid) {
    report.ReportStatus(Failure::InvalidPowerValue, scan.badToken.c_str());
    return report.Result();
  }
  if (scan.powers.empty()) return report.Result();

  Outcome why;
  auto file = OpenPulseFile::Open(spf, io::File::Mode::Update, &why);
  if (!file) {
    // A valid file that cannot be opened for writing is named so.
    if (why.code == Failure::CantOpenForReading && ValidatePulseFile(spf) == 1)
      report.ReportStatus(Failure::CantOpenForWriting, spf.c_str());
    else
      report.ReportStatus(Failure::NotAValidPulseFile, spf.c_str());
    return report.Result();
  }
  const uint64_t count = std::min<uint64_t>(file->Header().TCount(), scan.powers.size());
  for (uint32_t n = 0; n < count; ++n) {
    auto record = file->ReadTRecord(n);
    if (!record) {
      report.ReportStatus(Failure::BinaryReadErrorOn, spf.c_str());
      return report.Result();
    }
    record->SetGain(GainOfPower(scan.powers[n]));
    if (Failure failure = StepFailure(file->WriteTRecordSealed(n, *record)); failure != Failure::None) {
      report.ReportStatus(failure, spf.c_str());
      return report.Result();
    }
    report.ReportCompletion();
  }
  if (!file->Stream().Close()) report.ReportStatus(Failure::SealWriteError, spf.c_str());
  return report.Result();
}

}  // namespace orvane
