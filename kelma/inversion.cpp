#include "kelma/inversion.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <utility>

#include "common/matrix_view.hpp"
#include "common/vectors.hpp"

namespace kelma {

namespace {

// Reciprocal of every row's largest magnitude; false at the first row below the threshold.
bool row_scales(common::MatrixView<double> a, int n, std::span<double> scale) {
  for (int i = 1; i <= n; ++i) {
    double big = 0.0;
    for (int j = 1; j <= n; ++j)
      big = std::max(big, std::fabs(a(i, j)));
    if (big < singularity_threshold)
      return false;
    scale[i - 1] = 1.0 / big;
  }
  return true;
}

// Removes the products of the rows above from A(i, j), one at a time, k = 1..kend.
void eliminate(common::MatrixView<double> a, int i, int j, int kend) {
  for (int k = 1; k <= kend; ++k)
    a(i, j) -= a(i, k) * a(k, j);
}

// Finishes column j of the lower factor and returns its pivot row. On equal scaled values the
// later row wins, so a column of zeros picks row n.
int pivot_row(common::MatrixView<double> a, int n, int j, std::span<const double> scale) {
  double big = 0.0;
  int pivot = j;
  for (int i = j; i <= n; ++i) {
    eliminate(a, i, j, j - 1);
    const double scaled = scale[i - 1] * std::fabs(a(i, j));
    if (scaled >= big) {
      big = scaled;
      pivot = i;
    }
  }
  return pivot;
}

} // namespace

int lufact(std::span<double> a_data, int n, std::span<double> scale, std::span<int> indx,
           int& parity) {
  const common::MatrixView<double> a{a_data.data(), n};
  parity = 1;
  if (!row_scales(a, n, scale))
    return -1;
  for (int j = 1; j <= n; ++j) {
    for (int i = 1; i < j; ++i)
      eliminate(a, i, j, i - 1);
    const int p = pivot_row(a, n, j, scale);
    if (p != j) {
      for (int k = 1; k <= n; ++k)
        std::swap(a(p, k), a(j, k));
      parity = -parity;
      scale[p - 1] = scale[j - 1];
    }
    indx[j - 1] = p;
    if (a(j, j) == 0.0)
      a(j, j) = singularity_threshold;
    for (int i = j + 1; i <= n; ++i)
      a(i, j) /= a(j, j);
  }
  return 0;
}

void lusolve(std::span<const double> a_data, int n, std::span<const int> indx,
             std::span<double> b) {
  const common::MatrixView<const double> a{a_data.data(), n};
  // Forward substitution starts at the first non-zero entry of the permuted right-hand side.
  int first = 0;
  for (int i = 1; i <= n; ++i) {
    const int p = indx[i - 1];
    double sum = b[p - 1];
    b[p - 1] = b[i - 1];
    if (first != 0) {
      for (int j = first; j < i; ++j)
        sum -= a(i, j) * b[j - 1];
    } else if (sum != 0.0) {
      first = i;
    }
    b[i - 1] = sum;
  }
  for (int i = n; i >= 1; --i) {
    double sum = b[i - 1];
    for (int j = i + 1; j <= n; ++j)
      sum -= a(i, j) * b[j - 1];
    b[i - 1] = sum / a(i, i);
  }
}

namespace {

// Columns of the inverse solved side by side, so that their sums (each a chain of dependent
// subtractions) overlap in time.
constexpr int solve_group = 4;

// Exchanges A(i, j) and A(j, i) for all i < j.
void transpose(std::span<double> a, int n) {
  const auto un = static_cast<std::size_t>(n);
  for (std::size_t j = 1; j < un; ++j) {
    for (std::size_t i = 0; i < j; ++i)
      std::swap(a[i + j * un], a[j + i * un]);
  }
}

// lusolve on the g columns b[0 .. g - 1] at once, with the factors stored
// row by row (lu[j - 1 + (i - 1) n] is A(i, j)) so that every sum runs along contiguous memory.
// Each column goes through exactly the operations of lusolve, in the same order.
// g is a compile-time constant so that the sums stay in registers.
template <int g>
void lusolve_columns(std::span<const double> lu, int n, std::span<const int> indx,
                     const std::array<double*, g>& b) {
  const auto un = static_cast<std::size_t>(n);
  std::array<int, g> first{};
  std::array<double, g> sum{};
  for (int i = 1; i <= n; ++i) {
    const double* row = lu.data() + static_cast<std::size_t>(i - 1) * un;
    const int p = indx[i - 1];
    int shared = 1; // the column indices every started column subtracts, shared .. i - 1
    bool all_started = true;
    for (int c = 0; c < g; ++c) {
      sum[c] = b[c][p - 1];
      b[c][p - 1] = b[c][i - 1];
      all_started = all_started && first[c] != 0;
      shared = std::max(shared, first[c]);
    }
    if (all_started) {
      for (int c = 0; c < g; ++c) {
        for (int j = first[c]; j < shared; ++j)
          sum[c] -= row[j - 1] * b[c][j - 1];
      }
      for (int j = shared; j < i; ++j) {
        for (int c = 0; c < g; ++c)
          sum[c] -= row[j - 1] * b[c][j - 1];
      }
    } else {
      for (int c = 0; c < g; ++c) {
        if (first[c] != 0) {
          for (int j = first[c]; j < i; ++j)
            sum[c] -= row[j - 1] * b[c][j - 1];
        } else if (sum[c] != 0.0) {
          first[c] = i;
        }
      }
    }
    for (int c = 0; c < g; ++c)
      b[c][i - 1] = sum[c];
  }
  for (int i = n; i >= 1; --i) {
    const double* row = lu.data() + static_cast<std::size_t>(i - 1) * un;
    for (int c = 0; c < g; ++c)
      sum[c] = b[c][i - 1];
    for (int j = i + 1; j <= n; ++j) {
      for (int c = 0; c < g; ++c)
        sum[c] -= row[j - 1] * b[c][j - 1];
    }
    for (int c = 0; c < g; ++c)
      b[c][i - 1] = sum[c] / row[i - 1];
  }
}

} // namespace

int matinv(std::span<double> a, int n, std::span<double> scale, std::span<int> indx,
           std::span<double> y) {
  int parity = 1;
  if (lufact(a, n, scale, indx, parity) != 0)
    return -1;
  common::setdiagmat(n, 1.0, y);
  const auto column = static_cast<std::size_t>(n);
  transpose(a, n);
  int j = 0;
  for (; j + solve_group <= n; j += solve_group) {
    std::array<double*, solve_group> b{};
    for (int c = 0; c < solve_group; ++c)
      b[c] = y.data() + static_cast<std::size_t>(j + c) * column;
    lusolve_columns<solve_group>(a, n, indx, b);
  }
  for (; j < n; ++j)
    lusolve_columns<1>(a, n, indx, {y.data() + static_cast<std::size_t>(j) * column});
  transpose(a, n);
  return 0;
}

} // namespace kelma
