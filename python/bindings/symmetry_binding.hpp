// symmetry in process: the point-group analysis on arrays, and symmetry's reader of the keyword
// input.
#pragma once

#include <string>
#include <vector>

#include <pybind11/pybind11.h>

#include "arrays.hpp"
#include "molecule_calls.hpp"
#include "symmetry/input.hpp"
#include "symmetry/result.hpp"

namespace bindings {

void add_symmetry(pybind11::module_& module);

// The fields of a result: label, operations, equivalent_atoms, coordinates, centre, rotation,
// elements, degrees_of_freedom, fallback and deviation.
void add_result_fields(pybind11::dict& fields, const symmetry::SymmetryResult& result, int natoms);

// The fields of a symmetry call as point_group returns them: "stdout", "listing", "stop" and,
// unless it stopped, those of its result.
pybind11::dict symmetry_fields(const SymmetryCall& call);

// A deviation as a dict: rms, largest, image, csm and constraints.
pybind11::dict deviation_fields(const symmetry::Deviation& deviation);

} // namespace bindings
