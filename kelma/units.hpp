// kelma's units. The force field works in Angstrom, degrees and kcal/mol; the optimiser, its
// steps and its records in bohr and hartree. Every factor between them is named here once, each
// written as the program has always used it: the pairs are not exact inverses of each other (a
// coordinate taken to bohr and back may move by a unit in the last place), and the derived
// factors are the literals of their products, so none of them may be recomputed from another.
#pragma once

namespace kelma {

// Angstrom to bohr: the coordinates after each force-field call.
inline constexpr double bohr_per_angstrom = 1.8897268777743552;
// Bohr to Angstrom: the coordinates before each force-field call and before every record.
inline constexpr double angstrom_per_bohr = 0.529177;
// kcal/mol to hartree: every energy the force field returns.
inline constexpr double hartree_per_kcal = 0.0015936;
// kcal/mol/Angstrom^2 to hartree/bohr^2 (0.0015936 x 0.529177^2): the Hessian.
inline constexpr double hessian_to_hartree_bohr2 = 0.0004462530946234944;
// kcal/mol/Angstrom to the force in hartree/bohr (minus 0.0015936 x 0.529177): the gradient.
inline constexpr double gradient_to_force = -0.0008432964671999999;
// Radians to degrees, the literal the force field uses everywhere.
inline constexpr double degrees_per_radian = 57.295779513264755;

} // namespace kelma
