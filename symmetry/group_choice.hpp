// Choosing between groups that hold at a loose tolerance: the search at the run's tolerance can
// name one group while a tighter search names another that holds as well. Of two nested groups
// the larger is the answer unless the coordinates it constrains beyond the smaller move the atoms
// far more than noise would (each moves them by about as much as each coordinate the smaller
// constrains); of groups that are not nested, the one whose symmetrisation moves the atoms less.
#pragma once

#include <string>
#include <vector>

#include "symmetry/input.hpp"
#include "symmetry/result.hpp"

namespace symmetry {

// A group that holds on the atoms at the run's tolerance, found by a search at `tolerance`.
struct HeldGroup {
  std::string label; // 4 characters
  int order = 0;
  double tolerance = 0.0;
  Deviation deviation;
};

struct GroupChoice {
  SymmetryResult chosen;
  double tolerance = 0.0; // the tolerance of the search that found the chosen group
  bool replaced = false;  // chosen is not the run's own answer
  // The other groups found that hold and are neither subgroups nor supergroups of chosen (the
  // run's own answer among them when it was replaced by a group that moves the atoms less).
  std::vector<HeldGroup> near;
};

// 0.1: an answer whose worst image lies within this share of the tolerance is sure and not
// weighed; and under the smaller of two nested groups every constrained coordinate is taken to
// move by at least this share of the tolerance, since a group that holds by the shape alone
// (three atoms always lie in a plane) tells nothing of the noise.
inline constexpr double sure_share = 0.1;

// 0.6: the tighter search runs at this share of the answer's worst image, where the answer no
// longer holds on every atom.
inline constexpr double tighter_share = 0.6;

// A group is broken against a subgroup when the mean squared displacement of the coordinates it
// constrains beyond the subgroup exceeds this many times that of the subgroup's own.
inline constexpr double broken_ratio = 10.0;

// Weighs answer (run_symmetry_on_input's result at input.thrsym) against the group that a search
// at the tighter tolerance finds on the same atoms (records kept nowhere): drops a group broken
// against a subgroup found, then a group inside another that is left, and takes the one that moves
// the atoms least of the rest.
GroupChoice choose_group(const SymmetryInput& input, const SymmetryResult& answer);

// True when every operation of b, brought into the frame of the atoms as given, lies within tol
// (dif) of an operation of a, also brought there: b is a subgroup of a on the same atoms.
bool contains_group(const SymmetryResult& a, const SymmetryResult& b, double tol);

// True when a, a group that contains b, is broken against it (broken_ratio) on n atoms searched
// at tolerance thrsym.
bool broken_against(const Deviation& a, const Deviation& b, int n, double thrsym);

} // namespace symmetry
