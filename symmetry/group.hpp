// Group closure, inverses and the naming of the point group from the classified operations.
#pragma once

#include <array>
#include <span>
#include <string>
#include <string_view>

#include "symmetry/operations.hpp"
#include "symmetry/status.hpp"
#include "symmetry/thresholds.hpp"
#include "symmetry/x_order.hpp"

namespace symmetry {

// Operation lists are indexed from 0; operation numbers (inverse list, principal operations,
// references, symel results) are 1-based with 0 meaning "none".

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

// The operation list of one point-group search. ops[0] is the identity; count is N, order is the
// group-order counter h (callers set h = N after a call that enlarged the group) and tolerance is
// L, the tolerance for comparing operation matrices (Thresholds::group); atoms are the atoms the
// closure must map; signals collects the failures the search carries on past.
struct Group {
  std::array<Operation, max_operations> ops{};
  int count = 1;
  int order = 1;
  double tolerance = 0.0;
  MappedAtoms atoms;
  SearchSignals signals;
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

// Operation numbers chosen by ggroup for the standard orientation.
struct References {
  int z = 0;
  int y = 0;
  int x = 0;
  int bisector = 0;
  int in_plane = 0;
};

// Relations between the elements, found by symel (operation numbers, 0 when none).
struct Relations {
  int c2_perp_p = 0;
  int c2_perp_q = 0;
  int horizontal = 0;
  int vertical = 0;
  int oblique = 0;
};

// c = a b (c must be neither a nor b).
void mult3(const Operation& a, const Operation& b, Operation& c);

// Unit vectors parallel or antiparallel: ||a.b| - 1| < tol.
bool parall(const double* a, const double* b, double tol);
// Unit vectors perpendicular: |a.b| < tol.
bool orthog(const double* a, const double* b, double tol);

// Adds g to the closed group ops[0 .. order-1] and closes it again, appending whole cosets.
// Status ok; closure_overflow when the group would exceed 120 operations; closure_wrong_image when
// a new operation fails to map group.atoms. The list then holds a closure that the caller drops by
// setting count back to order.
Status grpgrp(const Operation& g, Group& group);

// inverse[k] = number of the inverse of operation k + 1 (the first transpose within L).
// Status ok, or no_inverse when some operation has none.
Status syminv(Group& group, std::span<int> inverse);

// First 1-based position of value in list[0 .. n-1], 0 when absent.
int itgrep(std::span<const int> list, int n, int value);

// Perpendicular two-fold axes, horizontal and vertical planes and oblique axes relative to the
// principal operations, compared with tolerance tol.
Relations symel(std::span<const Axis> axes, std::span<const int> codes, int count,
                const Principal& principal, double tol);

// Label "c", "s" or "d" with number and letter in characters 2 to 4. From 100 on the number is
// not written: mark_large puts "n" in its place, otherwise the base letter stands alone.
std::string group_label(char base, int number, std::string_view letter, bool mark_large);

// Names the group from the classified operations, comparing axes within th.group: writes label
// and refs (refs all 0 on entry). Status ok; unknown_group when no rule fits; missing_c2_axis_th
// or missing_c2_axis_t when T or Th has no two-fold axis for z; missing_c3_axis_ih or
// missing_c3_axis_i (a warning only: the group keeps its name and frame) when I or Ih has no
// reference three-fold axis; the status of ihgen when it fails.
Status ggroup(std::span<const Axis> axes, std::span<const int> codes, int count,
              const Principal& principal, const Thresholds& th, References& refs,
              std::string& label);

} // namespace symmetry
