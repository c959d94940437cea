// orvane.write's way into the engine's pulse file writer: the headers as
// bytes and the samples straight from the numpy buffers, without a copy,
// with the GIL released while the engine lays out, seals and writes the
// file. The engine decides everything about the file; the outcome goes
// back whole for the package to raise from.
#include <pybind11/stl.h>

#include <span>
#include <string>
#include <vector>

#include "bindings.h"
#include "orvane/pulse_file_writer.h"

namespace py = pybind11;

namespace orvane::python {

namespace {

std::span<const uint8_t> BytesOf(const std::string& s) {
  return {reinterpret_cast<const uint8_t*>(s.data()), s.size()};
}

// One record as Python handed it over. The buffer stays requested (and so
// the array alive and unmoved) until the write is over.
struct HeldRecord {
  RecordType type;
  std::string header;
  py::buffer_info samples;
};

// item: (letter, header bytes, samples buffer). The samples are taken as
// they lie in memory, so they must be one contiguous run of whole samples.
HeldRecord Hold(const py::handle item) {
  const auto t = item.cast<py::tuple>();
  const auto letter = t[0].cast<std::string>();
  if (letter.size() != 1) throw py::value_error("record kind must be 'T', 'R' or 'I'");
  HeldRecord r{RecordTypeOf(letter[0]), t[1].cast<std::string>(), t[2].cast<py::buffer>().request()};
  if (r.samples.ndim != 1 || (r.samples.size > 1 && r.samples.strides[0] != r.samples.itemsize))
    throw py::type_error("samples must be a contiguous one-dimensional array");
  if (r.samples.itemsize != static_cast<py::ssize_t>(DescribeRecord(r.type).sampleBytes))
    throw py::type_error(std::string("samples of a ") + letter + " record must be " +
                         SampleDtype(DescribeRecord(r.type).sample));
  return r;
}

// Writes path; records are (letter, header bytes, samples) of any kinds,
// each kind's in order. Returns the engine's outcome.
py::tuple WriteFile(const std::string& path, const std::string& header, const py::list& records) {
  std::vector<HeldRecord> held;
  held.reserve(records.size());
  for (const py::handle item : records) held.push_back(Hold(item));
  std::vector<RecordToWrite> toWrite;
  toWrite.reserve(held.size());
  for (const HeldRecord& r : held)
    toWrite.push_back({r.type,
                       BytesOf(r.header),
                       {static_cast<const uint8_t*>(r.samples.ptr),
                        static_cast<size_t>(r.samples.size * r.samples.itemsize)}});
  Outcome outcome;
  {
    py::gil_scoped_release release;
    outcome = WritePulseFile(path, BytesOf(header), toWrite);
  }
  return OutcomeTuple(outcome);
}

}  // namespace

void BindWriter(py::module_& m) {
  m.def("write_file", &WriteFile, py::arg("path"), py::arg("header"), py::arg("records"));
}

}  // namespace orvane::python
