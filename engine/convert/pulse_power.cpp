// Pulse power: shows the GAIN of every T record of a pulse file in
// hundredths, and sets new values in place. The file is validated once per
// command; each record set is written and sealed by itself, so the file is
// valid again after every record.
#include <algorithm>
#include <charconv>
#include <cmath>
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

// GAIN has a pulse power when GAIN x 100, rounded, is a whole number an
// int holds; PowerOfGain shows any other GAIN as the nearest value it can.
bool HasPower(float gain, int shown) {
  return std::floor(static_cast<double>(gain) * 100.0 + 0.5) == static_cast<double>(shown);
}

// The shortest text that reads back as the same float: "nan", "-inf",
// "1e+30", "21474838".
std::string GainText(float gain) {
  char text[32];
  const auto result = std::to_chars(text, text + sizeof text, gain);
  return std::string(text, result.ptr);
}

PowerWarning WarningFor(uint32_t n, float gain, int shown) {
  PowerWarning warning;
  // Appended, not concatenated: GCC 12 sees a false overlap in "T" + ...
  warning.record = "T";
  warning.record += std::to_string(n);
  warning.gain = gain;
  warning.shown = shown;
  warning.text = "GAIN " + GainText(gain) + " has no pulse power; shown as " + std::to_string(shown);
  return warning;
}

// "Not a valid pulse file" says what the file is not; the reason beside it
// says why: the system's refusal, or the first problem of its structure.
void NoteWhyNotValid(const Outcome& why) {
  if (why.error != 0 || !why.reason.empty())
    io::NoteFailureReason(why.reason, why.error);
  else
    io::NoteFailureReason(why.message, 0);
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
  Outcome why;
  auto file = OpenPulseFile::Open(spf, io::File::Mode::Read, &why);
  if (!file) {
    NoteWhyNotValid(why);
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
    const float gain = record->Gain();
    const int power = PowerOfGain(gain);
    if (!HasPower(gain, power)) reading.warnings.push_back(WarningFor(n, gain, power));
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
    else {
      NoteWhyNotValid(why);
      report.ReportStatus(Failure::NotAValidPulseFile, spf.c_str());
    }
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
