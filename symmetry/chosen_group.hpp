// Symmetrising to a group the caller chooses: the group a run found or one of its subgroups,
// picked by an axis or plane where several of that kind exist, in its own standard frame.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "symmetry/input.hpp"
#include "symmetry/result.hpp"

namespace symmetry {

struct ChosenGroup {
  // Why the group cannot be had ("c3v is no subgroup of c2v: ..."); empty when result holds it.
  std::string refusal;
  // The atoms as given, symmetrised to the chosen group in its standard frame, with its label,
  // operations, equivalent atoms, elements, degrees of freedom and deviation (frame from the
  // atoms as given, as for a run).
  SymmetryResult result;
  // How many subgroups of that label the found group has (the one taken among them).
  int choices = 0;
};

// The atoms of input (as given, before centring) symmetrised to the group named label, which
// must be found's group (run_symmetry_on_input's result on the same input) or a subgroup of it.
// Where the found group has several subgroups of that label, along (a direction in the frame of
// found, as its elements give them) picks the one with an axis or a plane normal along it;
// without it, the one that keeps most of found's frame: a rotation axis of the highest order along
// z, then elements along z, x and y. Refused: a label that names no point group, one that is no
// subgroup of found's group, and a direction along which none of them has an element.
ChosenGroup symmetrise_to(const SymmetryInput& input, const SymmetryResult& found,
                          std::string_view label, const std::optional<Axis>& along);

} // namespace symmetry
