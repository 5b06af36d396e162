#include "symmetry/refit.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>

#include "common/vectors.hpp"
#include "symmetry/frame.hpp"
#include "symmetry/linear_algebra.hpp"

namespace symmetry {

namespace {

constexpr int horn_order = 4;
constexpr std::array<int, horn_order> horn_diagonal{0, 2, 5, 9};

// s(a, b) = sum over the atoms of x_a b_b, b the image atom of x (negated for an improper g.r).
// False when the images are not a permutation of the atoms.
bool correlation(const ShellAtoms& atoms, double thrsym, std::span<int> flags, const Generator& g,
                 std::array<double, 9>& s) {
  const double sign = deter(g.r.data()) < 0.0 ? -1.0 : 1.0;
  common::izero(flags);
  s.fill(0.0);
  for (int i = 1; i <= atoms.natoms; ++i) {
    const double* x = atoms.position(i);
    std::array<double, 3> y{};
    common::matvec(3, g.r, std::span<const double>(x, 3), y);
    const int j = hitit(atoms, y.data(), atoms.shell_of(i), thrsym, Pick::nearest);
    if (j == 0 || flags[static_cast<std::size_t>(j - 1)] != 0)
      return false;
    flags[static_cast<std::size_t>(j - 1)] = 1;
    const double* b = atoms.position(j);
    for (int bb = 0; bb < 3; ++bb) {
      for (int a = 0; a < 3; ++a)
        s[static_cast<std::size_t>(a + 3 * bb)] += x[a] * sign * b[bb];
    }
  }
  return true;
}

// Unit quaternion of the rotation that best carries the atoms onto their images: the eigenvector
// of the largest eigenvalue of Horn's matrix (the first on a tie), first component not negative.
// The diagonaliser's warning goes on the listing; the refit is dropped when it failed.
bool best_rotation(common::RunContext& run, const std::array<double, 9>& s, double eps,
                   std::array<double, horn_order>& q) {
  const auto at = [&s](int a, int b) { return s[static_cast<std::size_t>(a + 3 * b)]; };
  const double sxx = at(0, 0), sxy = at(0, 1), sxz = at(0, 2);
  const double syx = at(1, 0), syy = at(1, 1), syz = at(1, 2);
  const double szx = at(2, 0), szy = at(2, 1), szz = at(2, 2);
  // Upper triangle, column by column.
  std::array<double, 10> packed{sxx + syy + szz, syz - szy,        sxx - syy - szz, szx - sxz,
                                sxy + syx,       -sxx + syy - szz, sxy - syx,       szx + sxz,
                                syz + szy,       -sxx - syy + szz};
  std::array<double, horn_order * horn_order> vectors{};
  for (int k = 0; k < horn_order; ++k)
    vectors[static_cast<std::size_t>(k * (horn_order + 1))] = 1.0;
  const Status status = erduw(packed, vectors, horn_order, eps);
  report(run, status);
  if (failed(status))
    return false;
  int largest = 0;
  for (int k = 1; k < horn_order; ++k) {
    if (packed[horn_diagonal[k]] > packed[horn_diagonal[largest]])
      largest = k;
  }
  const double sign = vectors[static_cast<std::size_t>(horn_order * largest)] < 0.0 ? -1.0 : 1.0;
  for (int k = 0; k < horn_order; ++k)
    q[k] = sign * vectors[static_cast<std::size_t>(horn_order * largest + k)];
  return true;
}

// g.r from g.axis, with the element's own angle and sign.
bool rebuild(Generator& g, double e1e2e3_min_length) {
  if (g.plane) {
    gencs(g.axis.data(), g.r);
    return true;
  }
  double e1[3];
  double e2[3];
  if (e1e2e3(e1, e2, g.axis.data(), e1e2e3_min_length) != Status::ok)
    return false;
  gencn(e1, e2, g.axis.data(), g.angle, g.sigma, g.r);
  return true;
}

} // namespace

bool fitax(common::RunContext& run, const ShellAtoms& atoms, const Thresholds& th,
           std::span<int> flags, Generator& g) {
  std::array<double, 9> s{};
  if (!correlation(atoms, th.thrsym, flags, g, s))
    return false;
  std::array<double, horn_order> q{};
  if (!best_rotation(run, s, th.jacobi_eps, q))
    return false;
  Generator refined = g;
  double axis[3] = {q[1], q[2], q[3]};
  double length = 0.0;
  if (anorm(axis, length, th.anorm_min_length) != Status::ok)
    return false;
  double agreement = common::sprod(std::span<const double>(axis, 3), g.axis);
  if (agreement < 0.0) {
    for (double& v : axis)
      v = -v;
    agreement = -agreement;
  }
  if (agreement < th.min_axis_agreement)
    return false;
  std::copy(axis, axis + 3, refined.axis.begin());
  if (!rebuild(refined, th.e1e2e3_min_length))
    return false;
  g = refined;
  return true;
}

} // namespace symmetry
