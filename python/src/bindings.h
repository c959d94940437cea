// The parts of the _orvane extension, each registered by its own function,
// and what they share: engine text as Python str, outcomes as tuples, and
// record kinds by their letter.
#pragma once

#include <pybind11/pybind11.h>

#include <string>

#include "orvane/format.h"
#include "orvane/messages.h"

namespace orvane::python {

void BindDescriptions(pybind11::module_& m);
void BindMapping(pybind11::module_& m);
void BindWriter(pybind11::module_& m);
void BindServices(pybind11::module_& m);
void BindTextImport(pybind11::module_& m);
void BindAnalysis(pybind11::module_& m);
void BindMend(pybind11::module_& m);

// Engine text (messages, paths) as a Python str the way Python decodes file
// names, so a path in a message that is not valid UTF-8 still round-trips.
inline pybind11::str FsText(const std::string& s) {
  return pybind11::reinterpret_steal<pybind11::str>(
      PyUnicode_DecodeFSDefaultAndSize(s.data(), static_cast<Py_ssize_t>(s.size())));
}

// An outcome as the package's _errors.Outcome takes it: (code, message,
// reason, path, error). Exceptions are chosen from these fields, so every
// one of them crosses over, never the message alone.
inline pybind11::tuple OutcomeTuple(const Outcome& o) {
  return pybind11::make_tuple(static_cast<int>(o.code), FsText(o.message), FsText(o.reason), FsText(o.path),
                              o.error);
}

// The record kind of a letter ('T', 'R', 'I'); ValueError for any other.
RecordType RecordTypeOf(char letter);
// The numpy dtype of a sample type as stored: "<i2" or "<f4".
const char* SampleDtype(SampleType type);

}  // namespace orvane::python
