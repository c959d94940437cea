// Repair and salvage for orvane.repair and orvane.salvage: the engine's
// RepairPulseFile and SalvagePulseFile, their reports as dicts with the keys
// of orvane-cli's --json.
#include <pybind11/stl.h>

#include "bindings.h"
#include "orvane/convert.h"
#include "orvane/repair.h"

namespace py = pybind11;

namespace orvane::python {

namespace {

py::object Offset(const std::optional<uint64_t>& offset) {
  return offset ? py::object(py::int_(*offset)) : py::object(py::none());
}

py::list ProblemList(const FoundProblems& found) {
  py::list problems;
  for (const FoundProblem& p : found) {
    py::dict d;
    d["code"] = FailureName(p.what.code);
    d["message"] = FsText(p.what.message);
    d["record"] = p.record.empty() ? py::object(py::none()) : py::object(py::str(p.record));
    d["offset"] = Offset(p.offset);
    problems.append(d);
  }
  return problems;
}

// (outcome, dict or None): None when nothing was written.
py::tuple Repair(const std::string& fileName, const std::string& output) {
  RepairResult r;
  {
    py::gil_scoped_release release;
    r = RepairPulseFile(DeriveBaseName(fileName) + ".spf", output);
  }
  if (!r.outcome.ok()) return py::make_tuple(OutcomeTuple(r.outcome), py::none());
  py::dict d;
  d["problems"] = ProblemList(r.found);
  d["sum"] = r.sum;
  d["appended"] = r.sealBytes;
  d["length"] = r.length;
  return py::make_tuple(OutcomeTuple(r.outcome), d);
}

py::tuple Salvage(const std::string& fileName, const std::string& output) {
  SalvageResult r;
  {
    py::gil_scoped_release release;
    r = SalvagePulseFile(DeriveBaseName(fileName) + ".spf", output);
  }
  if (!r.outcome.ok()) return py::make_tuple(OutcomeTuple(r.outcome), py::none());
  py::list kept, dropped;
  for (const KeptRecord& k : r.kept) {
    py::dict d;
    d["record"] = k.from;
    d["as"] = k.to;
    d["samples"] = k.samples;
    kept.append(d);
  }
  for (const DroppedRecord& x : r.dropped) {
    py::dict d;
    d["record"] = x.name;
    d["entry"] = x.entry;
    d["offset"] = x.offset ? Offset(uint64_t{*x.offset}) : py::object(py::none());
    d["reason"] = FsText(x.why);
    dropped.append(d);
  }
  py::dict d;
  d["problems"] = ProblemList(r.found);
  d["kept"] = kept;
  d["dropped"] = dropped;
  d["length"] = r.length;
  return py::make_tuple(OutcomeTuple(r.outcome), d);
}

}  // namespace

void BindMend(py::module_& m) {
  m.def("repair", &Repair, py::arg("file_name"), py::arg("output"));
  m.def("salvage", &Salvage, py::arg("file_name"), py::arg("output"));
}

}  // namespace orvane::python
