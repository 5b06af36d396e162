// The subgroups of a closed group of operations: found from its multiplication table as sets of
// its operations, and named as the search names a group.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "symmetry/elements.hpp"
#include "symmetry/naming.hpp"
#include "symmetry/operations.hpp"
#include "symmetry/thresholds.hpp"

namespace symmetry {

// The order of the group a label names ("c2v" or "c2v ", either case: 4), 0 for a text that names
// no point group. The linear labels "c*v" and "d*h" name the finite groups that stand in for them
// (4 and 8 operations).
int label_order(std::string_view label);

// A label as the program writes it: lower case, padded to 4 characters ("C2v" gives "c2v ").
std::string program_label(std::string_view label);

// One subgroup, named.
struct Subgroup {
  std::vector<int> members; // 0-based operation numbers of the group, increasing (0 first)
  std::string label;        // 4 characters, as ggroup names it; "????" when no rule fits
  std::vector<SymmetryElement> elements;
  // The frame of the subgroup as the naming defines it: the classification's axes and the
  // references of the standard orientation.
  std::vector<Axis> axes;
  References refs;
};

// Every subgroup of order `order` of the closed group ops[0 .. count - 1], named, in the order
// they are met (from the cyclic subgroups of the operations in their order, each grown by the
// operations in their order). The group's own linear label (linear_label, "c*v " or "d*h ", empty
// otherwise) names the whole set, and "c*v " names the polar half of a "d*h " set.
std::vector<Subgroup> subgroups_of_order(int count, std::span<const Operation> ops, int order,
                                         const Thresholds& th, std::string_view linear_label);

} // namespace symmetry
