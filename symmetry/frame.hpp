// The molecular frame: centroid, linear and planar test, orthonormal frames, distances and
// shells, and the small numerical routines the element search, the closure and the
// classification share.
#pragma once

#include <span>
#include <string>

namespace symmetry {

inline constexpr double anorm_min_length = 0.001;

// Heading of every warning of the symmetry routines.
inline constexpr const char* warning_heading = "**WARNING** in SYMMETRY module";

// Shifts the n atoms of xyz (3 per atom) by minus their unweighted centroid, returned in cx, cy,
// cz.
void cms(int n, double& cx, double& cy, double& cz, std::span<double> xyz);

// Best line and plane through the centroid of the centred xyz: the line direction with the sum
// of squared distances from that line, the plane normal with the sum of squared distances from
// that plane (plain sums, not averaged).
void lipl(std::span<const double> xyz, int n, double* line, double* normal, double& line_dev,
          double& plane_dev);

// Cyclic threshold Jacobi diagonalisation of the n x n symmetric matrix a, packed as its upper
// triangle column by column ((i, j), i <= j, at j (j - 1) / 2 + i). On return the diagonal holds
// the eigenvalues (unsorted) and the columns of v (n x n, set by the caller) are rotated into the
// eigenvectors. Status 0, or 1 after 64 sweeps.
int erduw(std::span<double> a, std::span<double> v, int n, double eps);

// Completes the unit vector e3 to a right-handed frame e1, e2, e3. Status -1 when no coordinate
// axis has a usable component perpendicular to e3, else 0.
int e1e2e3(double* e1, double* e2, const double* e3);

// Rewrites every atom r of xyz as (e1.r, e2.r, e3.r).
void traxyz(std::span<double> xyz, const double* e1, const double* e2, const double* e3, int n);

// Distance of every atom from the origin. Status -1 when n < 1, else 0.
int getdis(std::span<const double> xyz, std::span<double> dist, int n);

// Atom shells: like atoms at nearly equal distance from the centroid.
struct ShellOutput {
  std::span<double> positions;    // 3 x n, shell order
  std::span<std::string> symbols; // n, shell order
  std::span<double> distances;    // n, input order in, shell order out
  std::span<int> shell_numbers;   // n, 1-based shell of every entry in shell order
  std::span<int> shell_sizes;     // one entry per shell
};

// Sorts the atoms by element symbol, then by distance (a stable bubble sort), and cuts them into
// shells: an entry joins its neighbour's shell when it has the same symbol and lies less than tol
// farther out. Returns the shell count.
int rshell(std::span<const double> xyz, std::span<const std::string> symbols, int n, double tol,
           const ShellOutput& out);

// Normalises the 3-vector v in place and returns its former length in length. Status -1 (and v
// unchanged) when the length is below 0.001, else 0.
int anorm(double* v, double& length);

// Euclidean distance between the first m elements of a and b.
double dif(const double* a, const double* b, int m);

// A distance computed as dif computes it rounds to no less than |a_i - b_i| (1 - 2^-51) for every
// component while the squares stay normal: a point farther than distance_reach(d) from another in
// one component is farther than d from it, and one within d of it lies within distance_reach(d)
// in every component.
inline double distance_reach(double d) {
  constexpr double rounding = 1.0e-12;
  constexpr double underflow_floor = 1.0e-150;
  return d * (1.0 + rounding) + underflow_floor;
}

// Determinant of the 3 x 3 column-major matrix a, by cofactors of the first row.
double deter(const double* a);

// True when every |a_i - b_i| <= t for the first m elements.
bool doof(const double* a, const double* b, int m, double t);

} // namespace symmetry
