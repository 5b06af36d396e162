// The standard orientation: the molecule turned into the frame that the references of its group
// define.
#pragma once

#include <span>

#include "symmetry/group.hpp"
#include "symmetry/naming.hpp"
#include "symmetry/thresholds.hpp"

namespace symmetry {

// Builds the standard frame from the references and rotates the n atoms of coords (x, y, z per
// atom) into it unless every operation already looks the same there (within
// th.frame_agreement in every element); a rotation of coords is applied to turn as well
// (follow_turn). Status ok; conflicting_references; degenerate_reference when the reference axis
// has no part perpendicular to z; the status of e1e2e3 when no reference completes the frame.
Status adjust1(const Group& group, std::span<const Axis> axes, std::span<double> coords, int n,
               const References& refs, const Thresholds& th, Operation& turn);

} // namespace symmetry
