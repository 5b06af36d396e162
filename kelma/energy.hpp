// Force-field energy (kcal/mol) and its analytic gradient (kcal/mol/Angstrom) for coordinates in
// Angstrom: stretch, bend, torsion, out-of-plane and van der Waals terms.
#pragma once

#include <cmath>
#include <cstddef>
#include <span>

#include "common/run_context.hpp"
#include "kelma/workspace.hpp"

namespace kelma {

// Distances below this (Angstrom) are taken as this in the energy routines, so that atoms that
// fall onto each other give large but finite terms instead of a division by zero.
inline constexpr double min_distance = 1.0e-6;

// Distance between atoms i and j (1-based) of xyz. Inline: the distance matrix of every
// evaluation takes it n (n - 1) / 2 times.
inline double atom_distance(std::span<const double> xyz, int i, int j) {
  const double* a = xyz.data() + 3 * static_cast<std::size_t>(i - 1);
  const double* b = xyz.data() + 3 * static_cast<std::size_t>(j - 1);
  const double dx = b[0] - a[0];
  const double dy = b[1] - a[1];
  const double dz = b[2] - a[2];
  return std::sqrt(dx * dx + dy * dy + dz * dz);
}

// The energy block of every evaluation is listed above this print level.
inline constexpr int energy_listing_print = 2;

// The five partial sums of one evaluation (the bonded ones halved) and their total, kcal/mol.
struct EnergyTerms {
  double stretch = 0.0;
  double bend = 0.0;
  double oop = 0.0;
  double torsion = 0.0;
  double vdw = 0.0;
  double total = 0.0;
};

// The energy only; recomputes ff.dist. With print > 2 the energy block goes to the listing of run.
double ffener(common::RunContext& run, int natoms, double vdwc, int print,
              std::span<const double> xyz, std::span<const int> itype, std::span<const int> conn,
              ForceFieldArrays& ff);

// The energy and its gradient in grad (3 x natoms); recomputes ff.dist. With print > 2 the energy
// block goes to the listing of run.
double ffegrad(common::RunContext& run, int natoms, double vdwc, int print,
               std::span<const double> xyz, std::span<const int> itype, std::span<const int> conn,
               ForceFieldArrays& ff, std::span<double> grad);

// One evaluation of the energy and its gradient (grad is cleared first) that reads only the
// set-up arrays of ff and writes only dist (natoms x natoms) and grad, so that several threads can
// evaluate at once, each with its own dist and grad. Lists nothing.
EnergyTerms gradient_terms(int natoms, double vdwc, std::span<const double> xyz,
                           std::span<const int> itype, std::span<const int> conn,
                           const ForceFieldArrays& ff, std::span<double> dist,
                           std::span<double> grad);

// The energy block of one evaluation on the listing.
void write_energy_block(common::RunContext& run, const EnergyTerms& e);

} // namespace kelma
