// Tripos 5.2 atom types and parameters: the look-ups with their fallbacks and the type rules.
#pragma once

#include "kelma/parameter_tables.hpp"

namespace kelma {

// Input types below 1 are read as this type.
inline constexpr int default_type = 32;

// Van der Waals radius (Angstrom) and well depth (kcal/mol) of a type 1..32; the radius is the
// published single-precision value widened. The radius is read for every pair of every evaluation.
inline double vdw_radius(int type) { return static_cast<double>(type_row(type).radius); }
double well_depth(int type);

// Whether a hydrogen of type th, bonded to an atom of type tm, may hydrogen-bond to an atom of
// type tpartner: a hydrogen on a donor, paired with an acceptor. Such a pair has no van der Waals
// term.
bool hydrogen_bond(int th, int tm, int tpartner);

// Out-of-plane force constant (kcal/mol/Angstrom^2) of a centre type, 0 for types that form no
// out-of-plane bend.
double oop_constant(int type);

struct BondParameters {
  double r0, k;
};

struct BendParameters {
  double theta0, k;
};

struct TorsionParameters {
  double v;
  int n;
};

// Row of the bond-stretch table for a bond of code `code` between types ti and tj: the first
// match in row order, else row 23 when either type is 13, else 0 (parameters from the geometry).
int find_bond_row(int ti, int tj, int code);

// Row of the angle table for the bend ta-tb-tc with apex tb, after the fallbacks of the apex
// block; 0 when the parameters come from the geometry.
int find_angle_row(int ta, int tb, int tc);

// Row of the torsion table for a-b-c-d with central bond code `code`: the first match of the
// exact, one-end and central-pair sections in that order; 0 when no row matches.
int find_torsion_row(int ta, int tb, int tc, int td, int code);

// Stretch parameters of a bond; `distance` is its starting length.
BondParameters bond_parameters(int ti, int tj, int code, double distance);

// Bend parameters of a-b-c (apex b) from the types and the starting distances a-b, b-c, a-c.
BendParameters bend_parameters(int ta, int tb, int tc, double d_ab, double d_bc, double d_ac);

// Torsion parameters; with no matching row the barrier is 0.2 (single precision) and n = 3.
TorsionParameters torsion_parameters(int ta, int tb, int tc, int td, int code);

// Angle a-b-c in degrees from the three distances (law of cosines, cosine clamped to [-1, 1]).
double bend_angle(double d_ab, double d_bc, double d_ac);

} // namespace kelma
