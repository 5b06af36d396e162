#include "kelma/lower_triangle.hpp"

#include <algorithm>
#include <array>

namespace kelma {

namespace {

// Columns whose sums down the column run side by side (independent chains of additions).
constexpr std::size_t column_group = 4;

// The terms of the columns in `columns` for the rows in rows: y(i) += H(i, j) x(j), increasing j.
void add_left_columns(std::span<const double> h, std::size_t n, std::span<const double> x,
                      std::span<double> y, IndexRange rows, IndexRange columns) {
  for (std::size_t j = columns.first; j < columns.last; ++j) {
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

// The columns of block (block.first <= block.last <= row_end), one narrow group after another:
// the rows of the block take all their terms from column block.first on, the rows below it up
// to row_end the terms of the block's columns. prepare, when given, sees each group first.
void add_block_columns(std::span<const double> h, std::size_t n, std::span<const double> x,
                       std::span<double> y, IndexRange block, std::size_t row_end,
                       const ColumnsHook& prepare) {
  std::size_t j0 = block.first;
  for (; j0 + column_group <= block.last; j0 += column_group) {
    if (prepare)
      prepare({j0, j0 + column_group});
    add_column_group<column_group>(h, n, x, y, row_end, j0);
  }
  for (; j0 < block.last; ++j0) {
    if (prepare)
      prepare({j0, j0 + 1});
    add_column_group<1>(h, n, x, y, row_end, j0);
  }
}

} // namespace

IndexRange product_rows(std::size_t n, int part, int parts) {
  const auto p = static_cast<std::size_t>(part);
  const auto ps = static_cast<std::size_t>(parts);
  return {n * p / ps, n * (p + 1) / ps};
}

std::size_t elements_before(std::size_t n, std::size_t j) { return j * n - j * (j - 1) / 2; }

void lower_product(std::span<const double> h, std::size_t n, std::span<const double> x,
                   std::span<double> y, IndexRange rows, const ColumnsHook& prepare) {
  std::fill(y.begin() + static_cast<std::ptrdiff_t>(rows.first),
            y.begin() + static_cast<std::ptrdiff_t>(rows.last), 0.0);
  add_lower_terms(h, n, x, y, rows, 0, prepare);
}

void lower_product_head(std::span<const double> h, std::size_t n, std::span<const double> x,
                        std::span<double> y, std::size_t head_end, const ColumnsHook& prepare) {
  std::fill(y.begin(), y.begin() + static_cast<std::ptrdiff_t>(n), 0.0);
  add_block_columns(h, n, x, y, {0, head_end}, n, prepare);
}

void add_lower_terms(std::span<const double> h, std::size_t n, std::span<const double> x,
                     std::span<double> y, IndexRange rows, std::size_t first_column,
                     const ColumnsHook& prepare) {
  add_left_columns(h, n, x, y, rows, {first_column, rows.first});
  add_block_columns(h, n, x, y, rows, rows.last, prepare);
}

} // namespace kelma
