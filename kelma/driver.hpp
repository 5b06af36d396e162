// The kelma main routine: reads the keyword input, sizes the workspace and runs the optimiser.
// Everything a run writes goes to the units of the run context its caller hands in; the
// workspace and the force field's counts belong to the run.
#pragma once

#include <string_view>

#include "common/keyword_input.hpp"
#include "common/run_context.hpp"
#include "kelma/input.hpp"
#include "kelma/result.hpp"

namespace kelma {

// The banner of kelma's numbered reports and of their STOP line.
inline constexpr std::string_view termination_banner = "*** KELMA Error Termination ***";

// One whole run on the keyword input that deck reads. The listing is opened as "debug" before
// the input is read, so that a numbered report of the input goes there too.
void run_kelma_from_deck(common::RunContext& run, common::InputDeck& deck);

// The run after the input is read: checks the geometry, sizes the workspace and optimises;
// in.xyz ends as the converged geometry (the cycle limit leaves it as the optimiser stopped).
// The listing goes where the caller has put it; at print > 0 it is closed at the end.
void run_kelma_on_input(common::RunContext& run, KelmaInput& in);

// The library call: the same runs, writing the same records on the units of run (none when run
// keeps no records), and returning the result. The stops of the run's own (numbered report,
// workspace check, cycle limit) end in the result's outcome instead of a RunStop, and their STOP
// line is left to the caller; input that cannot be read still throws common::InputError.
KelmaResult optimise(common::RunContext& run, KelmaInput& in);
KelmaResult optimise(common::RunContext& run, common::InputDeck& deck);

} // namespace kelma
