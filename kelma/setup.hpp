// The one-time set-up of the force-field arrays from the starting geometry, and their listing.
#pragma once

#include <span>

#include "common/run_context.hpp"
#include "kelma/workspace.hpp"

namespace kelma {

// One-time set-up from the starting geometry (Angstrom): types below 1 become 32 in itype, then
// the distances, ffpair, ffbend and fftors, in that order, and the parameter listing on the
// listing of run when print > 3. Types above 32 must have been rejected; the lists of ff must
// hold maxbend and maxtors entries.
void ffsetup(common::RunContext& run, int natoms, int maxbend, int maxtors, int print,
             std::span<const double> xyz, std::span<int> itype, std::span<const int> conn,
             ForceFieldArrays& ff);

} // namespace kelma
