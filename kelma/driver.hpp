// The kelma main routine: reads the keyword input, sizes the workspace and runs the optimiser.
#pragma once

#include "common/keyword_input.hpp"
#include "kelma/input.hpp"

namespace kelma {

// One whole run on the keyword input that deck reads. The listing is opened as "debug" before
// the input is read, so that a numbered report of the input goes there too.
void run_kelma(common::InputDeck& deck);

// The run after the input is read: checks the geometry, sizes the workspace and optimises;
// in.xyz ends as the converged geometry (the cycle limit leaves it as the optimiser stopped).
// The listing goes where the caller has put it; at print > 0 it is closed at the end.
void run_kelma(KelmaInput& in);

} // namespace kelma
