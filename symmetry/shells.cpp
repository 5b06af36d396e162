#include "symmetry/shells.hpp"

#include <algorithm>
#include <array>
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

namespace {

// Runs of up to this many atoms are walked whole.
constexpr int walked_run = 2 * lookup_block;

// The coordinates of a shell's run by decreasing spread (the lower coordinate first on a tie).
std::array<std::size_t, 3> axes_by_spread(const ShellAtoms& atoms, const ShellRun& run) {
  std::array<double, 3> spread{};
  for (std::size_t k = 0; k < 3; ++k) {
    double low = atoms.position(run.first)[k];
    double high = low;
    for (int j = run.first + 1; j < run.last; ++j) {
      low = std::min(low, atoms.position(j)[k]);
      high = std::max(high, atoms.position(j)[k]);
    }
    spread[k] = high - low;
  }
  std::array<std::size_t, 3> axes{0, 1, 2};
  std::stable_sort(axes.begin(), axes.end(),
                   [&](std::size_t a, std::size_t b) { return spread[a] > spread[b]; });
  return axes;
}

// Sorts the atom numbers [first, last) on one coordinate, the lower number first on a tie.
void sort_on(const ShellAtoms& atoms, std::span<int>::iterator first, std::span<int>::iterator last,
             std::size_t axis) {
  std::sort(first, last, [&](int a, int b) {
    const double ca = atoms.position(a)[axis];
    const double cb = atoms.position(b)[axis];
    return ca < cb || (ca == cb && a < b);
  });
}

// True when atom j lies within thrsym of y, with its distance in distance. An atom beyond reach in
// x is passed over on that one difference.
bool within(const ShellAtoms& atoms, int j, const double* y, double reach, double thrsym,
            double& distance) {
  const double* x = atoms.position(j);
  const double dx = x[0] - y[0];
  if (std::fabs(dx) > reach)
    return false;
  const double dy = x[1] - y[1];
  const double dz = x[2] - y[2];
  distance = std::sqrt(dx * dx + dy * dy + dz * dz);
  return distance <= thrsym;
}

// What a walk through the run in atom order keeps: the first atom within thrsym, or the nearest
// (the first of equal distances).
struct Keeper {
  Pick pick;
  int best = 0;
  double best_distance = 0.0;

  void offer(int j, double distance) {
    const bool better =
        best == 0 ||
        (pick == Pick::first ? j < best
                             : distance < best_distance || (distance == best_distance && j < best));
    if (better) {
      best = j;
      best_distance = distance;
    }
  }
};

} // namespace

ShellLookup order_shells(const ShellAtoms& atoms, std::span<int> order, std::span<int> axes,
                         std::span<double> ranges) {
  int next = 1;
  for (int shell = 1; shell <= atoms.nshell; ++shell) {
    const ShellRun run{next, next + atoms.shell_sizes[static_cast<std::size_t>(shell - 1)]};
    next = run.last;
    if (run.first >= run.last)
      continue;
    const std::array<std::size_t, 3> by_spread = axes_by_spread(atoms, run);
    axes[2 * static_cast<std::size_t>(shell - 1)] = static_cast<int>(by_spread[0]);
    axes[2 * static_cast<std::size_t>(shell - 1) + 1] = static_cast<int>(by_spread[1]);
    const auto place = [&](int atom) { return order.begin() + (atom - 1); };
    std::iota(place(run.first), place(run.last), run.first);
    sort_on(atoms, place(run.first), place(run.last), by_spread[0]);
    for (int block = run.first; block < run.last; block += lookup_block) {
      const int end = std::min(block + lookup_block, run.last);
      const auto at = 2 * static_cast<std::size_t>(block - 1);
      ranges[at] = atoms.position(*place(block))[by_spread[0]];
      ranges[at + 1] = atoms.position(*place(end - 1))[by_spread[0]];
      sort_on(atoms, place(block), place(end), by_spread[1]);
    }
  }
  return {order, axes, ranges};
}

int atom_within(const ShellAtoms& atoms, const ShellRun& run, const double* y, double thrsym,
                Pick pick) {
  const double reach = distance_reach(thrsym);
  Keeper keeper{pick};
  // A walk through a run of a few blocks costs less than finding the blocks.
  if (atoms.lookup.order.empty() || run.last - run.first <= walked_run) {
    for (int j = run.first; j < run.last; ++j) {
      double distance = 0.0;
      if (!within(atoms, j, y, reach, thrsym, distance))
        continue;
      if (pick == Pick::first)
        return j;
      keeper.offer(j, distance);
    }
    return keeper.best;
  }
  // An atom within thrsym of y lies within reach of it in every coordinate. The blocks follow
  // each other on the first axis, so those that can hold such an atom are consecutive: from the
  // first whose highest coordinate is not below y - reach to the last whose lowest is not above
  // y + reach (the offsets never fall as the coordinate grows). In a block, sorted on the second
  // axis, they form one stretch the same way.
  const auto shell = static_cast<std::size_t>(atoms.shell_of(run.first) - 1);
  const auto first_axis = static_cast<std::size_t>(atoms.lookup.axes[2 * shell]);
  const auto second_axis = static_cast<std::size_t>(atoms.lookup.axes[2 * shell + 1]);
  const std::size_t third_axis = 3 - first_axis - second_axis;
  const auto offset = [&](int j, std::size_t axis) { return atoms.position(j)[axis] - y[axis]; };
  const auto low = [&](int block) {
    return atoms.lookup.ranges[2 * static_cast<std::size_t>(block - 1)];
  };
  const auto high = [&](int block) {
    return atoms.lookup.ranges[2 * static_cast<std::size_t>(block - 1) + 1];
  };
  const auto block_at = [&](int k) { return run.first + k * lookup_block; };
  const int count = (run.last - run.first + lookup_block - 1) / lookup_block;
  // The first block whose upper end comes within reach: the blocks are in order, so bisect.
  int from = 0;
  for (int past = count; from < past;) {
    const int middle = from + (past - from) / 2;
    if (high(block_at(middle)) - y[first_axis] < -reach)
      from = middle + 1;
    else
      past = middle;
  }
  for (int k = from; k < count; ++k) {
    const int block = block_at(k);
    if (!(low(block) - y[first_axis] <= reach))
      break;
    const auto begin = atoms.lookup.order.begin() + (block - 1);
    const auto end = atoms.lookup.order.begin() + (std::min(block + lookup_block, run.last) - 1);
    auto it =
        std::partition_point(begin, end, [&](int j) { return offset(j, second_axis) < -reach; });
    for (; it != end && offset(*it, second_axis) <= reach; ++it) {
      const int j = *it;
      if (std::fabs(offset(j, first_axis)) > reach || std::fabs(offset(j, third_axis)) > reach)
        continue;
      double distance = 0.0;
      if (within(atoms, j, y, reach, thrsym, distance))
        keeper.offer(j, distance);
    }
  }
  return keeper.best;
}

int hitit(const ShellAtoms& atoms, const double* y, int shell, double thrsym, Pick pick) {
  return atom_within(atoms, shell_run(atoms, shell), y, thrsym, pick);
}

} // namespace symmetry
