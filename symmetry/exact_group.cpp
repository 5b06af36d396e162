#include "symmetry/exact_group.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <numeric>
#include <utility>
#include <vector>

#include "symmetry/linear_algebra.hpp"
#include "symmetry/operations.hpp"

namespace symmetry {

namespace {

// The averaging halves the number of correct digits lost at every round (it is quadratic), so a
// few rounds bring any defect the search leaves down to rounding.
constexpr int max_fit_rounds = 8;
constexpr int max_polar_steps = 30;

std::size_t at(int k, int m, int count) {
  return static_cast<std::size_t>(k) +
         static_cast<std::size_t>(count) * static_cast<std::size_t>(m);
}

// The transpose of the inverse: the cofactor matrix over the determinant.
Operation inverse_transpose(const Operation& r) {
  const auto e = [&r](int i, int j) { return r[static_cast<std::size_t>(i + 3 * j)]; };
  Operation c;
  for (int j = 0; j < 3; ++j) {
    for (int i = 0; i < 3; ++i) {
      const int i1 = (i + 1) % 3, i2 = (i + 2) % 3, j1 = (j + 1) % 3, j2 = (j + 2) % 3;
      c[static_cast<std::size_t>(i + 3 * j)] = e(i1, j1) * e(i2, j2) - e(i1, j2) * e(i2, j1);
    }
  }
  const double det = deter(r.data());
  for (double& v : c)
    v /= det;
  return c;
}

// The orthogonal factor of the polar decomposition (Newton: X <- (X + X^-T) / 2), to a step
// below rounding_defect.
Operation orthogonal_part(Operation x, double rounding_defect) {
  for (int step = 0; step < max_polar_steps; ++step) {
    const Operation y = inverse_transpose(x);
    Operation next;
    for (std::size_t k = 0; k < next.size(); ++k)
      next[k] = (x[k] + y[k]) / 2.0;
    const double change = dif(next.data(), x.data(), 9);
    x = next;
    if (change < rounding_defect)
      break;
  }
  return x;
}

// a is farther than distance from b in one element.
bool beyond(const Operation& a, const Operation& b, double distance) {
  const double reach = distance_reach(distance);
  for (std::size_t e = 0; e < a.size(); ++e) {
    if (std::fabs(a[e] - b[e]) > reach)
      return true;
  }
  return false;
}

// The search for the operation nearest a product by dif (the first on a tie). The operations are
// visited in the order of their distance from the product in the first element, so that the
// nearest is met early, and the walk on each side ends where the first element alone puts every
// further operation beyond the nearest so far.
class NearestOperation {
public:
  NearestOperation(int count, std::span<const Operation> ops)
      : ops_(ops), by_first_(static_cast<std::size_t>(count)) {
    std::iota(by_first_.begin(), by_first_.end(), 0);
    std::stable_sort(by_first_.begin(), by_first_.end(),
                     [this](int a, int b) { return first(a) < first(b); });
  }

  std::pair<int, double> of(const Operation& p) {
    p_ = &p;
    best_ = -1;
    const auto split = std::partition_point(by_first_.begin(), by_first_.end(),
                                            [&](int l) { return first(l) < p[0]; });
    // Two walks from the split, the one nearer the product in the first element first.
    auto up = split;
    auto down = split;
    bool up_open = up != by_first_.end();
    bool down_open = down != by_first_.begin();
    while (up_open || down_open) {
      if (up_open && (!down_open || first(*up) - p[0] <= p[0] - first(*(down - 1)))) {
        up_open = consider(*up) && ++up != by_first_.end();
      } else {
        down_open = consider(*(down - 1)) && --down != by_first_.begin();
      }
    }
    return {best_, best_distance_};
  }

private:
  double first(int l) const { return ops_[static_cast<std::size_t>(l)][0]; }

  // Measures operation l unless it lies beyond the nearest so far; false when its first element
  // alone does.
  bool consider(int l) {
    const Operation& r = ops_[static_cast<std::size_t>(l)];
    if (best_ >= 0 && std::fabs((*p_)[0] - r[0]) > distance_reach(best_distance_))
      return false;
    if (best_ >= 0 && beyond(*p_, r, best_distance_))
      return true;
    const double distance = dif(p_->data(), r.data(), 9);
    if (best_ < 0 || distance < best_distance_ || (distance == best_distance_ && l < best_)) {
      best_ = l;
      best_distance_ = distance;
    }
    return true;
  }

  std::span<const Operation> ops_;
  std::vector<int> by_first_;
  const Operation* p_ = nullptr;
  int best_ = -1;
  double best_distance_ = 0.0;
};

Operation product(std::span<const Operation> ops, int k, int m) {
  Operation p;
  mult3(ops[static_cast<std::size_t>(k)], ops[static_cast<std::size_t>(m)], p);
  return p;
}

// Largest distance between a product and the operation the table gives for it.
double table_defect(int count, std::span<const Operation> ops, std::span<const int> table) {
  double worst = 0.0;
  for (int m = 0; m < count; ++m) {
    for (int k = 0; k < count; ++k) {
      const Operation p = product(ops, k, m);
      const Operation& listed = ops[static_cast<std::size_t>(table[at(k, m, count)])];
      worst = std::max(worst, dif(p.data(), listed.data(), 9));
    }
  }
  return worst;
}

// The square of every operation is an operation of the list within exact_product_defect. The
// closure builds every coset as exact products, so a list from noisy generators shows its defect
// in the relations between them, which the squares of the mixed products carry.
bool squares_in_list(int count, std::span<const Operation> ops, double exact_product_defect) {
  for (int k = 0; k < count; ++k) {
    const Operation p = product(ops, k, k);
    const bool listed = std::any_of(ops.begin(), ops.begin() + count, [&](const Operation& r) {
      return dif(p.data(), r.data(), 9) < exact_product_defect;
    });
    if (!listed)
      return false;
  }
  return true;
}

// Every row of the table is a permutation of the operations.
bool is_multiplication_table(int count, std::span<const int> table) {
  std::vector<int> seen(static_cast<std::size_t>(count), -1);
  for (int k = 0; k < count; ++k) {
    for (int m = 0; m < count; ++m) {
      int& mark = seen[static_cast<std::size_t>(table[at(k, m, count)])];
      if (mark == k)
        return false;
      mark = k;
    }
  }
  return true;
}

// One round: op_m becomes the orthogonal part of the average of op_k^T op_(k m).
void average_round(int count, std::span<Operation> ops, std::span<const int> table,
                   double rounding_defect) {
  std::vector<Operation> next(static_cast<std::size_t>(count));
  for (int m = 1; m < count; ++m) {
    Operation sum{};
    for (int k = 0; k < count; ++k) {
      Operation term;
      mult3(transpose(ops[static_cast<std::size_t>(k)]),
            ops[static_cast<std::size_t>(table[at(k, m, count)])], term);
      for (std::size_t e = 0; e < sum.size(); ++e)
        sum[e] += term[e];
    }
    for (double& v : sum)
      v /= count;
    next[static_cast<std::size_t>(m)] = orthogonal_part(sum, rounding_defect);
  }
  for (int m = 1; m < count; ++m)
    ops[static_cast<std::size_t>(m)] = next[static_cast<std::size_t>(m)];
}

} // namespace

double product_table(int count, std::span<const Operation> ops, std::span<int> table) {
  NearestOperation search(count, ops);
  double worst = 0.0;
  for (int m = 0; m < count; ++m) {
    for (int k = 0; k < count; ++k) {
      const auto [nearest, nearest_distance] = search.of(product(ops, k, m));
      table[at(k, m, count)] = nearest;
      worst = std::max(worst, nearest_distance);
    }
  }
  return worst;
}

bool fitgrp(int count, std::span<Operation> ops, const Thresholds& th) {
  if (squares_in_list(count, ops, th.exact_product_defect))
    return false;
  std::vector<int> table(static_cast<std::size_t>(count) * static_cast<std::size_t>(count));
  product_table(count, ops, table);
  if (!is_multiplication_table(count, table))
    return false;
  for (int round = 0;
       round < max_fit_rounds && table_defect(count, ops, table) > th.rounding_defect; ++round) {
    average_round(count, ops, table, th.rounding_defect);
  }
  return true;
}

} // namespace symmetry
