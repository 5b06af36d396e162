#include "symmetry/group_choice.hpp"

#include <algorithm>
#include <cstddef>

#include "symmetry/linear_algebra.hpp"
#include "symmetry/operations.hpp"
#include "symmetry/tolerance_scan.hpp"

namespace symmetry {

namespace {

// r, an operation in the frame of result, in the frame of the atoms as given.
Operation in_input_frame(const Operation& r, const SymmetryResult& result) {
  Operation left;
  Operation seen;
  mult3(transpose(result.rotation), r, left);
  mult3(left, result.rotation, seen);
  return seen;
}

struct Candidate {
  SymmetryResult result;
  double tolerance = 0.0;
};

// Marks with false the candidates broken against a subgroup among them.
std::vector<bool> unbroken(const std::vector<Candidate>& all, double tol, int n, double thrsym) {
  std::vector<bool> kept(all.size(), true);
  for (std::size_t k = 0; k < all.size(); ++k) {
    for (std::size_t l = 0; l < all.size() && kept[k]; ++l) {
      kept[k] = l == k || !contains_group(all[k].result, all[l].result, tol) ||
                !broken_against(all[k].result.deviation, all[l].result.deviation, n, thrsym);
    }
  }
  return kept;
}

// The unbroken candidates that no other unbroken candidate contains (the first of equal ones).
std::vector<std::size_t> largest(const std::vector<Candidate>& all, double tol, int n,
                                 double thrsym) {
  const std::vector<bool> whole = unbroken(all, tol, n, thrsym);
  std::vector<std::size_t> kept;
  for (std::size_t k = 0; k < all.size(); ++k) {
    bool inside = !whole[k];
    for (std::size_t l = 0; l < all.size() && !inside; ++l) {
      if (l == k || !whole[l] || !contains_group(all[l].result, all[k].result, tol))
        continue;
      inside = !contains_group(all[k].result, all[l].result, tol) || l < k;
    }
    if (!inside)
      kept.push_back(k);
  }
  return kept;
}

HeldGroup held(const Candidate& c) {
  return {c.result.label, c.result.count, c.tolerance, c.result.deviation};
}

} // namespace

bool broken_against(const Deviation& a, const Deviation& b, int n, double thrsym) {
  const int beyond = a.constraints - b.constraints;
  if (beyond <= 0 || b.constraints <= 0)
    return false;
  // The sums of the squared displacements over the atoms are n rms^2.
  const double moved_beyond = n * (a.rms * a.rms - b.rms * b.rms) / beyond;
  const double floor = (sure_share * thrsym) * (sure_share * thrsym);
  const double moved_within = std::max(n * b.rms * b.rms / b.constraints, floor);
  return moved_beyond > broken_ratio * moved_within;
}

bool contains_group(const SymmetryResult& a, const SymmetryResult& b, double tol) {
  for (int k = 0; k < b.count; ++k) {
    const Operation rb = in_input_frame(b.ops[static_cast<std::size_t>(k)], b);
    bool listed = false;
    for (int l = 0; l < a.count && !listed; ++l) {
      const Operation ra = in_input_frame(a.ops[static_cast<std::size_t>(l)], a);
      listed = dif(ra.data(), rb.data(), 9) < tol;
    }
    if (!listed)
      return false;
  }
  return true;
}

GroupChoice choose_group(const SymmetryInput& input, const SymmetryResult& answer) {
  std::vector<Candidate> all{{answer, input.thrsym}};
  if (answer.deviation.image > sure_share * input.thrsym) {
    const double tolerance = tighter_share * answer.deviation.image;
    SymmetryResult tighter = result_at(input, tolerance);
    if (tighter.fallback == Status::ok && tighter.count > 1)
      all.push_back({std::move(tighter), tolerance});
  }
  const std::vector<std::size_t> kept =
      largest(all, make_thresholds(input.thrsym).group, input.natoms, input.thrsym);
  const std::size_t best =
      *std::min_element(kept.begin(), kept.end(), [&](std::size_t a, std::size_t b) {
        return all[a].result.deviation.rms < all[b].result.deviation.rms;
      });
  GroupChoice choice;
  choice.chosen = all[best].result;
  choice.tolerance = all[best].tolerance;
  choice.replaced = best != 0;
  for (const std::size_t k : kept) {
    if (k != best)
      choice.near.push_back(held(all[k]));
  }
  return choice;
}

} // namespace symmetry
