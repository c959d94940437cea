// A read-only mapped pulse file for Python: header bytes, record headers and
// samples as numpy arrays that point into the mapping. Every array holds the
// view's shared pointer in a capsule, so the mapping lives until the last
// array that points into it is gone.
#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <cstring>
#include <memory>
#include <optional>

#include "bindings.h"
#include "orvane/lock_wait.h"
#include "orvane/mapped_read.h"
#include "orvane/pulse_file_view.h"

namespace py = pybind11;

namespace orvane::python {

namespace {

using ViewPtr = std::shared_ptr<const PulseFileView>;

py::capsule KeepAlive(const ViewPtr& view) {
  return py::capsule(new ViewPtr(view), [](void* p) { delete static_cast<ViewPtr*>(p); });
}

py::array ReadOnly(py::array a) {
  py::detail::array_proxy(a.ptr())->flags &= ~py::detail::npy_api::NPY_ARRAY_WRITEABLE_;
  return a;
}

// orvane.FileChangedError for a file cut short under its mapping.
[[noreturn]] void ThrowFileChanged(const PulseFileView& view) {
  py::object type = py::module_::import("orvane._errors").attr("FileChangedError");
  const std::string text =
      view.Path() + ": the file changed since it was opened (another program cut it short)";
  py::object error = type(FsText(text), py::none(), FsText(view.Path()));
  PyErr_SetObject(type.ptr(), error.ptr());
  throw py::error_already_set();
}

class Mapping {
 public:
  explicit Mapping(ViewPtr view) : view_(std::move(view)) {}

  // Bytes of the mapping, copied so that a file cut short by another
  // program raises instead of ending the interpreter with SIGBUS.
  py::bytes Copy(std::span<const uint8_t> bytes) const {
    std::string out(bytes.size(), '\0');
    if (!CopyMapped(out.data(), bytes.data(), bytes.size())) ThrowFileChanged(*view_);
    return py::bytes(out);
  }

  py::bytes HeaderBytes() const {
    auto bytes = view_->Bytes();
    return Copy(bytes.first(std::min<size_t>(bytes.size(), format::kFileHeader.size)));
  }
  size_t Count(char kind) const { return view_->Records(RecordTypeOf(kind)).size(); }
  const RecordView& Record(char kind, size_t n) const {
    auto records = view_->Records(RecordTypeOf(kind));
    if (n >= records.size()) throw py::index_error("record index out of range");
    return records[n];
  }
  py::bytes RecordHeader(char kind, size_t n) const { return Copy(Record(kind, n).header); }
  // The samples of a record: a read-only view into the mapping.
  py::array Samples(char kind, size_t n) const {
    const RecordView& r = Record(kind, n);
    const py::dtype dtype(SampleDtype(r.Info().sample));
    const auto count = static_cast<py::ssize_t>(r.SampleCount());
    const void* data = r.samples.data() ? static_cast<const void*>(r.samples.data()) : view_->Bytes().data();
    return ReadOnly(
        py::array(dtype, {count}, {static_cast<py::ssize_t>(r.Info().sampleBytes)}, data, KeepAlive(view_)));
  }
  // Every header of a kind, gathered into one (count, header size) array of
  // bytes; records whose header lies outside the file are zeros.
  py::array Headers(char kind) const {
    auto records = view_->Records(RecordTypeOf(kind));
    const size_t size = DescribeRecord(RecordTypeOf(kind)).header.size;
    py::array_t<uint8_t> out({static_cast<py::ssize_t>(records.size()), static_cast<py::ssize_t>(size)});
    uint8_t* dst = out.mutable_data();
    std::memset(dst, 0, records.size() * size);
    for (size_t k = 0; k < records.size(); ++k)
      if (!records[k].header.empty() && !CopyMapped(dst + k * size, records[k].header.data(), size))
        ThrowFileChanged(*view_);
    return out;
  }
  // Every problem of the file, the checksum's included: a file opened
  // without verifying has its words summed now.
  py::list Problems() const {
    std::optional<std::vector<StructureProblem>> problems;
    {
      py::gil_scoped_release release;
      problems = view_->CheckedProblems();
    }
    if (!problems) ThrowFileChanged(*view_);
    py::list out;
    for (const StructureProblem& p : *problems) {
      py::object name = py::none();
      if (p.record >= 0) name = py::str(view_->Records()[static_cast<size_t>(p.record)].Name());
      out.append(py::make_tuple(static_cast<int>(p.what.code), FsText(p.what.message), name));
    }
    return out;
  }
  py::tuple RecordInfo(char kind, size_t n) const {
    const RecordView& r = Record(kind, n);
    return py::make_tuple(r.offset, r.declaredSamples, r.complete, !r.header.empty());
  }
  uint64_t Length() const { return view_->Length(); }
  py::str Path() const { return FsText(view_->Path()); }

 private:
  ViewPtr view_;
};

// Opens path: (mapping or None, outcome), the outcome of the opening and
// its first problem.
// A wait of the opening for another program's lock, told on standard
// error after a second and given up on Ctrl-C (the opening thread, without
// the GIL, takes it for a moment every few milliseconds).
class PythonLockWait final : public LockWait {
 public:
  void Waiting(const std::string& path) override {
    py::gil_scoped_acquire gil;
    const std::string text =
        "orvane: waiting for another program to let go of " + path + " (Ctrl-C gives up)\n";
    PySys_FormatStderr("%U", FsText(text).ptr());
  }
  bool GiveUp() override {
    py::gil_scoped_acquire gil;
    if (PyErr_CheckSignals() == 0) return false;
    error_.emplace();
    return true;
  }
  void RaiseIfGivenUp() {
    if (error_) throw std::move(*error_);
  }

 private:
  std::optional<py::error_already_set> error_;
};

py::tuple OpenMapping(const std::string& path, bool verify) {
  Outcome why;
  ViewPtr view;
  PythonLockWait wait;
  {
    py::gil_scoped_release release;
    ScopedLockWait waiting(wait);
    view =
        PulseFileView::Open(path, verify ? PulseFileView::Verify::Full : PulseFileView::Verify::Trust, &why);
  }
  wait.RaiseIfGivenUp();
  if (!why.ok() && why.path.empty()) why.path = path;  // the one file it is about
  if (!view) return py::make_tuple(py::none(), OutcomeTuple(why));
  return py::make_tuple(Mapping(view), OutcomeTuple(why));
}

}  // namespace

void BindMapping(py::module_& m) {
  py::class_<Mapping>(m, "Mapping")
      .def("header_bytes", &Mapping::HeaderBytes)
      .def("count", &Mapping::Count)
      .def("record_header", &Mapping::RecordHeader)
      .def("samples", &Mapping::Samples)
      .def("headers", &Mapping::Headers)
      .def("problems", &Mapping::Problems)
      .def("record_info", &Mapping::RecordInfo)
      .def_property_readonly("length", &Mapping::Length)
      .def_property_readonly("path", &Mapping::Path);
  m.def("open_mapping", &OpenMapping, py::arg("path"), py::arg("verify") = true);
}

}  // namespace orvane::python
