// The engine's commands for Python: Convert, validation and pulse power,
// with the GIL released while the engine works and an optional progress
// callback called back with the GIL held.
#include <pybind11/functional.h>
#include <pybind11/stl.h>

#include <mutex>

#include "bindings.h"
#include "orvane/convert.h"
#include "orvane/pulse_file.h"
#include "orvane/pulse_file_view.h"
#include "orvane/pulse_power.h"

namespace py = pybind11;

namespace orvane::python {

namespace {

// Passes each protocol step to a Python callable as (position, status); the
// first exception the callable raises is kept and raised after the run.
class CallbackReporter final : public ConversionReporter {
 public:
  explicit CallbackReporter(py::object callback) : callback_(std::move(callback)) {}
  ~CallbackReporter() override {
    py::gil_scoped_acquire gil;
    callback_ = py::object();
  }
  void ShowStatus(const std::string& text) override {
    status_ = text;
    Call();
  }
  void SetProgressPosition(int position) override {
    position_ = position;
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
  void Call() {
    if (callback_.is_none()) return;
    py::gil_scoped_acquire gil;
    if (error_) return;
    try {
      callback_(position_, py::bytes(status_).attr("decode")("latin-1"));
    } catch (py::error_already_set& e) {
      error_.emplace(std::move(e));
    }
  }
  py::object callback_;
  int position_ = 0;
  std::string status_;
  std::optional<py::error_already_set> error_;
};

py::tuple Result(const Outcome& o) { return py::make_tuple(static_cast<int>(o.code), o.message); }

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
  return Result(outcome);
}

py::tuple GetPower(const std::string& fileName, py::object progress) {
  CallbackReporter reporter(std::move(progress));
  PowerReading reading;
  {
    py::gil_scoped_release release;
    reading = GetPulsePower(fileName, reporter);
  }
  reporter.RaiseIfFailed();
  return py::make_tuple(static_cast<int>(reading.outcome.code), reading.outcome.message, reading.powers,
                        reading.text.has_value());
}

py::tuple SetPower(const std::string& fileName, const std::string& text, py::object progress) {
  CallbackReporter reporter(std::move(progress));
  Outcome outcome;
  {
    py::gil_scoped_release release;
    outcome = SetPulsePower(fileName, text, reporter);
  }
  reporter.RaiseIfFailed();
  return Result(outcome);
}

// The check of orvane-cli check: BASE.spf opened with the full structure check.
py::tuple Validate(const std::string& fileName) {
  Outcome why;
  {
    py::gil_scoped_release release;
    PulseFileView::Open(DeriveBaseName(fileName) + ".spf", PulseFileView::Verify::Full, &why);
  }
  return Result(why);
}

py::list FailureFormats() {
  py::list out;
  for (int k = 0; k < kFailureCount; ++k) out.append(MessageFormat(static_cast<Failure>(k)));
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
