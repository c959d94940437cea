// The engine's commands for Python: Convert, validation and pulse power,
// each run through an EngineRun, so that Ctrl-C and the progress callback
// work while the engine does.
#include <pybind11/functional.h>
#include <pybind11/stl.h>

#include <cctype>

#include <optional>

#include "bindings.h"
#include "engine_run.h"
#include "orvane/convert.h"
#include "orvane/pulse_file.h"
#include "orvane/pulse_file_view.h"
#include "orvane/pulse_power.h"

namespace py = pybind11;

namespace orvane::python {

namespace {

py::tuple RunConvert(const std::string& fileName, bool toText, bool labelled, const std::string& outputDir,
                     unsigned threads, py::object progress, py::object written, bool exact,
                     py::object losses) {
  ConversionRequest request;
  request.exact = exact;
  request.fileName = fileName;
  request.direction = toText ? Direction::ToText : Direction::FromText;
  request.labelled = labelled;
  request.threads = threads;
  request.outputDir = outputDir;
  EngineRun run(std::move(progress));
  Outcome outcome;
  run.Run([&](ConversionReporter& reporter) { outcome = Convert(request, reporter); });
  if (!written.is_none())
    for (const std::string& path : run.Written()) written.attr("append")(py::bytes(path));
  if (!losses.is_none())
    for (const ExportWarning& warning : run.Warnings()) losses.attr("append")(py::bytes(warning.text));
  return OutcomeTuple(outcome);
}

py::tuple GetPower(const std::string& fileName, py::object progress) {
  EngineRun run(std::move(progress));
  PowerReading reading;
  run.Run([&](ConversionReporter& reporter) { reading = GetPulsePower(fileName, reporter); });
  py::list warnings;
  for (const PowerWarning& w : reading.warnings) warnings.append(py::make_tuple(w.record, w.gain, w.text));
  return py::make_tuple(OutcomeTuple(reading.outcome), reading.powers, reading.text.has_value(), warnings);
}

py::tuple SetPower(const std::string& fileName, const std::string& text, py::object progress) {
  EngineRun run(std::move(progress));
  Outcome outcome;
  run.Run([&](ConversionReporter& reporter) { outcome = SetPulsePower(fileName, text, reporter); });
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

// The name of a code in Python's orvane.Failure: the engine's stable name
// in upper case ("CHECKSUM_ERROR").
std::string FailureEnumName(Failure code) {
  std::string name = FailureName(code);
  for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return name;
}

py::list FailureFormats() {
  py::list out;
  for (int k = 0; k < kFailureCount; ++k) {
    const auto code = static_cast<Failure>(k);
    out.append(py::make_tuple(FailureEnumName(code), MessageFormat(code)));
  }
  return out;
}

}  // namespace

void BindServices(py::module_& m) {
  m.def("convert", &RunConvert, py::arg("file_name"), py::arg("to_text"), py::arg("labelled"),
        py::arg("output_dir"), py::arg("threads"), py::arg("progress"), py::arg("written") = py::none(),
        py::arg("exact") = false, py::arg("losses") = py::none());
  m.def("get_power", &GetPower);
  m.def("set_power", &SetPower);
  m.def("validate", &Validate);
  m.def("failure_formats", &FailureFormats);
  // Bytes in and out: a file name need not be UTF-8.
  m.def("derive_base_name", [](const std::string& name) { return py::bytes(DeriveBaseName(name)); });
  m.attr("failure_count") = kFailureCount;
}

}  // namespace orvane::python
