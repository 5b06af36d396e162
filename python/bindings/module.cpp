// The extension module kelma_symmetry._core: the programs and the formats layer in process. The
// package's Python files turn its plain results into result objects and exceptions.
#include <exception>

#include <pybind11/pybind11.h>

#include "batch_binding.hpp"
#include "common/keyword_input.hpp"
#include "common/termination.hpp"
#include "force_field_binding.hpp"
#include "formats_binding.hpp"
#include "group_fit_binding.hpp"
#include "kelma_binding.hpp"
#include "symmetry_binding.hpp"
#include "text.hpp"
#include "tools/core/tool_error.hpp"
#include "tools_binding.hpp"

namespace py = pybind11;

PYBIND11_MODULE(_core, module) {
  module.doc() = "kelma and symmetry in process";
  // Input that the programs' readers reject, and files the formats layer cannot take. Their texts
  // may quote the file, so they are decoded as the file's texts are.
  static const py::exception<common::InputError> input_error(module, "InputError",
                                                             PyExc_ValueError);
  static const py::exception<tools::ToolError> format_error(module, "FormatError",
                                                            PyExc_ValueError);
  // pybind11 takes a plain function of an exception_ptr by value, so the lambda cannot take a
  // reference.
  // NOLINTNEXTLINE(performance-unnecessary-value-param)
  py::register_exception_translator([](std::exception_ptr raised) {
    try {
      if (raised)
        std::rethrow_exception(raised);
    } catch (const common::InputError& e) {
      PyErr_SetObject(input_error.ptr(), bindings::text(e.what()).ptr());
    } catch (const tools::ToolError& e) {
      PyErr_SetObject(format_error.ptr(), bindings::text(e.what()).ptr());
    }
  });
  module.def(
      "check_atom_count", [](int natoms) { common::check_atom_count(natoms, common::max_atoms); },
      py::arg("natoms"), "The programs' refusal of an atom count outside 1 to 500.");
  bindings::add_kelma(module);
  bindings::add_symmetry(module);
  bindings::add_formats(module);
  bindings::add_group_fit(module);
  bindings::add_batch(module);
  bindings::add_force_field(module);
  bindings::add_tools(module);
}
