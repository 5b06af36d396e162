// symmetry in process: the point-group analysis on arrays, and symmetry's reader of the keyword
// input.
#pragma once

#include <pybind11/pybind11.h>

#include "molecule_calls.hpp"

namespace bindings {

// The fields of a symmetry call as point_group returns them: "stdout", "listing", "stop" and,
// unless it stopped, the group, its operations, elements and frame and the symmetrised atoms.
pybind11::dict symmetry_fields(const SymmetryCall& call);

void add_symmetry(pybind11::module_& module);

} // namespace bindings
