// kelma in process: the optimiser on arrays, and kelma's reader of the keyword input.
#pragma once

#include <pybind11/pybind11.h>

namespace bindings {

void add_kelma(pybind11::module_& module);

} // namespace bindings
