#include "kelma/hessian_start.hpp"

#include <Eigen/Dense>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <limits>
#include <random>
#include <utility>

namespace kelma {

namespace {

using Matrix = Eigen::MatrixXd;
using Vector = Eigen::VectorXd;

// A candidate mode that keeps less than this share of its length once the modes before it are
// taken out is a combination of them (the rotation about the axis of a linear molecule).
constexpr double dependence_threshold = 1e-6;
// Solves of inverse iteration per eigenvector: the shift is an eigenvalue to the last bits, so
// one or two already give the vector; the third makes it sure for close eigenvalues.
constexpr int inverse_iterations = 3;
// Least gap, in units of the rounding of T, between the shifts of two equal eigenvalues.
constexpr double separation_factor = 10.0;

bool every_row_has_curvature(const Eigen::Map<const Matrix>& h) {
  for (Eigen::Index i = 0; i < h.rows(); ++i) {
    if (h.row(i).cwiseAbs().maxCoeff() < singularity_threshold)
      return false;
  }
  return true;
}

// The translations along x, y, z and the rotations about the axes through the centroid.
std::array<Vector, 6> candidate_modes(std::span<const double> xyz) {
  const auto natoms = static_cast<Eigen::Index>(xyz.size() / 3);
  const Eigen::Map<const Matrix> atoms(xyz.data(), 3, natoms);
  const Eigen::Vector3d centre = atoms.rowwise().mean();
  std::array<Vector, 6> modes;
  for (int axis = 0; axis < 3; ++axis) {
    Vector translation = Vector::Zero(3 * natoms);
    Vector rotation(3 * natoms);
    for (Eigen::Index i = 0; i < natoms; ++i) {
      translation(3 * i + axis) = 1.0;
      rotation.segment<3>(3 * i) =
          Eigen::Vector3d::Unit(axis).cross(Eigen::Vector3d(atoms.col(i) - centre));
    }
    modes[static_cast<std::size_t>(axis)] = translation;
    modes[static_cast<std::size_t>(axis + 3)] = rotation;
  }
  return modes;
}

// P H P + R R^T with P = 1 - R R^T: the Hessian on the internal motions, with curvature 1 on the
// rigid-body motions (so that the start is the unit matrix there). Lower triangle only.
Matrix internal_hessian(const Eigen::Map<const Matrix>& h, const Eigen::Map<const Matrix>& r) {
  const Matrix hr = h * r;
  const Matrix rhr = r.transpose() * hr;
  Matrix m = h - hr * r.transpose() - r * hr.transpose() + (r * rhr) * r.transpose();
  m.selfadjointView<Eigen::Lower>().rankUpdate(r);
  return m;
}

// Solves (T - shift) x = y in place of y for the symmetric tridiagonal T (diagonal, off-diagonal)
// by elimination with partial pivoting; a zero pivot becomes tiny, so that a shift on an
// eigenvalue gives the large solution that inverse iteration wants.
void shifted_solve(const Vector& diagonal, const Vector& off, double shift, double tiny,
                   Vector& y) {
  const Eigen::Index n = diagonal.size();
  // The upper factor has the diagonal d and two rows above it, du and du2; dl the multipliers.
  Vector d = diagonal.array() - shift;
  Vector du = Vector::Zero(n);
  Vector du2 = Vector::Zero(n);
  Vector dl = Vector::Zero(n);
  std::vector<bool> swapped(static_cast<std::size_t>(n), false);
  du.head(n - 1) = off;
  dl.head(n - 1) = off;
  for (Eigen::Index i = 0; i + 1 < n; ++i) {
    if (std::abs(d(i)) >= std::abs(dl(i))) {
      if (d(i) == 0.0)
        d(i) = tiny;
      dl(i) /= d(i);
      d(i + 1) -= dl(i) * du(i);
      continue;
    }
    // Rows i and i + 1 change places.
    swapped[static_cast<std::size_t>(i)] = true;
    const double factor = d(i) / dl(i);
    d(i) = dl(i);
    dl(i) = factor;
    const double above = du(i);
    du(i) = d(i + 1);
    d(i + 1) = above - factor * d(i + 1);
    if (i + 2 < n) {
      du2(i) = du(i + 1);
      du(i + 1) = -factor * du(i + 1);
    }
  }
  if (d(n - 1) == 0.0)
    d(n - 1) = tiny;
  for (Eigen::Index i = 0; i + 1 < n; ++i) {
    if (swapped[static_cast<std::size_t>(i)])
      std::swap(y(i), y(i + 1));
    y(i + 1) -= dl(i) * y(i);
  }
  for (Eigen::Index i = n - 1; i >= 0; --i) {
    double sum = y(i);
    if (i + 1 < n)
      sum -= du(i) * y(i + 1);
    if (i + 2 < n)
      sum -= du2(i) * y(i + 2);
    y(i) = sum / d(i);
  }
}

// The eigenpairs of a symmetric matrix with eigenvalues below curvature_floor, in increasing
// order. The matrix is reduced to tridiagonal form T = Q^T M Q; the eigenvalues of T come from
// QL iteration, each eigenvector from inverse iteration on T, kept orthogonal to the ones before
// it (so that equal eigenvalues get independent vectors), and then taken back by Q. This costs
// the reduction and a little more, where the whole eigenvector matrix would cost several times
// that.
struct LowModes {
  Vector values;
  Matrix vectors;
};

LowModes low_modes(const Matrix& m) {
  const Eigen::Tridiagonalization<Matrix> reduced(m);
  const Vector diagonal = reduced.diagonal();
  const Vector off = reduced.subDiagonal();
  Eigen::SelfAdjointEigenSolver<Matrix> spectrum;
  spectrum.computeFromTridiagonal(diagonal, off, Eigen::EigenvaluesOnly);
  const Vector& all = spectrum.eigenvalues();
  Eigen::Index count = 0;
  while (count < all.size() && all(count) < curvature_floor)
    ++count;

  const Eigen::Index n = diagonal.size();
  double norm = 0.0;
  for (Eigen::Index i = 0; i < n; ++i) {
    const double left = i > 0 ? std::abs(off(i - 1)) : 0.0;
    const double right = i + 1 < n ? std::abs(off(i)) : 0.0;
    norm = std::max(norm, std::abs(diagonal(i)) + left + right);
  }
  const double tiny = std::numeric_limits<double>::epsilon() * std::max(norm, 1.0);
  LowModes low{all.head(count), Matrix(n, count)};
  std::minstd_rand start_values(1);
  double shift = -std::numeric_limits<double>::infinity();
  for (Eigen::Index j = 0; j < count; ++j) {
    // Equal eigenvalues get slightly different shifts, as the iteration needs.
    shift = std::max(all(j), shift + separation_factor * tiny);
    Vector v(n);
    for (Eigen::Index i = 0; i < n; ++i)
      v(i) = 2.0 * static_cast<double>(start_values()) / start_values.max() - 1.0;
    for (int pass = 0; pass < inverse_iterations; ++pass) {
      shifted_solve(diagonal, off, shift, tiny, v);
      for (Eigen::Index l = 0; l < j; ++l)
        v -= low.vectors.col(l).dot(v) * low.vectors.col(l);
      v.normalize();
    }
    low.vectors.col(j) = v;
  }
  if (count > 0)
    low.vectors.applyOnTheLeft(reduced.matrixQ());
  return low;
}

} // namespace

RigidModes rigid_modes(std::span<const double> xyz) {
  RigidModes modes;
  std::vector<Vector> accepted;
  for (Vector v : candidate_modes(xyz)) {
    const double length = v.norm();
    // Gram-Schmidt, twice over, so that the basis is orthonormal to the last bits.
    for (int pass = 0; pass < 2; ++pass) {
      for (const Vector& u : accepted)
        v -= u.dot(v) * u;
    }
    const double left = v.norm();
    if (left == 0.0 || left <= dependence_threshold * length)
      continue;
    accepted.push_back(v / left);
  }
  modes.count = static_cast<int>(accepted.size());
  for (const Vector& u : accepted)
    modes.basis.insert(modes.basis.end(), u.begin(), u.end());
  return modes;
}

InverseStatus internal_inverse(std::span<const double> hess, std::span<const double> xyz,
                               std::span<double> b) {
  const auto dim = static_cast<Eigen::Index>(xyz.size());
  const Eigen::Map<const Matrix> h(hess.data(), dim, dim);
  if (!every_row_has_curvature(h))
    return inverse_singular;
  const RigidModes modes = rigid_modes(xyz);
  const Eigen::Map<const Matrix> r(modes.basis.data(), dim, modes.count);

  // Every curvature below the floor is raised to its magnitude, at least the floor; then the
  // matrix is positive definite and its inverse is the start.
  Matrix raised = internal_hessian(h, r);
  const LowModes low = low_modes(raised);
  const Vector lift = (low.values.cwiseAbs().cwiseMax(curvature_floor) - low.values).cwiseSqrt();
  if (lift.size() > 0)
    raised.selfadjointView<Eigen::Lower>().rankUpdate(low.vectors * lift.asDiagonal());
  const Eigen::LLT<Matrix, Eigen::Lower> factors(raised);
  if (factors.info() != Eigen::Success)
    return inverse_singular;
  Eigen::Map<Matrix> out(b.data(), dim, dim);
  out = factors.solve(Matrix::Identity(dim, dim));
  for (Eigen::Index j = 1; j < dim; ++j) {
    for (Eigen::Index i = 0; i < j; ++i)
      out(i, j) = out(j, i);
  }
  return inverse_found;
}

} // namespace kelma
