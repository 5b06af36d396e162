// How well a molecule fits its group, in process: the tolerance scan, symmetrising to a chosen
// group and the weighing of groups that hold at a loose tolerance.
#pragma once

#include <pybind11/pybind11.h>

namespace bindings {

void add_group_fit(pybind11::module_& module);

} // namespace bindings
