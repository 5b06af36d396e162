#include "symmetry/classify.hpp"

#include <algorithm>
#include <array>
#include <cmath>

#include "common/vectors.hpp"
#include "symmetry/linear_algebra.hpp"
#include "symmetry/status.hpp"

namespace symmetry {

namespace {

constexpr int max_cycle = 99;
constexpr std::array<int, 3> packed_diagonal{0, 2, 5};

// Eigenvalues and eigenvectors (columns) of the symmetric part (r + r^T) / 2.
struct SymmetricPart {
  std::array<double, 6> packed;
  Operation vectors;
};

Status diagonalise_symmetric_part(const Operation& r, double eps, SymmetricPart& s) {
  const auto sym = [&r](int i, int j) { return (r[i + 3 * j] + r[j + 3 * i]) / 2.0; };
  s.packed = {sym(0, 0), sym(0, 1), sym(1, 1), sym(0, 2), sym(1, 2), sym(2, 2)};
  s.vectors = identity_operation;
  return erduw(s.packed, s.vectors, 3, eps);
}

// ncycle, with the warning for an operation whose powers do not return to the identity.
int order_of(common::RunContext& run, const Operation& r, double tol) {
  const int order = ncycle(r, tol);
  if (order == no_cycle)
    report(run, Status::no_order);
  return order;
}

int type_code(common::RunContext& run, const Operation& r, bool proper, double trace, double tol) {
  if (std::fabs(trace - 3.0) < tol)
    return 1;
  if (std::fabs(trace + 3.0) < tol)
    return -2;
  if (std::fabs(trace - 1.0) < tol)
    return proper ? 4 : -1;
  if (std::fabs(trace + 1.0) < tol)
    return proper ? 2 : -4;
  if (proper)
    return order_of(run, r, tol);
  // An improper Sn with odd n repeats after 2n, as does -Sn; their equal orders reveal it.
  int q1 = order_of(run, r, tol);
  Operation minus_r;
  std::transform(r.begin(), r.end(), minus_r.begin(), [](double v) { return -v; });
  const int q2 = order_of(run, minus_r, tol);
  if (q1 == q2) {
    const int half = q1 / 2;
    if (half % 2 == 1)
      q1 = half;
  }
  return -q1;
}

// The first eigenvector whose eigenvalue lies within tol of target; a matrix that is not
// orthogonal may have none, and then the eigenvector of the nearest eigenvalue stands in.
Axis rotation_axis(const SymmetricPart& s, double target, double tol) {
  int chosen = -1;
  int nearest = 0;
  for (int k = 0; k < 3; ++k) {
    const double gap = std::fabs(s.packed[packed_diagonal[k]] - target);
    if (chosen < 0 && gap < tol)
      chosen = k;
    if (gap < std::fabs(s.packed[packed_diagonal[nearest]] - target))
      nearest = k;
  }
  if (chosen < 0)
    chosen = nearest;
  return {s.vectors[3 * chosen], s.vectors[3 * chosen + 1], s.vectors[3 * chosen + 2]};
}

} // namespace

int ncycle(const Operation& r, double tol) {
  Operation power = r;
  Operation next;
  for (int count = 1; count <= max_cycle; ++count) {
    if (doof(power.data(), identity_operation.data(), 9, tol))
      return count;
    mult3(r, power, next);
    power = next;
  }
  return no_cycle;
}

Status analys(common::RunContext& run, Group& group, std::span<const int> inverse,
              std::span<Axis> axes, std::span<int> codes, Principal& principal,
              const Thresholds& th) {
  const double tol = group.tolerance;
  int lowest_improper = -principal.improper_order;
  for (int k = 0; k < group.count; ++k) {
    // A pair of mutual inverses shares code and axis: classify it once, at its later number.
    if (inverse[k] > k + 1)
      continue;
    const Operation& r = group.ops[k];
    SymmetricPart s;
    const Status status = diagonalise_symmetric_part(r, th.jacobi_eps, s);
    if (failed(status))
      return status;
    report(run, status);
    const bool proper = deter(r.data()) > 0.0;
    const double trace = s.packed[0] + s.packed[2] + s.packed[5];
    const int code = type_code(run, r, proper, trace, tol);
    if (std::abs(code) == no_cycle) {
      group.count = 1;
      return Status::no_order;
    }
    const Axis axis = rotation_axis(s, proper ? 1.0 : -1.0, tol);
    codes[k] = code;
    axes[k] = axis;
    const int partner = inverse[k] - 1;
    if (partner != k) {
      codes[partner] = code;
      axes[partner] = axis;
    }
    if (proper && code > principal.proper_code) {
      principal.proper_code = code;
      principal.proper_index = k + 1;
    } else if (!proper && code < -1 && code < lowest_improper) {
      lowest_improper = code;
      principal.improper_index = k + 1;
    }
  }
  principal.improper_order = -lowest_improper;
  // Only the inversion and mirror planes: the last two-fold axis stands for the improper axis.
  if (principal.improper_order == 2) {
    for (int k = group.count - 1; k >= 0; --k) {
      if (codes[k] == 2) {
        principal.improper_index = k + 1;
        break;
      }
    }
  }
  return Status::ok;
}

} // namespace symmetry
