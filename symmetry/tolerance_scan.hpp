// The group of a molecule at each tolerance of a ladder: where the answer of a run holds, and
// where a looser tolerance finds more or a tighter one less.
#pragma once

#include <array>
#include <span>
#include <string>
#include <vector>

#include "symmetry/input.hpp"
#include "symmetry/result.hpp"

namespace symmetry {

// The ladder scanned when none is given, in the units of the coordinates (Angstrom).
inline constexpr std::array<double, 13> default_scan_ladder{
    1.0e-4, 2.0e-4, 5.0e-4, 1.0e-3, 2.0e-3, 5.0e-3, 0.01, 0.02, 0.05, 0.1, 0.15, 0.2, 0.3};

// The run at one tolerance of the ladder.
struct ScanRow {
  double tolerance = 0.0;
  // The input's bound refuses the tolerance (like atoms closer than twice it): no run, no group.
  bool refused = false;
  std::string label; // 4 characters; empty when refused
  int order = 0;     // operations of the group
  int degrees = 0;
  Deviation deviation;
  Status fallback = Status::ok;
};

struct ToleranceScan {
  std::vector<ScanRow> rows; // in the order of the ladder
  std::string label;         // the group at the input's own tolerance
  // The tightest tolerance from which every rung of the ladder up to the input's own tolerance
  // names that group (the input's tolerance itself when the rung below it names another).
  double holds_from = 0.0;
};

// Runs the search on the atoms of input at every tolerance of ladder and at input.thrsym, on units
// that keep no records. Input error for a tolerance of the ladder that is not a positive finite
// number, and for an input tolerance the atoms' spacing refuses.
ToleranceScan scan_tolerances(const SymmetryInput& input, std::span<const double> ladder);

// The run of input at the given tolerance instead of its own, records kept nowhere and no
// listing; input itself is not changed.
SymmetryResult result_at(const SymmetryInput& input, double tolerance);

} // namespace symmetry
