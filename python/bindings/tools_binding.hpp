// The tools' vocabularies, so that the package says what the tools say: the defaults of the job
// options, the automatic cycle limit, the time limit per molecule, the number of workers, the
// outcome words of status.tsv and the data fields of a result molecule.
#pragma once

#include <pybind11/pybind11.h>

namespace bindings {

void add_tools(pybind11::module_& module);

} // namespace bindings
