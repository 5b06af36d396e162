#include "kelma/parameters.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <initializer_list>

#include "common/elementary_functions.hpp"
#include "kelma/parameter_tables.hpp"
#include "kelma/units.hpp"

namespace kelma {

namespace {

// The Sybyl types that the fallbacks and the hydrogen-bond rule single out.
constexpr int hydrogen_type = 13;       // H
constexpr int carbonyl_oxygen_type = 9; // O.2

// Bond fallbacks: the generic hydrogen row, and the constant of a bond taken from the geometry.
constexpr int hydrogen_bond_row = 23;
constexpr double geometric_bond_constant = 600.0;

// Rows for an unmatched bend with a hydrogen end (which takes precedence) or a type-9 end.
struct EndFallback {
  int end_type, apex_type, row;
};
constexpr std::array<EndFallback, 4> end_fallbacks = {{
    {hydrogen_type, 2, 21},
    {hydrogen_type, 1, 65},
    {carbonyl_oxygen_type, 29, 199},
    {carbonyl_oxygen_type, 30, 200},
}};
// Blocks starting after this row hold only type-9 rows, so their first row is no generic row.
constexpr int last_generic_angle_row = 198;
constexpr double geometric_bend_constant = 0.02;

// An unmatched torsion: the single-precision barrier widened, threefold.
constexpr double default_barrier = static_cast<double>(0.2f);
constexpr int default_periodicity = 3;

// Out-of-plane constants of the trigonal centre types.
constexpr std::initializer_list<int> oop_types_480 = {2, 3};
constexpr std::initializer_list<int> oop_types_120 = {6, 11, 19, 28};
constexpr double oop_constant_480 = 480.0;
constexpr double oop_constant_120 = 120.0;

// A hydrogen on a donor gets no van der Waals term with an acceptor: they may hydrogen-bond.
constexpr std::initializer_list<int> donor_types = {5, 6, 8, 16, 19, 28, 31};
constexpr std::initializer_list<int> acceptor_types = {5, 6, 7, 8, 9, 11, 16};

bool one_of(int type, std::initializer_list<int> types) {
  return std::find(types.begin(), types.end(), type) != types.end();
}

bool ends_match(int end1, int end2, int ta, int tc) {
  return (end1 == ta && end2 == tc) || (end1 == tc && end2 == ta);
}

bool exact_torsion(const TorsionRow& row, int ta, int tb, int tc, int td) {
  return (row.a == ta && row.b == tb && row.c == tc && row.d == td) ||
         (row.a == td && row.b == tc && row.c == tb && row.d == ta);
}

bool one_end_torsion(const TorsionRow& row, int ta, int tb, int tc, int td) {
  const bool forward =
      row.b == tb && row.c == tc && ((row.a == 0 && row.d == td) || (row.a == ta && row.d == 0));
  const bool backward =
      row.b == tc && row.c == tb && ((row.a == 0 && row.d == ta) || (row.a == td && row.d == 0));
  return forward || backward;
}

bool central_pair_torsion(const TorsionRow& row, int tb, int tc) {
  return (row.b == tb && row.c == tc) || (row.b == tc && row.c == tb);
}

} // namespace

bool hydrogen_bond(int th, int tm, int tpartner) {
  return th == hydrogen_type && one_of(tm, donor_types) && one_of(tpartner, acceptor_types);
}

double well_depth(int type) { return type_row(type).well_depth; }

double oop_constant(int type) {
  if (one_of(type, oop_types_480))
    return oop_constant_480;
  if (one_of(type, oop_types_120))
    return oop_constant_120;
  return 0.0;
}

int find_bond_row(int ti, int tj, int code) {
  for (int row = 1; row <= bond_rows; ++row) {
    const BondRow& r = bond_row(row);
    if (r.code == code && ends_match(r.type1, r.type2, ti, tj))
      return row;
  }
  if (ti == hydrogen_type || tj == hydrogen_type)
    return hydrogen_bond_row;
  return 0;
}

int find_angle_row(int ta, int tb, int tc) {
  const AngleBlock block = angle_block(tb);
  if (block.count == 0)
    return 0;
  for (int row = block.first; row < block.first + block.count; ++row) {
    if (ends_match(angle_row(row).end1, angle_row(row).end2, ta, tc))
      return row;
  }
  const auto has_end = [&](int type) { return ta == type || tc == type; };
  const int special_end = has_end(hydrogen_type)          ? hydrogen_type
                          : has_end(carbonyl_oxygen_type) ? carbonyl_oxygen_type
                                                          : 0;
  for (const EndFallback& fallback : end_fallbacks) {
    if (fallback.end_type == special_end && fallback.apex_type == tb)
      return fallback.row;
  }
  return block.first > last_generic_angle_row ? 0 : block.first;
}

int find_torsion_row(int ta, int tb, int tc, int td, int code) {
  for (int row = 1; row <= torsion_rows; ++row) {
    const TorsionRow& r = torsion_row(row);
    if (r.code != code)
      continue;
    const bool match = row <= last_exact_torsion_row     ? exact_torsion(r, ta, tb, tc, td)
                       : row <= last_one_end_torsion_row ? one_end_torsion(r, ta, tb, tc, td)
                                                         : central_pair_torsion(r, tb, tc);
    if (match)
      return row;
  }
  return 0;
}

BondParameters bond_parameters(int ti, int tj, int code, double distance) {
  const int row = find_bond_row(ti, tj, code);
  if (row == 0)
    return {distance, geometric_bond_constant};
  return {bond_row(row).r0, bond_row(row).k};
}

double bend_angle(double d_ab, double d_bc, double d_ac) {
  const double denominator = 2.0 * d_ab * d_bc;
  // Coincident atoms leave the angle undefined; take it as 0 degrees rather than carry a NaN.
  if (denominator == 0.0)
    return 0.0;
  const double cosine = (d_ab * d_ab + d_bc * d_bc - d_ac * d_ac) / denominator;
  return common::portable::acos(std::clamp(cosine, -1.0, 1.0)) * degrees_per_radian;
}

BendParameters bend_parameters(int ta, int tb, int tc, double d_ab, double d_bc, double d_ac) {
  const int row = find_angle_row(ta, tb, tc);
  if (row == 0)
    return {bend_angle(d_ab, d_bc, d_ac), geometric_bend_constant};
  return {angle_row(row).theta0, angle_row(row).k};
}

TorsionParameters torsion_parameters(int ta, int tb, int tc, int td, int code) {
  const int row = find_torsion_row(ta, tb, tc, td, code);
  if (row == 0)
    return {default_barrier, default_periodicity};
  return {torsion_row(row).v, torsion_row(row).n};
}

} // namespace kelma
