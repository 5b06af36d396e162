// The molecular frame: the centroid, the best line and plane through it, orthonormal frames built
// around an axis and the change of coordinates into them.
#pragma once

#include <span>

#include "symmetry/operations.hpp"
#include "symmetry/status.hpp"

namespace symmetry {

// A right-handed orthonormal frame built around its third axis e3.
struct Frame {
  Axis e1{};
  Axis e2{};
  Axis e3{};
};

// Shifts the n atoms of xyz (3 per atom) by minus their unweighted centroid, returned in cx, cy,
// cz.
void cms(int n, double& cx, double& cy, double& cz, std::span<double> xyz);

// Best line and plane through the centroid of the centred xyz: the line direction with the sum
// of squared distances from that line, the plane normal with the sum of squared distances from
// that plane (plain sums, not averaged). eps is the diagonaliser's convergence; the status is the
// diagonaliser's.
Status lipl(std::span<const double> xyz, int n, double* line, double* normal, double& line_dev,
            double& plane_dev, double eps);

// Completes the unit vector e3 to a right-handed frame e1, e2, e3 from the first coordinate axis
// whose part perpendicular to e3 is at least min_length long. Status no_perpendicular when there
// is none, else ok.
Status e1e2e3(double* e1, double* e2, const double* e3, double min_length);

// Rewrites every atom r of xyz as (e1.r, e2.r, e3.r).
void traxyz(std::span<double> xyz, const double* e1, const double* e2, const double* e3, int n);

// turn = T turn, the rows of T being e1, e2, e3: after traxyz into that frame, turn still takes the
// coordinates as they were first given to where they stand now.
void follow_turn(Operation& turn, const double* e1, const double* e2, const double* e3);

} // namespace symmetry
