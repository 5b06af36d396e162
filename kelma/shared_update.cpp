#include "kelma/shared_update.hpp"

#include <atomic>
#include <thread>
#include <vector>

namespace kelma {

namespace {

// What forming the product of an element costs beside one of the divisions of its update.
constexpr double head_product_cost = 0.6;

// Divisions still to make in an element of column j.
double divisions(std::size_t j, std::size_t first_done) { return j < first_done ? 1.0 : 2.0; }

// The first term added to the columns the product has read, following its progress (the first
// column it has not finished yet) until it has read them all or finished: the columns done.
std::size_t follow_product(const FirstTerm& first, std::span<double> h, std::size_t n,
                           const std::atomic<std::size_t>& progress,
                           const std::atomic<bool>& finished) {
  std::size_t j = 0;
  while (j < n) {
    const std::size_t read = progress.load(std::memory_order_acquire);
    if (j >= read) {
      if (finished.load(std::memory_order_acquire) && progress.load(std::memory_order_acquire) <= j)
        break;
      std::this_thread::yield(); // a thread that wants this CPU gets it
      continue;
    }
    for (; j < read; ++j) {
      double* column = h.data() + j * n;
      for (std::size_t i = j; i < n; ++i)
        column[i] = first.added(column[i], i, j);
      if (finished.load(std::memory_order_relaxed))
        return j + 1;
    }
  }
  return j;
}

} // namespace

void update_lower(const Correction& k, std::span<double> h, std::size_t n, IndexRange columns,
                  std::size_t first_done) {
  for (std::size_t j = columns.first; j < columns.last; ++j) {
    double* column = h.data() + j * n;
    if (j < first_done) {
      for (std::size_t i = j; i < n; ++i)
        column[i] = k.rest(column[i], i, j);
    } else {
      for (std::size_t i = j; i < n; ++i)
        column[i] = k.updated(column[i], i, j);
    }
  }
}

std::size_t product_with_first_term(common::WorkerPool& pool, const FirstTerm& first,
                                    std::span<double> h, std::size_t n,
                                    std::span<const double> gamma, std::span<double> v) {
  std::atomic<std::size_t> progress = 0;
  std::atomic<bool> finished = false;
  std::size_t first_done = 0;
  pool.run(2, [&](int part) {
    if (part == 0) {
      // The worker stops when the product ends, whichever way it ends.
      struct Finish {
        std::atomic<bool>& flag;
        ~Finish() { flag.store(true, std::memory_order_release); }
      } finish{finished};
      // A column is read once, in its group: the columns before a group are finished with.
      lower_product(h, n, gamma, v, {0, n}, [&](IndexRange columns) {
        progress.store(columns.first, std::memory_order_release);
      });
      progress.store(n, std::memory_order_release);
    } else {
      first_done = follow_product(first, h, n, progress, finished);
    }
  });
  return first_done;
}

std::vector<std::size_t> update_boundaries(std::size_t n, int parts, std::size_t first_done) {
  if (parts < 2)
    return {n};
  // cost[j]: the divisions of the columns before j.
  std::vector<double> cost(n + 1, 0.0);
  for (std::size_t j = 0; j < n; ++j)
    cost[j + 1] = cost[j] + static_cast<double>(n - j) * divisions(j, first_done);
  const auto others = static_cast<double>(parts - 1);
  std::size_t head = 0;
  while (head < n &&
         cost[head] + head_product_cost * static_cast<double>(elements_before(n, head)) <
             (cost[n] - cost[head]) / others)
    ++head;
  std::vector<std::size_t> ends{head};
  std::size_t j = head;
  for (int part = 1; part < parts; ++part) {
    const double target = cost[head] + (cost[n] - cost[head]) * part / others;
    while (j < n && cost[j] < target)
      ++j;
    ends.push_back(part + 1 == parts ? n : j);
  }
  return ends;
}

void shared_update(common::WorkerPool& pool, const Correction& k, std::span<double> h,
                   std::size_t n, std::span<const double> f, std::span<double> step,
                   std::size_t first_done) {
  const int parts = pool.size();
  const std::vector<std::size_t> ends = update_boundaries(n, parts, first_done);
  const std::size_t head = ends[0];
  pool.run(parts, [&](int part) {
    if (part == 0) {
      lower_product_head(h, n, f, step, head,
                         [&](IndexRange columns) { update_lower(k, h, n, columns, first_done); });
    } else {
      const std::size_t p = static_cast<std::size_t>(part);
      update_lower(k, h, n, {ends[p - 1], ends[p]}, first_done);
    }
  });
  pool.run(parts, [&](int part) {
    const IndexRange rows = product_rows(n - head, part, parts);
    add_lower_terms(h, n, f, step, {head + rows.first, head + rows.last}, head);
  });
}

} // namespace kelma
