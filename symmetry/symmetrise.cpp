#include "symmetry/symmetrise.hpp"

#include <array>
#include <cmath>
#include <cstddef>
#include <vector>

#include "common/channels.hpp"
#include "common/records.hpp"
#include "common/reports.hpp"
#include "common/vectors.hpp"
#include "symmetry/exact_group.hpp"
#include "symmetry/linear_algebra.hpp"
#include "symmetry/x_order.hpp"

namespace symmetry {

namespace {

constexpr int neqatm_per_line = 20;
constexpr const char* linear_no_centre = "c*v ";
constexpr const char* linear_with_centre = "d*h ";

std::size_t slot(int i, int m, int n) {
  return static_cast<std::size_t>(i) + static_cast<std::size_t>(m) * static_cast<std::size_t>(n);
}

std::span<const double> atom(std::span<const double> xyz, int i) {
  return xyz.subspan(3 * static_cast<std::size_t>(i), 3);
}

// R r, summed as matvec sums it.
std::array<double, 3> image(const Operation& r, std::span<const double> position) {
  std::array<double, 3> v{};
  common::matvec(3, r, position, v);
  return v;
}

// The nearest atom of the given symbol within tol of v in every component: its 1-based number,
// or 0 when there is none. Of two at the same distance the lower number is taken.
int nearest_match(const XOrder& by_x, std::span<const double> xyz,
                  std::span<const std::string> symbols, const std::string& symbol,
                  const std::array<double, 3>& v, double tol) {
  int best = 0;
  double best_distance = 0.0;
  for (const int j : by_x.within(v[0], tol)) {
    // The position test first: it rules out nearly every atom, and more cheaply.
    const std::span<const double> r = atom(xyz, j);
    if (!(std::fabs(v[0] - r[0]) <= tol && std::fabs(v[1] - r[1]) <= tol &&
          std::fabs(v[2] - r[2]) <= tol)) {
      continue;
    }
    if (symbols[static_cast<std::size_t>(j)] != symbol)
      continue;
    double distance = 0.0;
    for (int k = 0; k < 3; ++k)
      distance += (v[k] - r[k]) * (v[k] - r[k]);
    if (best == 0 || distance < best_distance || (distance == best_distance && j + 1 < best)) {
      best = j + 1;
      best_distance = distance;
    }
  }
  return best;
}

// The image of atom i under r: the 1-based number of the nearest like atom within tol, or 0.
int image_atom(const Operation& r, int i, const XOrder& by_x, std::span<const double> xyz,
               std::span<const std::string> symbols, double tol) {
  const std::array<double, 3> v = image(r, atom(xyz, i));
  return nearest_match(by_x, xyz, symbols, symbols[static_cast<std::size_t>(i)], v, tol);
}

// True when every column m = 1 .. g-1 of neqatm hits every atom once.
bool all_permutations(int n, int g, std::span<const int> neqatm) {
  std::vector<int> hit_by(static_cast<std::size_t>(n), -1);
  for (int m = 1; m < g; ++m) {
    for (int i = 0; i < n; ++i) {
      int& mark = hit_by[static_cast<std::size_t>(neqatm[slot(i, m, n)] - 1)];
      if (mark == m)
        return false;
      mark = m;
    }
  }
  return true;
}

// True when the columns of neqatm compose as their operations multiply: the atom that
// ops[k] ops[m] carries atom i onto is the one ops[k] carries the image of i under ops[m] onto.
// Operations that only pass for symmetry (a turn so small that every atom stays within the
// tolerance of itself) map each atom well enough alone but break this.
bool permutations_compose(int n, int g, std::span<const Operation> ops,
                          std::span<const int> neqatm) {
  std::vector<int> table(static_cast<std::size_t>(g) * static_cast<std::size_t>(g));
  product_table(g, ops, table);
  for (int m = 1; m < g; ++m) {
    for (int k = 1; k < g; ++k) {
      const int km = table[static_cast<std::size_t>(k) + static_cast<std::size_t>(g) * m];
      for (int i = 0; i < n; ++i) {
        const int j = neqatm[slot(i, m, n)] - 1;
        if (neqatm[slot(i, km, n)] != neqatm[slot(j, k, n)])
          return false;
      }
    }
  }
  return true;
}

// Nearest integer, halves away from zero.
int nint(double x) { return static_cast<int>(x >= 0.0 ? x + 0.5 : x - 0.5); }

} // namespace

Status eqvatm(int n, std::span<const double> xyz, std::span<const std::string> symbols, int g,
              std::span<const Operation> ops, double tol, std::span<int> neqatm) {
  for (int i = 0; i < n; ++i)
    neqatm[slot(i, 0, n)] = i + 1;
  if (g == 1 || n < 1)
    return Status::ok;
  const XOrder by_x(xyz, n);
  for (int i = 0; i < n; ++i) {
    for (int m = 1; m < g; ++m) {
      const int j = image_atom(ops[static_cast<std::size_t>(m)], i, by_x, xyz, symbols, tol);
      neqatm[slot(i, m, n)] = j;
      if (j == 0)
        return Status::no_image;
    }
  }
  return all_permutations(n, g, neqatm) && permutations_compose(n, g, ops, neqatm)
             ? Status::ok
             : Status::no_image;
}

int unpermuted_atom(const Operation& r, int n, std::span<const double> xyz,
                    std::span<const std::string> symbols, double tol, const XOrder& by_x,
                    std::span<int> taken) {
  common::izero(taken.first(static_cast<std::size_t>(n)));
  for (int i = 0; i < n; ++i) {
    const int j = image_atom(r, i, by_x, xyz, symbols, tol);
    if (j == 0 || taken[static_cast<std::size_t>(j - 1)] != 0)
      return i;
    taken[static_cast<std::size_t>(j - 1)] = 1;
  }
  return -1;
}

bool permutes_atoms(const Operation& r, int n, std::span<const double> xyz,
                    std::span<const std::string> symbols, double tol, const XOrder& by_x,
                    std::span<int> taken) {
  return unpermuted_atom(r, n, xyz, symbols, tol, by_x, taken) < 0;
}

bool has_image(const Operation& r, int i, std::span<const double> xyz,
               std::span<const std::string> symbols, double tol, const XOrder& by_x) {
  return image_atom(r, i, by_x, xyz, symbols, tol) != 0;
}

void symvec(int n, int g, std::span<const int> neqatm, std::span<const Operation> ops,
            std::span<double> accum, double zero_threshold, std::span<double> xyz) {
  const std::size_t words = 3 * static_cast<std::size_t>(n);
  if (g > 1) {
    common::cpyvec(xyz.first(words), accum);
    for (int i = 0; i < n; ++i) {
      for (int m = 1; m < g; ++m) {
        const std::array<double, 3> v = image(ops[static_cast<std::size_t>(m)], atom(xyz, i));
        double* target = &accum[3 * static_cast<std::size_t>(neqatm[slot(i, m, n)] - 1)];
        for (int k = 0; k < 3; ++k)
          target[k] += v[k];
      }
    }
    const double scale = 1.0 / g;
    common::vscal(scale, accum.first(words));
    common::cpyvec(accum.first(words), xyz);
  }
  for (std::size_t k = 0; k < words; ++k) {
    if (std::fabs(xyz[k]) < zero_threshold)
      xyz[k] = 0.0;
  }
}

int numdeg(int n, int g, std::span<const Operation> ops, std::string_view label,
           std::span<const int> neqatm) {
  if (n == 1)
    return 0;
  if (label == linear_no_centre)
    return n - 1;
  if (label == linear_with_centre)
    return n / 2;
  double cartesian = 0.0;
  double translation = 0.0;
  double rotation = 0.0;
  for (int m = 0; m < g; ++m) {
    const Operation& r = ops[static_cast<std::size_t>(m)];
    const double trace = r[0] + r[4] + r[8];
    int fixed_atoms = 0;
    for (int i = 0; i < n; ++i) {
      if (neqatm[slot(i, m, n)] == i + 1)
        ++fixed_atoms;
    }
    cartesian += fixed_atoms * trace;
    translation += trace;
    rotation += deter(r.data()) > 0.0 ? trace : -trace;
  }
  return nint(cartesian / g) - nint(translation / g) - nint(rotation / g);
}

void prntsym(common::RunContext& run, int n, std::string_view label, int g,
             std::span<const Operation> ops, std::span<const int> neqatm) {
  using common::listing_unit;
  run.write_blank(listing_unit);
  run.write_record(listing_unit, common::Record()
                                     .text(" Point Group: ")
                                     .a(label, 4)
                                     .text("  Number of Symmetry")
                                     .text(" Operations: ")
                                     .i(g, 3)
                                     .str());
  for (int m = 0; m < g; ++m) {
    run.write_blank(listing_unit);
    run.write_record(listing_unit,
                     common::Record().text(" Symmetry Operation: ").i(m + 1, 3).str());
    common::prntmat(run, 3, 3, 3, ops[static_cast<std::size_t>(m)]);
  }
  run.write_blank(listing_unit);
  run.write_record(listing_unit, " Equivalent Atoms Array");
  for (int i = 0; i < n; ++i) {
    common::Record line;
    for (int m = 0; m < g; ++m) {
      line.i(neqatm[slot(i, m, n)], 4);
      if ((m + 1) % neqatm_per_line == 0 || m + 1 == g) {
        run.write_record(listing_unit, line.str());
        line = common::Record();
      }
    }
  }
}

} // namespace symmetry
