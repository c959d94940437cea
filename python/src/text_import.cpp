// Convert from ASCII for Python with the diagnostics of its text: the
// import itself (strict or not) and the check of a text set that writes
// nothing. The diagnostics cross over as tuples; the package turns them
// into orvane.TextWarning.
#include <pybind11/stl.h>

#include "bindings.h"
#include "engine_run.h"
#include "orvane/convert.h"

namespace py = pybind11;

namespace orvane::python {

namespace {

// (message, file, line, column, field, code) of each diagnostic.
py::list DiagnosticTuples(const std::vector<TextDiagnostic>& diagnostics) {
  py::list out;
  for (const TextDiagnostic& d : diagnostics)
    out.append(py::make_tuple(FsText(d.Message()), FsText(d.file), d.line, d.column, FsText(d.field),
                              TextIssueName(d.issue)));
  return out;
}

// (outcome, diagnostics). check: read and diagnose only, nothing written.
py::tuple RunImport(const std::string& fileName, bool labelled, const std::string& outputDir,
                    unsigned threads, bool strict, bool check, py::object progress, py::object written) {
  ConversionRequest request;
  request.fileName = fileName;
  request.direction = Direction::FromText;
  request.labelled = labelled;
  request.threads = threads;
  request.outputDir = outputDir;
  request.strict = strict;
  EngineRun run(std::move(progress));
  Outcome outcome;
  run.Run([&](ConversionReporter& reporter) {
    outcome = check ? CheckText(request, reporter) : Convert(request, reporter);
  });
  if (!written.is_none())
    for (const std::string& path : run.Written()) written.attr("append")(py::bytes(path));
  return py::make_tuple(OutcomeTuple(outcome), DiagnosticTuples(run.Diagnostics()));
}

}  // namespace

void BindTextImport(py::module_& m) {
  m.def("import_text", &RunImport, py::arg("file_name"), py::arg("labelled"), py::arg("output_dir"),
        py::arg("threads"), py::arg("strict"), py::arg("check"), py::arg("progress"),
        py::arg("written") = py::none());
}

}  // namespace orvane::python
