// The figures of a pulse file's records and the differences of two pulse
// files, for orvane.stats and orvane.diff: the engine's StatsOf and Compare,
// their results as dicts and lists with the keys of orvane-cli's --json.
#include <pybind11/stl.h>

#include <optional>

#include "bindings.h"
#include "orvane/analysis.h"
#include "orvane/convert.h"
#include "orvane/pulse_file_view.h"

namespace py = pybind11;

namespace orvane::python {

namespace {

// Header text as the package's headers read it: one character per byte.
py::str Latin1(const std::string& s) {
  return py::reinterpret_steal<py::str>(
      PyUnicode_DecodeLatin1(s.data(), static_cast<Py_ssize_t>(s.size()), nullptr));
}

// BASE.spf opened with the full structure check; null with *why set.
std::shared_ptr<const PulseFileView> OpenChecked(const std::string& fileName, Outcome* why) {
  const std::string spf = DeriveBaseName(fileName) + ".spf";
  std::shared_ptr<const PulseFileView> view;
  {
    py::gil_scoped_release release;
    view = PulseFileView::Open(spf, PulseFileView::Verify::Full, why);
  }
  if (!view && why->path.empty()) why->path = spf;
  return view;
}

py::dict StatsDict(const RecordStats& s) {
  py::dict d;
  d["record"] = s.name;
  d["kind"] = std::string(1, DescribeRecord(s.type).letter);
  d["number"] = s.number;
  d["samples"] = s.count;
  d["minimum"] = s.minimum;
  d["maximum"] = s.maximum;
  d["mean"] = s.mean;
  d["rms"] = s.rms;
  if (DescribeRecord(s.type).sample == SampleType::Int16) {
    d["sum"] = s.sum;
    d["at_minimum_limit"] = s.atMinimumLimit;
    d["at_maximum_limit"] = s.atMaximumLimit;
  } else {
    d["nan"] = s.nanCount;
    d["infinite"] = s.infiniteCount;
  }
  return d;
}

// The records named, in that order, or every record; KeyError for a name
// the file does not hold.
std::vector<const RecordView*> Chosen(const PulseFileView& view,
                                      const std::optional<std::vector<std::string>>& names) {
  std::vector<const RecordView*> chosen;
  if (!names)
    for (const RecordView& record : view.Records()) chosen.push_back(&record);
  for (const std::string& name : names.value_or(std::vector<std::string>{})) {
    const RecordView* found = nullptr;
    for (const RecordView& record : view.Records())
      if (record.Name() == name) found = &record;
    if (!found) throw py::key_error("no record " + name + " in " + view.Path());
    chosen.push_back(found);
  }
  return chosen;
}

// (outcome, [dict per record] or None); None with a failed outcome when the
// file cannot be read or changed while it was read.
py::tuple Stats(const std::string& fileName, const std::optional<std::vector<std::string>>& names) {
  Outcome why;
  auto view = OpenChecked(fileName, &why);
  if (!view) return py::make_tuple(OutcomeTuple(why), py::none());
  std::vector<RecordStats> figures;
  bool read = true;
  {
    const std::vector<const RecordView*> chosen = Chosen(*view, names);
    py::gil_scoped_release release;
    for (const RecordView* record : chosen) {
      std::optional<RecordStats> stats = StatsOf(*view, *record);
      if (!stats) {
        read = false;
        break;
      }
      figures.push_back(std::move(*stats));
    }
  }
  if (!read) return py::make_tuple(OutcomeTuple(ChangedWhileRead(*view)), py::none());
  py::list out;
  for (const RecordStats& stats : figures) out.append(StatsDict(stats));
  return py::make_tuple(OutcomeTuple(Outcome{}), out);
}

py::dict DiffDict(const PulseFileDiff& diff, double tolerance) {
  py::list fields, records;
  for (const FieldDifference& f : diff.fields) {
    py::dict d;
    d["where"] = f.where;
    d["field"] = f.label;
    d["first"] = Latin1(f.first);
    d["second"] = Latin1(f.second);
    fields.append(d);
  }
  for (const RecordComparison& r : diff.records) {
    py::dict d;
    d["record"] = r.name;
    d["first_samples"] = r.firstCount;
    d["second_samples"] = r.secondCount;
    d["differing"] = r.differing;
    d["first_index"] = r.firstIndex ? py::object(py::int_(*r.firstIndex)) : py::object(py::none());
    d["largest_difference"] = r.largest;
    records.append(d);
  }
  py::dict out;
  out["tolerance"] = tolerance;
  out["equal"] = diff.Equal();
  out["fields"] = fields;
  out["only_in_first"] = diff.onlyInFirst;
  out["only_in_second"] = diff.onlyInSecond;
  out["records"] = records;
  return out;
}

// (outcome, dict or None), as Stats.
py::tuple Diff(const std::string& first, const std::string& second, double tolerance) {
  Outcome why;
  auto a = OpenChecked(first, &why);
  if (!a) return py::make_tuple(OutcomeTuple(why), py::none());
  auto b = OpenChecked(second, &why);
  if (!b) return py::make_tuple(OutcomeTuple(why), py::none());
  std::optional<PulseFileDiff> diff;
  {
    py::gil_scoped_release release;
    diff = Compare(*a, *b, tolerance);
  }
  if (!diff)
    return py::make_tuple(OutcomeTuple(ChangedWhileRead(a->Changed() || !b->Changed() ? *a : *b)),
                          py::none());
  return py::make_tuple(OutcomeTuple(Outcome{}), DiffDict(*diff, tolerance));
}

}  // namespace

void BindAnalysis(py::module_& m) {
  m.def("stats", &Stats, py::arg("file_name"), py::arg("records") = py::none());
  m.def("diff", &Diff, py::arg("first"), py::arg("second"), py::arg("tolerance"));
}

}  // namespace orvane::python
