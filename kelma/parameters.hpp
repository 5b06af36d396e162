// Tripos 5.2 atom types and parameters: the built-in tables, the look-ups with their fallbacks,
// and the one-time set-up of all force-field arrays.
#pragma once

#include <span>

#include "kelma/workspace.hpp"

namespace kelma {

// One-time set-up from the starting geometry (Angstrom): types below 1 become 32 in itype, then
// the distances, ffpair, ffbend and fftors, in that order, and the parameter listing when
// print > 3.
void ffsetup(int natoms, int maxbend, int maxtors, int print, std::span<const double> xyz,
             std::span<int> itype, std::span<const int> conn, ForceFieldArrays& ff);

}  // namespace kelma
