// Force-field energy (kcal/mol) and its analytic gradient (kcal/mol/Angstrom) for coordinates in
// Angstrom: stretch, bend, torsion, out-of-plane and van der Waals terms.
#pragma once

#include <span>

#include "kelma/workspace.hpp"

namespace kelma {

// Distances below this (Angstrom) are taken as this in the energy routines, so that atoms that
// fall onto each other give large but finite terms instead of a division by zero.
inline constexpr double min_distance = 1.0e-6;

// Distance between atoms i and j (1-based) of xyz.
double atom_distance(std::span<const double> xyz, int i, int j);

// The energy only; recomputes ff.dist. With print > 2 the energy block goes to the listing.
double ffener(int natoms, double vdwc, int print, std::span<const double> xyz,
              std::span<const int> itype, std::span<const int> conn, ForceFieldArrays& ff);

// The energy and its gradient in grad (3 x natoms); recomputes ff.dist. With print > 2 the energy
// block goes to the listing.
double ffegrad(int natoms, double vdwc, int print, std::span<const double> xyz,
               std::span<const int> itype, std::span<const int> conn, ForceFieldArrays& ff,
               std::span<double> grad);

} // namespace kelma
