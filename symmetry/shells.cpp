#include "symmetry/shells.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <numeric>
#include <vector>

#include "symmetry/linear_algebra.hpp"

namespace symmetry {

Status getdis(std::span<const double> xyz, std::span<double> dist, int n) {
  if (n < 1)
    return Status::no_atoms;
  for (int k = 0; k < n; ++k) {
    const double* r = &xyz[3 * static_cast<std::size_t>(k)];
    dist[k] = std::sqrt(r[0] * r[0] + r[1] * r[1] + r[2] * r[2]);
  }
  return Status::ok;
}

int rshell(std::span<const double> xyz, std::span<const std::string> symbols, int n, double tol,
           const ShellOutput& out) {
  if (n < 1)
    return 0;
  const auto count = static_cast<std::size_t>(n);
  // By symbol, then distance; equal keys keep their input order, which decides the shell order of
  // like atoms at equal distance and so the order the element search meets them in.
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

ShellRun shell_run(const ShellAtoms& atoms, int shell) {
  const std::span<const int> numbers =
      atoms.shell_numbers.first(static_cast<std::size_t>(atoms.natoms));
  const auto [first, last] = std::equal_range(numbers.begin(), numbers.end(), shell);
  return {static_cast<int>(first - numbers.begin()) + 1,
          static_cast<int>(last - numbers.begin()) + 1};
}

ShellRun next_run(const ShellAtoms& atoms, ShellRun run, int i) {
  while (i >= run.last) {
    run.first = run.last;
    run.last =
        run.first + atoms.shell_sizes[static_cast<std::size_t>(atoms.shell_of(run.first) - 1)];
  }
  return run;
}

int atom_within(const ShellAtoms& atoms, const ShellRun& run, const double* y, double thrsym,
                Pick pick) {
  // An atom beyond the reach in x is beyond thrsym: most are passed over on that one difference.
  const double reach = distance_reach(thrsym);
  int best = 0;
  double best_distance = 0.0;
  for (int j = run.first; j < run.last; ++j) {
    const double* x = atoms.position(j);
    const double dx = x[0] - y[0];
    if (std::fabs(dx) > reach)
      continue;
    const double dy = x[1] - y[1];
    const double dz = x[2] - y[2];
    const double distance = std::sqrt(dx * dx + dy * dy + dz * dz);
    if (!(distance <= thrsym))
      continue;
    if (pick == Pick::first)
      return j;
    if (best == 0 || distance < best_distance) {
      best = j;
      best_distance = distance;
    }
  }
  return best;
}

int hitit(const ShellAtoms& atoms, const double* y, int shell, double thrsym, Pick pick) {
  return atom_within(atoms, shell_run(atoms, shell), y, thrsym, pick);
}

} // namespace symmetry
