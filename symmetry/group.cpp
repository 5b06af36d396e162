#include "symmetry/group.hpp"

#include <algorithm>

#include "symmetry/linear_algebra.hpp"
#include "symmetry/status.hpp"
#include "symmetry/symmetrise.hpp"

namespace symmetry {

namespace {

bool in_group(const Operation& g, const Group& group, int n) {
  for (int k = 0; k < n; ++k) {
    if (dif(g.data(), group.ops[k].data(), 9) < group.tolerance)
      return true;
  }
  return false;
}

// Appends the coset g op_j, j = 1 .. h, as coset number c. False when the list is full.
bool append_coset(const Operation& g, int c, Group& group) {
  const int h = group.order;
  for (int j = 0; j < h; ++j) {
    if (group.count == max_operations)
      return false;
    ++group.count;
    mult3(g, group.ops[j], group.ops[c * h + j]);
  }
  return true;
}

// The first product op_i op_(m h + 1), m = 1 .. c - 1, that is not yet in the list.
bool new_representative(const Group& group, int c, Operation& g) {
  const int h = group.order;
  for (int i = 0; i < group.count; ++i) {
    for (int m = 1; m < c; ++m) {
      mult3(group.ops[i], group.ops[m * h], g);
      if (!in_group(g, group, group.count))
        return true;
    }
  }
  return false;
}

// Every operation from the given one on carries the group's atoms onto like atoms.
bool maps_atoms(const Group& group, int first) {
  const MappedAtoms& a = group.atoms;
  for (int k = first; k < group.count && a.natoms > 0; ++k) {
    if (!permutes_atoms(group.ops[k], a.natoms, a.positions, a.symbols, a.tolerance, a.by_x,
                        a.scratch))
      return false;
  }
  return true;
}

} // namespace

void SearchSignals::note(Status s) {
  switch (s) {
  case Status::closure_overflow:
    overflow = true;
    break;
  case Status::closure_wrong_image:
  case Status::wrong_principal:
    wrong_image = true;
    break;
  case Status::no_inverse:
    no_inverse = true;
    break;
  case Status::no_order:
    no_order = true;
    break;
  case Status::unknown_group:
    unknown_group = true;
    break;
  default:
    break;
  }
}

SearchSignals& SearchSignals::operator|=(const SearchSignals& other) {
  overflow = overflow || other.overflow;
  no_inverse = no_inverse || other.no_inverse;
  no_order = no_order || other.no_order;
  unknown_group = unknown_group || other.unknown_group;
  wrong_image = wrong_image || other.wrong_image;
  return *this;
}

Group make_group(const Thresholds& th) {
  Group group;
  group.ops[0] = identity_operation;
  group.tolerance = th.group;
  return group;
}

Status grpgrp(const Operation& g, Group& group) {
  group.count = group.order;
  if (in_group(g, group, group.order))
    return Status::ok;
  // Each new representative starts a whole coset; products of list members with the coset
  // representatives are the only candidates for the next one.
  Operation representative = g;
  for (int c = 1;; ++c) {
    if (!append_coset(representative, c, group))
      return Status::closure_overflow;
    if (!new_representative(group, c + 1, representative))
      break;
  }
  // A product of elements that each hold within the tolerance can still miss the atoms (noise
  // tilts them the wrong way): such a closure is no symmetry of the molecule.
  if (!maps_atoms(group, group.order))
    return Status::closure_wrong_image;
  return Status::ok;
}

Status syminv(Group& group, std::span<int> inverse) {
  std::fill(inverse.begin(), inverse.end(), 0);
  for (int k = 0; k < group.count; ++k) {
    const Operation r_transpose = transpose(group.ops[k]);
    for (int l = 0; l < group.count; ++l) {
      if (dif(r_transpose.data(), group.ops[l].data(), 9) <= group.tolerance) {
        inverse[k] = l + 1;
        break;
      }
    }
    if (inverse[k] == 0)
      return Status::no_inverse;
  }
  return Status::ok;
}

} // namespace symmetry
