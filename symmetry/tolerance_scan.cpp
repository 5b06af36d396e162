#include "symmetry/tolerance_scan.hpp"

#include <algorithm>
#include <numeric>

#include "common/run_context.hpp"
#include "symmetry/driver.hpp"

namespace symmetry {

namespace {

constexpr int no_listing = 0;

ScanRow row_at(const SymmetryInput& input, const LikePair& closest, double tolerance) {
  check_thrsym(tolerance);
  ScanRow row;
  row.tolerance = tolerance;
  if (!spacing_allows(tolerance, closest)) {
    row.refused = true;
    return row;
  }
  const SymmetryResult result = result_at(input, tolerance);
  row.label = result.label;
  row.order = result.count;
  row.degrees = result.degrees;
  row.deviation = result.deviation;
  row.fallback = result.fallback;
  return row;
}

// The lowest rung at or below the input's tolerance from which on every rung names label.
double lowest_holding(const std::vector<ScanRow>& rows, const std::string& label, double thrsym) {
  std::vector<std::size_t> below(rows.size());
  std::iota(below.begin(), below.end(), std::size_t{0});
  std::erase_if(below, [&](std::size_t k) { return rows[k].tolerance > thrsym; });
  std::stable_sort(below.begin(), below.end(), [&](std::size_t a, std::size_t b) {
    return rows[a].tolerance > rows[b].tolerance;
  });
  double lowest = thrsym;
  for (const std::size_t k : below) {
    if (rows[k].refused || rows[k].label != label)
      break;
    lowest = rows[k].tolerance;
  }
  return lowest;
}

} // namespace

SymmetryResult result_at(const SymmetryInput& input, double tolerance) {
  SymmetryInput at = input;
  at.thrsym = tolerance;
  at.print = no_listing;
  common::RunContext run("", common::UnitsTo::nowhere);
  return run_symmetry_on_input(run, at);
}

ToleranceScan scan_tolerances(const SymmetryInput& input, std::span<const double> ladder) {
  check_thrsym(input.thrsym);
  check_thrsym_spacing(input.thrsym, input.natoms, input.xyz, input.symbols);
  const LikePair closest = closest_like_pair(input.natoms, input.xyz, input.symbols);
  ToleranceScan scan;
  for (const double tolerance : ladder)
    scan.rows.push_back(row_at(input, closest, tolerance));
  scan.label = result_at(input, input.thrsym).label;
  scan.holds_from = lowest_holding(scan.rows, scan.label, input.thrsym);
  return scan;
}

} // namespace symmetry
