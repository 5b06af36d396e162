#include "symmetry/frame.hpp"

#include <array>
#include <cmath>
#include <cstddef>

#include "common/vectors.hpp"
#include "symmetry/linear_algebra.hpp"

namespace symmetry {

void cms(int n, double& cx, double& cy, double& cz, std::span<double> xyz) {
  cx = cy = cz = 0.0;
  if (n < 1)
    return; // no atoms, no centroid: nothing to shift
  for (int k = 0; k < n; ++k) {
    cx += xyz[3 * k];
    cy += xyz[3 * k + 1];
    cz += xyz[3 * k + 2];
  }
  cx /= n;
  cy /= n;
  cz /= n;
  for (int k = 0; k < n; ++k) {
    xyz[3 * k] -= cx;
    xyz[3 * k + 1] -= cy;
    xyz[3 * k + 2] -= cz;
  }
}

Status lipl(std::span<const double> xyz, int n, double* line, double* normal, double& line_dev,
            double& plane_dev, double eps) {
  double sxx = 0.0, sxy = 0.0, sxz = 0.0, syy = 0.0, syz = 0.0, szz = 0.0;
  for (int k = 0; k < n; ++k) {
    const double x = xyz[3 * k];
    const double y = xyz[3 * k + 1];
    const double z = xyz[3 * k + 2];
    sxx += x * x;
    sxy += x * y;
    sxz += x * z;
    syy += y * y;
    syz += y * z;
    szz += z * z;
  }
  const double trace = sxx + syy + szz;
  std::array<double, 6> packed_moments{sxx, sxy, syy, sxz, syz, szz};
  std::array<double, 9> vectors{};
  common::setdiagmat(3, 1.0, vectors);
  const Status status = erduw(packed_moments, vectors, 3, eps);

  const std::array<double, 9> moments{sxx, sxy, sxz, sxy, syy, syz, sxz, syz, szz};
  int best_line = 0;
  int best_plane = 0;
  std::array<double, 3> q{};
  std::array<double, 3> d{};
  for (int k = 0; k < 3; ++k) {
    const std::span<const double> vk(vectors.data() + 3 * k, 3);
    std::array<double, 3> svk{};
    common::matvec(3, moments, vk, svk);
    q[k] = common::sprod(vk, svk);
    d[k] = trace - q[k];
    if (d[k] < d[best_line])
      best_line = k;
    if (q[k] < q[best_plane])
      best_plane = k;
  }
  common::cpyvec(std::span<const double>(vectors.data() + 3 * best_line, 3), {line, 3});
  common::cpyvec(std::span<const double>(vectors.data() + 3 * best_plane, 3), {normal, 3});
  line_dev = d[best_line];
  plane_dev = q[best_plane];
  return status;
}

Status e1e2e3(double* e1, double* e2, const double* e3, double min_length) {
  for (int axis = 0; axis < 3; ++axis) {
    // w = u - (e3.u) e3 for the unit vector u along this axis.
    std::array<double, 3> w{};
    for (int k = 0; k < 3; ++k)
      w[k] = (k == axis ? 1.0 : 0.0) - e3[axis] * e3[k];
    const double length = std::sqrt(w[0] * w[0] + w[1] * w[1] + w[2] * w[2]);
    if (length < min_length)
      continue;
    for (int k = 0; k < 3; ++k)
      e1[k] = w[k] / length;
    common::cross(e3, e1, e2);
    return Status::ok;
  }
  return Status::no_perpendicular;
}

void traxyz(std::span<double> xyz, const double* e1, const double* e2, const double* e3, int n) {
  for (int k = 0; k < n; ++k) {
    double* r = &xyz[3 * static_cast<std::size_t>(k)];
    const double x = e1[0] * r[0] + e1[1] * r[1] + e1[2] * r[2];
    const double y = e2[0] * r[0] + e2[1] * r[1] + e2[2] * r[2];
    const double z = e3[0] * r[0] + e3[1] * r[1] + e3[2] * r[2];
    r[0] = x;
    r[1] = y;
    r[2] = z;
  }
}

void follow_turn(Operation& turn, const double* e1, const double* e2, const double* e3) {
  const Operation before = turn;
  mult3(frame_matrix(e1, e2, e3), before, turn);
}

} // namespace symmetry
