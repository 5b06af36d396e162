// The BFGS update of the inverse Hessian's lower triangle, element by element, and the schedule
// that shares it and its two products out over a worker pool. Every element is computed from the
// same operands in the same order on any number of threads, so the bits never depend on them.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

#include "common/worker_pool.hpp"
#include "kelma/lower_triangle.hpp"

namespace kelma {

// The first term of the update of H(i, j), delta_i delta_j / c: known before v = H gamma is.
struct FirstTerm {
  std::span<const double> delta;
  double c;

  double added(double h, std::size_t i, std::size_t j) const { return h + delta[i] * delta[j] / c; }
};

// The whole correction, H(i, j) + delta_i delta_j / c - v_i v_j / q + q u_i u_j, evaluated from
// left to right: rest completes an element that holds the first term already.
struct Correction {
  FirstTerm first;
  std::span<const double> v;
  std::span<const double> u;
  double q;

  double rest(double t, std::size_t i, std::size_t j) const {
    return t - v[i] * v[j] / q + q * u[i] * u[j];
  }
  double updated(double h, std::size_t i, std::size_t j) const {
    return rest(first.added(h, i, j), i, j);
  }
};

// Updates H(i, j), i >= j, for the columns given; the columns before first_done hold the first
// term already.
void update_lower(const Correction& k, std::span<double> h, std::size_t n, IndexRange columns,
                  std::size_t first_done);

// v = H gamma from the lower triangle, formed by this thread while a worker of the pool adds the
// first term to every column the product has read. Returns the number of leading columns that
// hold it.
std::size_t product_with_first_term(common::WorkerPool& pool, const FirstTerm& first,
                                    std::span<double> h, std::size_t n,
                                    std::span<const double> gamma, std::span<double> v);

// The rest of the update and step = H f, shared over the pool: the head part updates the first
// columns and forms their terms of H f in one pass while the other parts update the remaining
// columns; then the rows below the head take their remaining terms, shared out by rows.
void shared_update(common::WorkerPool& pool, const Correction& k, std::span<double> h,
                   std::size_t n, std::span<const double> f, std::span<double> step,
                   std::size_t first_done);

// The column boundaries of a shared update on `parts` threads: the head's end, then the end of
// every other part (the last is n), so that each part costs about as much: an element costs one
// division per term still to add, and the head's also its product.
std::vector<std::size_t> update_boundaries(std::size_t n, int parts, std::size_t first_done);

} // namespace kelma
