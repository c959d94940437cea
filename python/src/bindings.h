// The parts of the _orvane extension, each registered by its own function.
#pragma once

#include <pybind11/pybind11.h>

namespace orvane::python {

void BindMapping(pybind11::module_& m);
void BindWriter(pybind11::module_& m);
void BindServices(pybind11::module_& m);

}  // namespace orvane::python
