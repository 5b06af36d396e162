// Group closure and inverses: the operation list of one point-group search, kept a closed group.
#pragma once

#include <array>
#include <span>
#include <string>

#include "symmetry/operations.hpp"
#include "symmetry/status.hpp"
#include "symmetry/thresholds.hpp"
#include "symmetry/x_order.hpp"

namespace symmetry {

// Operation lists are indexed from 0; operation numbers (inverse list, principal operations) are
// 1-based with 0 meaning "none".

// The failures of a search pass that its final status does not carry: the element searches drop
// a candidate whose closure fails and go on, the classification collapses a group with an
// operation of no order and goes on, and a later search of the pass replaces the status of an
// earlier one. The routine that carries on past such a status notes it here; the driver reads the
// signals to decide on a refitting search.
struct SearchSignals {
  bool overflow = false;      // the closure would exceed 120 operations
  bool no_inverse = false;    // syminv found an operation without inverse
  bool no_order = false;      // an operation has no order below 100
  bool unknown_group = false; // no naming rule fits the operations
  bool wrong_image = false;   // a closure product maps an atom onto no like atom

  bool any() const { return overflow || no_inverse || no_order || unknown_group || wrong_image; }
  // Raises the signal of status s, when it has one (closure_overflow, closure_wrong_image and
  // wrong_principal, no_inverse, no_order, unknown_group).
  void note(Status s);
  SearchSignals& operator|=(const SearchSignals& other);
};

// The atoms that every operation of a group must carry onto like atoms within tolerance in every
// component (the test of eqvatm). No atoms: the closure is not held to any.
struct MappedAtoms {
  int natoms = 0;
  std::span<const double> positions;    // 3 x natoms
  std::span<const std::string> symbols; // natoms element symbols
  double tolerance = 0.0;
  std::span<int> scratch; // natoms entries
  XOrder by_x;            // the positions ordered on x, once for the whole search
};

// Where the latest closures of a search missed the atoms: an operation's place in the list and
// an atom. Closures of one search are built from like generators in the same order, so a closure
// that misses the atoms mostly misses them where an earlier one did; trying those places first
// finds the miss sooner and cannot change whether there is one.
class MissedImages {
public:
  struct Place {
    int operation = 0;
    int atom = 0;
  };
  static constexpr int kept = 32;

  void note(Place place);
  std::span<const Place> places() const {
    return {places_.data(), static_cast<std::size_t>(count_)};
  }

private:
  std::array<Place, kept> places_{};
  int count_ = 0;
};

// The operation list of one point-group search. ops[0] is the identity; count is N, order is the
// group-order counter h (callers set h = N after a call that enlarged the group) and tolerance is
// L, the tolerance for comparing operation matrices (Thresholds::group); atoms are the atoms the
// closure must map; signals collects the failures the search carries on past; missed where its
// closures missed the atoms.
struct Group {
  std::array<Operation, max_operations> ops{};
  int count = 1;
  int order = 1;
  double tolerance = 0.0;
  MappedAtoms atoms;
  SearchSignals signals;
  MissedImages missed;
};

// The identity alone, with L taken from th.
Group make_group(const Thresholds& th);

// Principal proper operation (highest proper code and its number) and principal improper
// operation (highest improper order, positive, and its number); all 0 when unset.
struct Principal {
  int proper_code = 0;
  int proper_index = 0;
  int improper_order = 0;
  int improper_index = 0;
};

// Adds g to the closed group ops[0 .. order-1] and closes it again, appending whole cosets.
// Status ok; closure_overflow when the group would exceed 120 operations; closure_wrong_image when
// a new operation fails to map group.atoms. The list then holds a closure that the caller drops by
// setting count back to order.
Status grpgrp(const Operation& g, Group& group);

// inverse[k] = number of the inverse of operation k + 1 (the first transpose within L).
// Status ok, or no_inverse when some operation has none.
Status syminv(Group& group, std::span<int> inverse);

} // namespace symmetry
