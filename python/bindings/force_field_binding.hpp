// kelma's force field at any geometry, for calculators that drive their own optimisers or
// dynamics: set up once from a molecule's geometry, as kelma sets it up at its first cycle, then
// the energy and its analytic gradient wherever asked, from kelma's own routines.
#pragma once

#include <pybind11/pybind11.h>

namespace bindings {

void add_force_field(pybind11::module_& module);

} // namespace bindings
