// The inverse Hessian once the BFGS update has made it symmetric: n x n, column by column, of
// which only the lower triangle (i >= j) is kept. The routines work on a part of the matrix, so
// that threads can share one product or one update without changing any value.
#pragma once

#include <cstddef>
#include <functional>
#include <span>

namespace kelma {

// A half-open range of rows or columns.
struct IndexRange {
  std::size_t first;
  std::size_t last;
};

// Rows of y = H x, for the rows of part `part` of `parts` (each row costs about n terms).
IndexRange product_rows(std::size_t n, int part, int parts);

// Elements of the lower triangle in the columns before column j.
std::size_t elements_before(std::size_t n, std::size_t j);

// Called with columns of H just before a product first reads them.
using ColumnsHook = std::function<void(IndexRange columns)>;

// y(i) = sum over j of H(i, j) x(j) for the rows i in rows, read from the lower triangle. Each
// sum starts from zero and adds its terms in increasing j, the products formed from the same
// operands as matvec forms them on the whole symmetric matrix, so the results are the same bits.
// The columns of the rows' own block are read one narrow block after another, from the
// diagonal down, and prepare (when given) may bring each block up to date first: an update
// and the product of its result then take one pass over the matrix.
void lower_product(std::span<const double> h, std::size_t n, std::span<const double> x,
                   std::span<double> y, IndexRange rows, const ColumnsHook& prepare = nullptr);

// The head of y = H x shared by parts: y is cleared, the rows before head_end get their whole
// sums and every later row the terms of the columns before head_end, in the order of
// lower_product, each group of columns handed to prepare before it is read. The terms of the
// later rows from column head_end on are add_lower_terms's.
void lower_product_head(std::span<const double> h, std::size_t n, std::span<const double> x,
                        std::span<double> y, std::size_t head_end, const ColumnsHook& prepare);

// Completes y(i) for the rows i in rows (first_column <= rows.first) that hold the terms of the
// columns before first_column: adds those of the later columns in increasing j, the columns of
// the rows' own block handed to prepare (when given) as lower_product hands them.
void add_lower_terms(std::span<const double> h, std::size_t n, std::span<const double> x,
                     std::span<double> y, IndexRange rows, std::size_t first_column,
                     const ColumnsHook& prepare = nullptr);

} // namespace kelma
