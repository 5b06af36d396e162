#include "symmetry/linear_algebra.hpp"

#include <cmath>
#include <cstddef>
#include <utility>

namespace symmetry {

namespace {

// The sweep schedule of erduw, part of the algorithm rather than a tolerance: once the
// off-diagonal sum is small the threshold falls by erduw_threshold_step per sweep, down to the
// final threshold that eps sets; a matrix still rotating after erduw_max_sweeps sweeps is reported.
constexpr int erduw_max_sweeps = 64;
constexpr double erduw_threshold_step = 0.001;

// Position of element (i, j) (1-based, either order) in the packed upper triangle.
std::size_t packed(int i, int j) {
  if (i > j)
    std::swap(i, j);
  return static_cast<std::size_t>(j * (j - 1) / 2 + i - 1);
}

std::size_t at(int i, int j, int ld) {
  return static_cast<std::size_t>(i - 1) + static_cast<std::size_t>(j - 1) * ld;
}

// One Jacobi rotation that clears a(p, q), p < q, applied to the matrix and to the columns p
// and q of v.
void jacobi_rotate(std::span<double> a, std::span<double> v, int n, int p, int q) {
  const double apq = a[packed(p, q)];
  const double app = a[packed(p, p)];
  const double aqq = a[packed(q, q)];
  const double e = (aqq - app) / 2.0;
  double f = std::sqrt(apq * apq + e * e);
  if (e < 0.0)
    f = -f;
  const double m = (aqq + app) / 2.0;
  a[packed(p, p)] = m - f;
  a[packed(q, q)] = m + f;
  a[packed(p, q)] = 0.0;
  const double c = std::sqrt((e + f) / (2.0 * f));
  const double s = apq / (2.0 * f * c);
  for (int r = 1; r <= n; ++r) {
    if (r == p || r == q)
      continue;
    const double arp = a[packed(r, p)];
    const double arq = a[packed(r, q)];
    a[packed(r, p)] = c * arp - s * arq;
    a[packed(r, q)] = s * arp + c * arq;
  }
  for (int k = 1; k <= n; ++k) {
    const double vp = v[at(k, p, n)];
    const double vq = v[at(k, q, n)];
    v[at(k, p, n)] = c * vp - s * vq;
    v[at(k, q, n)] = s * vp + c * vq;
  }
}

} // namespace

Status erduw(std::span<double> a, std::span<double> v, int n, double eps) {
  double total = 0.0;
  double off = 0.0;
  for (int j = 1; j <= n; ++j) {
    for (int i = 1; i <= j; ++i) {
      const double x = a[packed(i, j)];
      total += x * x;
      if (i != j)
        off += x * x;
    }
  }
  if (total <= 0.0)
    return Status::zero_matrix;
  if (n == 1)
    return Status::ok;

  const double final_threshold = eps * std::sqrt((total + off) / n);
  const double off_limit = eps * off * static_cast<double>(n * n);
  double threshold = final_threshold;
  for (int sweeps = 1;; ++sweeps) {
    threshold = (off >= off_limit) ? std::sqrt(2.0 * off) / n : threshold * erduw_threshold_step;
    if (threshold < final_threshold)
      threshold = final_threshold;
    int rotations = 0;
    for (int q = 2; q <= n; ++q) {
      for (int p = 1; p < q; ++p) {
        const double apq = a[packed(p, q)];
        if (std::fabs(apq) < threshold)
          continue;
        off -= apq * apq;
        jacobi_rotate(a, v, n, p, q);
        ++rotations;
      }
    }
    if (sweeps == erduw_max_sweeps)
      return Status::no_convergence;
    if (threshold <= final_threshold && rotations == 0)
      return Status::ok;
  }
}

Status anorm(double* v, double& length, double min_length) {
  length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
  if (length < min_length)
    return Status::too_short;
  for (int k = 0; k < 3; ++k)
    v[k] /= length;
  return Status::ok;
}

double dif(const double* a, const double* b, int m) {
  double sum = 0.0;
  for (int i = 0; i < m; ++i)
    sum += (a[i] - b[i]) * (a[i] - b[i]);
  return std::sqrt(sum);
}

double deter(const double* a) {
  // a[(i - 1) + 3 (j - 1)] is element (i, j).
  return a[0] * (a[4] * a[8] - a[7] * a[5]) - a[3] * (a[1] * a[8] - a[7] * a[2]) +
         a[6] * (a[1] * a[5] - a[4] * a[2]);
}

bool doof(const double* a, const double* b, int m, double t) {
  for (int i = 0; i < m; ++i) {
    if (!(std::fabs(a[i] - b[i]) <= t))
      return false;
  }
  return true;
}

} // namespace symmetry
