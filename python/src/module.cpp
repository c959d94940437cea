// The _orvane extension: the engine's public API for the orvane package.
#include "bindings.h"
#include "orvane/mapped_read.h"

PYBIND11_MODULE(_orvane, m) {
  m.doc() = "Pulse files through the Orvane engine (use the orvane package)";
  // Installed at import, before any handler a program may add later, which
  // then passes faults of guarded reads on to it.
  orvane::InstallMappedReadGuard();
  orvane::python::BindDescriptions(m);
  orvane::python::BindMapping(m);
  orvane::python::BindWriter(m);
  orvane::python::BindServices(m);
  orvane::python::BindTextImport(m);
  orvane::python::BindAnalysis(m);
  orvane::python::BindMend(m);
}
