// The engine's commands for Python: Convert, validation and pulse power,
// each run through an EngineRun, so that Ctrl-C and the progress callback
// work while the engine does.
#include <pybind11/functional.h>
#include <pybind11/stl.h>

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
                     unsigned threads, py::object progress, py::object written) {
  ConversionRequest request;
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
    case Failure::TextNotExact: return "TEXT_NOT_EXACT";
    case Failure::Cancelled: return "CANCELLED";
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
        py::arg("output_dir"), py::arg("threads"), py::arg("progress"), py::arg("written") = py::none());
  m.def("get_power", &GetPower);
  m.def("set_power", &SetPower);
  m.def("validate", &Validate);
  m.def("failure_formats", &FailureFormats);
  // Bytes in and out: a file name need not be UTF-8.
  m.def("derive_base_name", [](const std::string& name) { return py::bytes(DeriveBaseName(name)); });
  m.attr("failure_count") = kFailureCount;
}

}  // namespace orvane::python
