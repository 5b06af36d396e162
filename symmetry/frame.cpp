#include "symmetry/frame.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <numeric>
#include <utility>
#include <vector>

#include "common/reports.hpp"
#include "common/vectors.hpp"

namespace symmetry {

namespace {

constexpr int erduw_max_sweeps = 64;
constexpr double erduw_threshold_step = 0.001;
constexpr double e1e2e3_min_length = 1.0e-6;
constexpr double lipl_eps = 1.0e-10;

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

void lipl(std::span<const double> xyz, int n, double* line, double* normal, double& line_dev,
          double& plane_dev) {
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
  erduw(packed_moments, vectors, 3, lipl_eps);

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
}

int erduw(std::span<double> a, std::span<double> v, int n, double eps) {
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
  if (total <= 0.0) {
    common::message(warning_heading, "  Attempting to Diagonalize Zero Matrix", 0, 0);
    return 0;
  }
  if (n == 1)
    return 0;

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
    if (sweeps == erduw_max_sweeps) {
      common::message(warning_heading, "  Problems attaining Diagonalization threshold", 0, 0);
      return 1;
    }
    if (threshold <= final_threshold && rotations == 0)
      return 0;
  }
}

int e1e2e3(double* e1, double* e2, const double* e3) {
  for (int axis = 0; axis < 3; ++axis) {
    // w = u - (e3.u) e3 for the unit vector u along this axis.
    std::array<double, 3> w{};
    for (int k = 0; k < 3; ++k)
      w[k] = (k == axis ? 1.0 : 0.0) - e3[axis] * e3[k];
    const double length = std::sqrt(w[0] * w[0] + w[1] * w[1] + w[2] * w[2]);
    if (length < e1e2e3_min_length)
      continue;
    for (int k = 0; k < 3; ++k)
      e1[k] = w[k] / length;
    common::cross(e3, e1, e2);
    return 0;
  }
  return -1;
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

int getdis(std::span<const double> xyz, std::span<double> dist, int n) {
  if (n < 1)
    return -1;
  for (int k = 0; k < n; ++k) {
    const double* r = &xyz[3 * static_cast<std::size_t>(k)];
    dist[k] = std::sqrt(r[0] * r[0] + r[1] * r[1] + r[2] * r[2]);
  }
  return 0;
}

int rshell(std::span<const double> xyz, std::span<const std::string> symbols, int n, double tol,
           const ShellOutput& out) {
  if (n < 1)
    return 0;
  const auto count = static_cast<std::size_t>(n);
  // By symbol, then distance. The sort is stable: equal keys keep their input order, as in the
  // bubble sort this order was first defined by.
  std::vector<std::size_t> order(count);
  std::iota(order.begin(), order.end(), std::size_t{0});
  const std::vector<double> distances(out.distances.begin(), out.distances.begin() + n);
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    const int by_symbol = symbols[a].compare(symbols[b]);
    return by_symbol < 0 || (by_symbol == 0 && distances[a] < distances[b]);
  });
  for (std::size_t k = 0; k < count; ++k) {
    out.symbols[k] = symbols[order[k]];
    out.distances[k] = distances[order[k]];
    for (std::size_t c = 0; c < 3; ++c)
      out.positions[3 * k + c] = xyz[3 * order[k] + c];
  }

  // Each entry is compared with its neighbour only, so a shell may span more than tol.
  int shells = 1;
  int size = 1;
  out.shell_numbers[0] = 1;
  for (std::size_t k = 0; k + 1 < count; ++k) {
    const bool same_shell =
        out.symbols[k] == out.symbols[k + 1] && out.distances[k + 1] < out.distances[k] + tol;
    if (same_shell) {
      ++size;
    } else {
      out.shell_sizes[static_cast<std::size_t>(shells - 1)] = size;
      ++shells;
      size = 1;
    }
    out.shell_numbers[k + 1] = shells;
  }
  out.shell_sizes[static_cast<std::size_t>(shells - 1)] = size;
  return shells;
}

int anorm(double* v, double& length) {
  length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
  if (length < anorm_min_length)
    return -1;
  for (int k = 0; k < 3; ++k)
    v[k] /= length;
  return 0;
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
