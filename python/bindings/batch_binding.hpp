// Batches of molecules: requests made from files, texts, arrays or refusals, run on isolated
// worker processes (tools' IsolatedPool, forked from the calling thread only) with a time limit
// per request, and the answers turned into the fields of the single calls.
#pragma once

#include <pybind11/pybind11.h>

namespace bindings {

void add_batch(pybind11::module_& module);

} // namespace bindings
