// symmetry in process: the point-group analysis on arrays, and symmetry's reader of the keyword
// input.
#pragma once

#include <pybind11/pybind11.h>

namespace bindings {

void add_symmetry(pybind11::module_& module);

} // namespace bindings
