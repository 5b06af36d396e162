// The extension module kelma_symmetry._core: the programs and the formats layer in process. The
// package's Python files turn its plain results into result objects and exceptions.
#include <pybind11/pybind11.h>

#include "common/termination.hpp"
#include "formats_binding.hpp"
#include "kelma_binding.hpp"
#include "symmetry_binding.hpp"
#include "tools/text.hpp"

namespace py = pybind11;

PYBIND11_MODULE(_core, module) {
  module.doc() = "kelma and symmetry in process";
  // Input that the programs' readers reject, and files the formats layer cannot take.
  py::register_exception<common::InputError>(module, "InputError", PyExc_ValueError);
  py::register_exception<tools::ToolError>(module, "FormatError", PyExc_ValueError);
  bindings::add_kelma(module);
  bindings::add_symmetry(module);
  bindings::add_formats(module);
}
