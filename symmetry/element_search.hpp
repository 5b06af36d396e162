// The symmetry-element search: rotation axes (with the improper axes on them) and mirror planes,
// proposed from pairs of like atoms, tested against every atom, and closed into the group as soon
// as they are accepted.
#pragma once

#include <span>

#include "common/run_context.hpp"
#include "symmetry/group.hpp"
#include "symmetry/shells.hpp"
#include "symmetry/status.hpp"
#include "symmetry/thresholds.hpp"

namespace symmetry {

// The highest order of rotation axis the search proposes.
inline constexpr int max_axis_order = 10;

// Axis slot codes: 0 lone-atom direction, n (2 .. 10) an n-fold axis, -4 and -2n the improper
// axes S4 and S2n, -1 a mirror plane (the direction is its normal).
inline constexpr int code_lone_atom = 0;
inline constexpr int code_plane = -1;

// One slot per accepted element: its unit direction and its code.
struct AxisSlots {
  std::span<Axis> axes;
  std::span<int> codes;
};

// The cosine and sine of a turn by phi, taken once for all the atoms that one step of a candidate
// turns by it.
struct Turn {
  double c;
  double s;
};
Turn turn_by(double phi);

// y = x rotated by the turn about e3 (rotc), or rotated and reflected through the plane
// perpendicular to e3 (rots); the point is expressed in the frame e1, e2, e3.
void rotc(const double* e1, const double* e2, const double* e3, const double* x, double* y,
          const Turn& turn);
void rots(const double* e1, const double* e2, const double* e3, const double* x, double* y,
          const Turn& turn);

// y = x - 2 ((x - p).n) n: the mirror image through the plane through p with unit normal n.
void rotcs(const double* p, const double* n, const double* x, double* y);

// First atom (1-based) whose centre distance is below centre_distance, 0 when none.
int ionc(std::span<const double> distances, int natoms, double centre_distance);

// A candidate whose closure fails is dropped: the search writes the warning of the closure's
// status on the listing of run, notes it in group.signals and goes on.

// Rotation axes: adds every accepted axis to the group. An atom alone in its shell fixes the
// direction of every axis unless it lies within th.thrsym of the centre. With refit, every
// accepted generator is refitted (fitax) before it is closed into the group. Returns the status
// (ok; no_pair when no pair of like atoms was examined; coincident_atoms; the status of e1e2e3)
// and the number of filled slots in axis_count. flags is scratch of one entry per atom.
Status cnsrch(common::RunContext& run, const ShellAtoms& atoms, Group& group,
              const AxisSlots& slots, std::span<int> flags, int centre_atom, const Thresholds& th,
              bool refit, int& axis_count);

// Mirror planes: adds every accepted plane to the group (refitted first with refit); stops after
// three planes. Returns the status (ok, or empty_shell) and the number of filled slots in
// plane_count.
Status cssrch(common::RunContext& run, const ShellAtoms& atoms, Group& group,
              const AxisSlots& slots, std::span<int> flags, const Thresholds& th, bool refit,
              int& plane_count);

} // namespace symmetry
