// Molecules from chemistry files and SMILES through the tools' formats layer (Open Babel), typed
// and bonded as ffprep prepares them.
#pragma once

#include <pybind11/pybind11.h>

namespace bindings {

void add_formats(pybind11::module_& module);

} // namespace bindings
