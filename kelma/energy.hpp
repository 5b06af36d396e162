// Force-field energy (kcal/mol) and its analytic gradient (kcal/mol/Angstrom) for coordinates in
// Angstrom: stretch, bend, torsion, out-of-plane and van der Waals terms.
#pragma once

#include <span>

#include "kelma/workspace.hpp"

namespace kelma {

// The energy only; recomputes ff.dist.
double ffener(int natoms, double vdwc, int print, std::span<const double> xyz,
              std::span<const int> itype, std::span<const int> conn, ForceFieldArrays& ff);

// The energy and its gradient in grad (3 x natoms); recomputes ff.dist.
double ffegrad(int natoms, double vdwc, int print, std::span<const double> xyz,
               std::span<const int> itype, std::span<const int> conn, ForceFieldArrays& ff,
               std::span<double> grad);

}  // namespace kelma
