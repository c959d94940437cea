// The parts of the _orvane extension, each registered by its own function.
#pragma once

#include <pybind11/pybind11.h>

#include <string>

namespace orvane::python {

void BindMapping(pybind11::module_& m);
void BindWriter(pybind11::module_& m);
void BindServices(pybind11::module_& m);

// Engine text (messages, paths) as a Python str the way Python decodes file
// names, so a path in a message that is not valid UTF-8 still round-trips.
inline pybind11::str FsText(const std::string& s) {
  return pybind11::reinterpret_steal<pybind11::str>(
      PyUnicode_DecodeFSDefaultAndSize(s.data(), static_cast<Py_ssize_t>(s.size())));
}

}  // namespace orvane::python
