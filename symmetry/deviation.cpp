#include "symmetry/deviation.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <vector>

#include "common/vectors.hpp"

namespace symmetry {

namespace {

// CSM: the mean squared displacement as a share of the mean squared distance from the centre, in
// per cent.
constexpr double csm_scale = 100.0;

using Point = std::array<double, 3>;

Point at(std::span<const double> xyz, int i) {
  const std::size_t k = 3 * static_cast<std::size_t>(i);
  return {xyz[k], xyz[k + 1], xyz[k + 2]};
}

double squared_distance(const Point& a, const Point& b) {
  double sum = 0.0;
  for (std::size_t c = 0; c < 3; ++c)
    sum += (a[c] - b[c]) * (a[c] - b[c]);
  return sum;
}

// The input atoms, centred and turned into the frame of result.
std::vector<Point> turned_input(int n, std::span<const double> input,
                                const SymmetryResult& result) {
  std::vector<Point> turned(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) {
    const Point p = at(input, i);
    const Point centred{p[0] - result.centre[0], p[1] - result.centre[1], p[2] - result.centre[2]};
    common::matvec(3, result.rotation, centred, turned[static_cast<std::size_t>(i)]);
  }
  return turned;
}

// The largest distance between the image of an atom under an operation and the atom the
// equivalent-atom table says it lands on.
double largest_image_distance(int n, const std::vector<Point>& atoms,
                              const SymmetryResult& result) {
  double largest = 0.0;
  for (int m = 1; m < result.count; ++m) {
    for (int i = 0; i < n; ++i) {
      Point image{};
      common::matvec(3, result.ops[static_cast<std::size_t>(m)], atoms[static_cast<std::size_t>(i)],
                     image);
      const int j = result.neqatm[static_cast<std::size_t>(i + n * m)] - 1;
      largest =
          std::max(largest, std::sqrt(squared_distance(image, atoms[static_cast<std::size_t>(j)])));
    }
  }
  return largest;
}

// 3n less the multiplicity of the totally symmetric species in the Cartesian displacements (the
// sum over the operations of the atoms left in place times the trace, over the order).
int constrained_coordinates(int n, const SymmetryResult& result) {
  double cartesian = 0.0;
  for (int m = 0; m < result.count; ++m) {
    const Operation& r = result.ops[static_cast<std::size_t>(m)];
    int fixed_atoms = 0;
    for (int i = 0; i < n; ++i)
      fixed_atoms += result.neqatm[static_cast<std::size_t>(i + n * m)] == i + 1 ? 1 : 0;
    cartesian += fixed_atoms * (r[0] + r[4] + r[8]);
  }
  return 3 * n - static_cast<int>(std::lround(cartesian / result.count));
}

} // namespace

Deviation measure_deviation(int n, std::span<const double> input, const SymmetryResult& result) {
  Deviation d;
  if (n < 1)
    return d;
  const std::vector<Point> atoms = turned_input(n, input, result);
  double moved = 0.0;
  double spread = 0.0;
  for (int i = 0; i < n; ++i) {
    const Point& p = atoms[static_cast<std::size_t>(i)];
    const double squared = squared_distance(p, at(result.xyz, i));
    moved += squared;
    spread += squared_distance(p, Point{});
    d.largest = std::max(d.largest, std::sqrt(squared));
  }
  d.rms = std::sqrt(moved / n);
  d.csm = spread > 0.0 ? csm_scale * moved / spread : 0.0;
  d.image = largest_image_distance(n, atoms, result);
  d.constraints = constrained_coordinates(n, result);
  return d;
}

} // namespace symmetry
