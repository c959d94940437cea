// The engine's commands for Python: Convert, validation and pulse power,
// with the GIL released while the engine works and an optional progress
// callback called back with the GIL held.
#include <pybind11/functional.h>
#include <pybind11/stl.h>

#include <optional>

#include "bindings.h"
#include "orvane/convert.h"
#include "orvane/pulse_file.h"
#include "orvane/pulse_file_view.h"
#include "orvane/pulse_power.h"

namespace py = pybind11;

namespace orvane::python {

namespace {

// Passes the run's progress to a Python callable as (done, total, status):
// bytes of the run's input done and in all (total 0 when not known) and the
// latest status text. The engine may report bytes from several threads at
// once; the GIL puts the calls in a row. The first exception the callable
// raises is kept, later calls are dropped, and it is raised after the run.
class CallbackReporter final : public ConversionReporter {
 public:
  explicit CallbackReporter(py::object callback) : callback_(std::move(callback)) {}
  void ShowStatus(const std::string& text) override {
    if (callback_.is_none()) return;
    py::gil_scoped_acquire gil;
    status_ = text;
    Call();
  }
  void SetProgressPosition(int) override {}
  void ReportBytes(uint64_t done, uint64_t total) override {
    if (callback_.is_none()) return;
    py::gil_scoped_acquire gil;
    if (done < done_ && total == total_) return;  // an older report overtaken by a newer one
    done_ = done;
    total_ = total;
    Call();
  }
  void RaiseIfFailed() {
    if (error_) {
      py::error_already_set e = std::move(*error_);
      error_.reset();
      throw e;
    }
  }

 private:
  // With the GIL held.
  void Call() {
    if (error_) return;
    try {
      callback_(done_, total_, FsText(status_));
    } catch (py::error_already_set& e) {
      error_.emplace(std::move(e));
    }
  }
  py::object callback_;
  uint64_t done_ = 0;
  uint64_t total_ = 0;
  std::string status_;
  std::optional<py::error_already_set> error_;
};

py::tuple RunConvert(const std::string& fileName, bool toText, bool labelled, const std::string& outputDir,
                     unsigned threads, py::object progress) {
  ConversionRequest request;
  request.fileName = fileName;
  request.direction = toText ? Direction::ToText : Direction::FromText;
  request.labelled = labelled;
  request.threads = threads;
  request.outputDir = outputDir;
  CallbackReporter reporter(std::move(progress));
  Outcome outcome;
  {
    py::gil_scoped_release release;
    outcome = Convert(request, reporter);
  }
  reporter.RaiseIfFailed();
  return OutcomeTuple(outcome);
}

py::tuple GetPower(const std::string& fileName, py::object progress) {
  CallbackReporter reporter(std::move(progress));
  PowerReading reading;
  {
    py::gil_scoped_release release;
    reading = GetPulsePower(fileName, reporter);
  }
  reporter.RaiseIfFailed();
  return py::make_tuple(OutcomeTuple(reading.outcome), reading.powers, reading.text.has_value());
}

py::tuple SetPower(const std::string& fileName, const std::string& text, py::object progress) {
  CallbackReporter reporter(std::move(progress));
  Outcome outcome;
  {
    py::gil_scoped_release release;
    outcome = SetPulsePower(fileName, text, reporter);
  }
  reporter.RaiseIfFailed();
  return OutcomeTuple(outcome);
}

// The check of orvane-cli check: BASE.spf opened with the full structure check.
py::tuple Validate(const std::string& fileName) {
  const std::string spf = DeriveBaseName(fileName) + ".spf";
  Outcome why;
  {
    py::gil_scoped_release release;
    PulseFileView::Open(spf, PulseFileView::Verify::Full, &why);
  }
  if (!why.ok() && why.path.empty()) why.path = spf;  // the one file it is about
  return OutcomeTuple(why);
}

// The name of a code in Python's orvane.Failure.
const char* FailureName(Failure code) {
  switch (code) {
    case Failure::None: return "NONE";
    case Failure::FileNameRequired: return "FILE_NAME_REQUIRED";
    case Failure::CantOpenForReading: return "CANT_OPEN_FOR_READING";
    case Failure::CantOpenForWriting: return "CANT_OPEN_FOR_WRITING";
    case Failure::InvalidMagicNumber: return "INVALID_MAGIC_NUMBER";
    case Failure::InvalidRecordCount: return "INVALID_RECORD_COUNT";
    case Failure::ChecksumError: return "CHECKSUM_ERROR";
    case Failure::SeekError: return "SEEK_ERROR";
    case Failure::BinaryReadError: return "BINARY_READ_ERROR";
    case Failure::BinaryReadErrorOn: return "BINARY_READ_ERROR_ON";
    case Failure::BinarySeekError: return "BINARY_SEEK_ERROR";
    case Failure::BinarySeekErrorOn: return "BINARY_SEEK_ERROR_ON";
    case Failure::BinaryWriteError: return "BINARY_WRITE_ERROR";
    case Failure::BinaryWriteErrorOn: return "BINARY_WRITE_ERROR_ON";
    case Failure::SealReadError: return "SEAL_READ_ERROR";
    case Failure::SealSeekError: return "SEAL_SEEK_ERROR";
    case Failure::SealWriteError: return "SEAL_WRITE_ERROR";
    case Failure::AsciiReadError: return "ASCII_READ_ERROR";
    case Failure::AsciiReadErrorAtLine: return "ASCII_READ_ERROR_AT_LINE";
    case Failure::AsciiWriteError: return "ASCII_WRITE_ERROR";
    case Failure::FileReadError: return "FILE_READ_ERROR";
    case Failure::ReadError: return "READ_ERROR";
    case Failure::FileTooLarge: return "FILE_TOO_LARGE";
    case Failure::InvalidPowerValue: return "INVALID_POWER_VALUE";
    case Failure::NotAValidPulseFile: return "NOT_A_VALID_PULSE_FILE";
    case Failure::RecordOutsideFile: return "RECORD_OUTSIDE_FILE";
    case Failure::SamplesOutsideFile: return "SAMPLES_OUTSIDE_FILE";
    case Failure::TooManySamples: return "TOO_MANY_SAMPLES";
    case Failure::WrongHeaderSize: return "WRONG_HEADER_SIZE";
    case Failure::Incomplete: return "INCOMPLETE";
  }
  return "UNKNOWN";
}

py::list FailureFormats() {
  py::list out;
  for (int k = 0; k < kFailureCount; ++k) {
    const auto code = static_cast<Failure>(k);
    out.append(py::make_tuple(FailureName(code), MessageFormat(code)));
  }
  return out;
}

}  // namespace

void BindServices(py::module_& m) {
  m.def("convert", &RunConvert, py::arg("file_name"), py::arg("to_text"), py::arg("labelled"),
        py::arg("output_dir"), py::arg("threads"), py::arg("progress"));
  m.def("get_power", &GetPower);
  m.def("set_power", &SetPower);
  m.def("validate", &Validate);
  m.def("failure_formats", &FailureFormats);
  m.def("derive_base_name", &DeriveBaseName);
  m.attr("failure_count") = kFailureCount;
}

}  // namespace orvane::python
