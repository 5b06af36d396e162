// Snapping: operation elements that lie within the tolerance of an exact value of the point
// groups' matrices (0, 1, 1/2, cos 30, cos 36, cos 72, either sign) are moved onto it.
#pragma once

#include <span>

#include "symmetry/operations.hpp"

namespace symmetry {

// v moved onto 0, +-1, +-0.5, +-cos 30, +-cos 36 or +-cos 72 when within t (strictly) of it,
// tested in that order; otherwise v unchanged.
double snap(double v, double t);

// Snaps operations 2 .. count of ops (operation 1 is the exact identity).
void snap_operations(std::span<Operation> ops, int count, double t);

} // namespace symmetry
