// Refitting of accepted generators on noisy coordinates: the axis of an element is replaced by the
// least-squares axis of the atom permutation it induces, so that the closure multiplies
// operations that agree with each other and not only with the atoms.
#pragma once

#include <span>

#include "common/run_context.hpp"
#include "symmetry/operations.hpp"
#include "symmetry/shells.hpp"
#include "symmetry/thresholds.hpp"

namespace symmetry {

// An accepted element as a generator: its matrix and the unit axis (plane normal) it stands on,
// with what rebuilds the matrix from an axis: gencn with angle and sigma, or gencs for a plane.
struct Generator {
  Operation r{};
  Axis axis{};
  double angle = 0.0;
  double sigma = 1.0;
  bool plane = false;
};

// Refits g on the shell-ordered atoms. The image of every atom under g.r must be a distinct atom
// of its shell (the nearest within th.thrsym); the least-squares rotation of the atoms onto their
// images (Horn's quaternion method; an improper g.r as minus a proper one) gives the refined axis,
// turned the way of g.axis, and g is rebuilt on it with the same angle and sign. False, with g
// unchanged, when there is no such permutation or the refined axis strays from g.axis (dot product
// below th.min_axis_agreement). flags is scratch of one entry per atom. A warning of the
// diagonaliser goes on the listing of run.
bool fitax(common::RunContext& run, const ShellAtoms& atoms, const Thresholds& th,
           std::span<int> flags, Generator& g);

} // namespace symmetry
