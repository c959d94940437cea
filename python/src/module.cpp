// The _orvane extension: the engine's public API for the orvane package.
#include "bindings.h"

PYBIND11_MODULE(_orvane, m) {
  m.doc() = "Pulse files through the Orvane engine (use the orvane package)";
  orvane::python::BindDescriptions(m);
  orvane::python::BindMapping(m);
  orvane::python::BindWriter(m);
  orvane::python::BindServices(m);
}
