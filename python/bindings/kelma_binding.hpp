// kelma in process: the optimiser on arrays, and kelma's reader of the keyword input.
#pragma once

#include <pybind11/pybind11.h>

#include "molecule_calls.hpp"

namespace bindings {

// The fields of a kelma call as optimise returns them: "stdout", "listing", "stop", the cycle
// figures ("cycles", "line_search", "cycle_count"), "converged" and the final "coordinates".
pybind11::dict kelma_fields(const KelmaCall& call);

void add_kelma(pybind11::module_& module);

} // namespace bindings
