// The naming of the point group: from the classified operations and a few relations between
// their axes, the 4-character label and the references of the standard orientation.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "symmetry/group.hpp"
#include "symmetry/operations.hpp"
#include "symmetry/status.hpp"
#include "symmetry/thresholds.hpp"

namespace symmetry {

// Operation numbers (references, symel results) are 1-based with 0 meaning "none".

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
