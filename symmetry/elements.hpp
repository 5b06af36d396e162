// The symmetry elements of a closed group: its operations reduced to one entry per rotation axis,
// mirror plane, improper axis and inversion centre.
#pragma once

#include <span>
#include <vector>

#include "symmetry/operations.hpp"
#include "symmetry/status.hpp"
#include "symmetry/thresholds.hpp"

namespace symmetry {

enum class ElementKind {
  rotation_axis,   // Cn
  mirror_plane,    // a reflection
  improper_axis,   // Sn, n >= 3: a turn by 360 / n degrees and the reflection perpendicular to it
  inversion_centre // at the origin of the frame
};

// One element of a group.
struct SymmetryElement {
  ElementKind kind = ElementKind::rotation_axis;
  // A rotation axis: its highest proper order; an improper axis: its highest order n of Sn;
  // 0 for a plane and for the centre, which are no axes.
  int order = 0;
  // The unit axis, or the plane's unit normal, in the frame of the operations (its sign as the
  // classification found it); zero for the centre.
  Axis direction{};

  friend bool operator==(const SymmetryElement&, const SymmetryElement&) = default;
};

// The elements of the closed group ops[0 .. count - 1], classified as the search classifies its
// operations (syminv and analys) and met in the order of the operations: one entry per direction
// (parallel within th.group) and kind. The identity is no element. The fixed operations of the
// linear groups give the elements of their finite stand-in (the axes and planes of D2h or C2v).
// Writes no record. Status ok (an operation of no order collapses the group and leaves no
// elements), or the status of syminv or analys when the operations could not be classified
// (elements then empty).
Status find_elements(int count, std::span<const Operation> ops, const Thresholds& th,
                     std::vector<SymmetryElement>& elements);

} // namespace symmetry
