#include "kelma/lower_triangle.hpp"

#include <algorithm>
#include <array>

namespace kelma {

namespace {

// Columns whose sums down the column run side by side (independent chains of additions).
constexpr std::size_t column_group = 4;

// The rows of a product from the columns left of them: y(i) += H(i, j) x(j), j in [0, last).
void add_left_columns(std::span<const double> h, std::size_t n, std::span<const double> x,
                      std::span<double> y, IndexRange rows, std::size_t last) {
  for (std::size_t j = 0; j < last; ++j) {
    const double xj = x[j];
    const double* column = h.data() + j * n;
    for (std::size_t i = rows.first; i < rows.last; ++i)
      y[i] += column[i] * xj;
  }
}

// Columns [j0, j0 + G) of the rows' own block. Row i of the group takes, after the terms of the
// earlier columns, the terms j >= i from column i below the diagonal (H(j, i) = H(i, j)); rows
// of the block below the group take the group's columns as further terms. The sums down the
// columns and the additions across them are separate loops, so that the compiler can vectorise
// each: the first across the group's columns, the second down them.
template <std::size_t G>
void add_column_group(std::span<const double> h, std::size_t n, std::span<const double> x,
                      std::span<double> y, std::size_t row_end, std::size_t j0) {
  const double* column[G];
  std::array<double, G> sum{};
  for (std::size_t a = 0; a < G; ++a) {
    column[a] = h.data() + (j0 + a) * n;
    for (std::size_t b = 0; b < a; ++b)
      y[j0 + a] += column[b][j0 + a] * x[j0 + b];
    sum[a] = y[j0 + a];
    for (std::size_t k = j0 + a; k < j0 + G; ++k)
      sum[a] += column[a][k] * x[k];
  }
  for (std::size_t k = j0 + G; k < n; ++k) {
    for (std::size_t a = 0; a < G; ++a)
      sum[a] += column[a][k] * x[k];
  }
  for (std::size_t k = j0 + G; k < row_end; ++k) {
    for (std::size_t a = 0; a < G; ++a)
      y[k] += column[a][k] * x[j0 + a];
  }
  for (std::size_t a = 0; a < G; ++a)
    y[j0 + a] = sum[a];
}

} // namespace

IndexRange product_rows(std::size_t n, int part, int parts) {
  const auto p = static_cast<std::size_t>(part);
  const auto ps = static_cast<std::size_t>(parts);
  return {n * p / ps, n * (p + 1) / ps};
}

IndexRange update_columns(std::size_t n, int part, int parts) {
  // Elements of the columns before column j: j n - j (j - 1) / 2.
  const auto before = [n](std::size_t j) { return j * n - j * (j - 1) / 2; };
  const auto boundary = [&](int p) {
    if (p >= parts)
      return n;
    const std::size_t target =
        before(n) * static_cast<std::size_t>(p) / static_cast<std::size_t>(parts);
    std::size_t j = 0;
    while (j < n && before(j) < target)
      ++j;
    return j;
  };
  return {boundary(part), boundary(part + 1)};
}

void lower_product(std::span<const double> h, std::size_t n, std::span<const double> x,
                   std::span<double> y, IndexRange rows, const ColumnsHook& prepare) {
  std::fill(y.begin() + static_cast<std::ptrdiff_t>(rows.first),
            y.begin() + static_cast<std::ptrdiff_t>(rows.last), 0.0);
  add_left_columns(h, n, x, y, rows, rows.first);
  std::size_t j0 = rows.first;
  for (; j0 + column_group <= rows.last; j0 += column_group) {
    if (prepare)
      prepare({j0, j0 + column_group});
    add_column_group<column_group>(h, n, x, y, rows.last, j0);
  }
  for (; j0 < rows.last; ++j0) {
    if (prepare)
      prepare({j0, j0 + 1});
    add_column_group<1>(h, n, x, y, rows.last, j0);
  }
}

} // namespace kelma
