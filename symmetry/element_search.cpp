#include "symmetry/element_search.hpp"

#include <algorithm>
#include <cmath>

#include "common/elementary_functions.hpp"
#include "common/vectors.hpp"
#include "symmetry/frame.hpp"
#include "symmetry/linear_algebra.hpp"
#include "symmetry/refit.hpp"
#include "symmetry/status.hpp"
#include "symmetry/thresholds.hpp"

namespace symmetry {

namespace {

using ImageRoutine = void (*)(const double*, const double*, const double*, const double*, double*,
                              const Turn&);

// x expressed in the frame, turned about e3 and rebuilt; axis_sign -1 also reflects it through
// the plane perpendicular to e3.
void turn_in_frame(const double* e1, const double* e2, const double* e3, const double* x, double* y,
                   const Turn& turn, double axis_sign) {
  const double a = x[0] * e1[0] + x[1] * e1[1] + x[2] * e1[2];
  const double b = x[0] * e2[0] + x[1] * e2[1] + x[2] * e2[2];
  const double c = x[0] * e3[0] + x[1] * e3[1] + x[2] * e3[2];
  const double ar = a * turn.c - b * turn.s;
  const double br = a * turn.s + b * turn.c;
  for (int k = 0; k < 3; ++k)
    y[k] = ar * e1[k] + br * e2[k] + axis_sign * c * e3[k];
}

double* slot_axis(const AxisSlots& slots, int slot) {
  return slots.axes[static_cast<std::size_t>(slot - 1)].data();
}

int& slot_code(const AxisSlots& slots, int slot) {
  return slots.codes[static_cast<std::size_t>(slot - 1)];
}

void store_axis(const AxisSlots& slots, int slot, const double* direction) {
  std::copy(direction, direction + 3, slot_axis(slots, slot));
}

// Marks the atoms that have found their image. The start atom counts as matched.
void reset_flags(std::span<int> flags, int start_atom) {
  common::izero(flags);
  flags[static_cast<std::size_t>(start_atom - 1)] = 1;
}

bool flagged(std::span<const int> flags, int atom) {
  return flags[static_cast<std::size_t>(atom - 1)] != 0;
}

void flag(std::span<int> flags, int atom) { flags[static_cast<std::size_t>(atom - 1)] = 1; }

// True when every atom not yet matched has an image under `image` (one step of a candidate).
template <class Image>
bool all_atoms_match(const ShellAtoms& atoms, std::span<int> flags, int start_atom, double thrsym,
                     Image image) {
  reset_flags(flags, start_atom);
  ShellRun run{1, 1}; // of atom i's shell, moved on only when i leaves it
  for (int i = 1; i <= atoms.natoms; ++i) {
    if (flagged(flags, i))
      continue;
    if (i >= run.last)
      run = next_run(atoms, run, i);
    double y[3];
    image(atoms.position(i), y);
    const int j = atom_within(atoms, run, y, thrsym, Pick::first);
    if (j == 0)
      return false;
    flag(flags, i);
    flag(flags, j);
  }
  return true;
}

// Candidate axis test: the n - 1 steps phi0 + t delta must all map the molecule onto itself, and
// no earlier slot with the same code may hold the same axis.
bool ccheck(const ShellAtoms& atoms, const Frame& f, const AxisSlots& slots, double thrsym,
            double phi0, double delta, std::span<int> flags, int n, int slot, int start_atom,
            int code, ImageRoutine routine) {
  for (int t = 1; t <= n - 1; ++t) {
    const Turn turn = turn_by(phi0 + t * delta);
    const auto image = [&](const double* x, double* y) {
      routine(f.e1.data(), f.e2.data(), f.e3.data(), x, y, turn);
    };
    if (!all_atoms_match(atoms, flags, start_atom, thrsym, image))
      return false;
  }
  for (int m = 1; m <= slot - 1; ++m) {
    if (slot_code(slots, m) == code && parall(f.e3.data(), slot_axis(slots, m), thrsym))
      return false;
  }
  store_axis(slots, slot, f.e3.data());
  return true;
}

// Candidate plane test through the origin with unit normal n.
bool checks(const ShellAtoms& atoms, const double* n, const AxisSlots& slots, double thrsym,
            std::span<int> flags, int slot, int start_atom) {
  static constexpr double origin[3] = {0.0, 0.0, 0.0};
  const auto image = [&](const double* x, double* y) { rotcs(origin, n, x, y); };
  if (!all_atoms_match(atoms, flags, start_atom, thrsym, image))
    return false;
  for (int m = 1; m <= slot - 1; ++m) {
    if (parall(n, slot_axis(slots, m), thrsym))
      return false;
  }
  store_axis(slots, slot, n);
  return true;
}

// The pairs of orders whose two generators already fix the group.
bool generators_complete(const int* codes, int ncodes) {
  if (ncodes >= 3)
    return true;
  if (ncodes < 2)
    return false;
  const int p = std::max(std::abs(codes[0]), std::abs(codes[1]));
  const int q = std::min(std::abs(codes[0]), std::abs(codes[1]));
  return ((p == 4 || p == 5) && q == 3) || (p == 6 && q == 4) || (p == 10 && q == 6);
}

// What both searches work on: the run, the atoms by shell, the group they close elements into,
// the axis slots, the match flags, the thresholds and whether generators are refitted.
struct SearchScope {
  common::RunContext& run;
  const ShellAtoms& atoms;
  Group& group;
  const AxisSlots& slots;
  std::span<int> flags;
  const Thresholds& th;
  bool refit;
};

// State of one axis search.
struct AxisSearch {
  SearchScope in;
  int count = 0;     // filled slots A
  int lone_slot = 0; // slot R of the lone-atom direction
  int generators[3] = {0, 0, 0};
  int ngenerators = 0;
  Status status = Status::ok;

  // An axis must follow the lone-atom direction when there is one.
  bool allowed(const double* e3) const {
    return lone_slot == 0 || parall(e3, slot_axis(in.slots, lone_slot), in.th.thrsym);
  }
};

enum class Outcome { go_on, closure_failed, stop };

// Refits the generator g of the element in the given slot when refitting is on; the slot keeps
// the refined axis.
void refit_generator(common::RunContext& run, const ShellAtoms& atoms, const AxisSlots& slots,
                     std::span<int> flags, const Thresholds& th, bool refit, int slot,
                     Generator& g) {
  if (refit && fitax(run, atoms, th, flags, g))
    store_axis(slots, slot, g.axis.data());
}

// Accepts the element in the next slot: closes its operation into the group.
Outcome accept(AxisSearch& s, const Frame& f, double angle, double sigma) {
  ++s.count;
  Generator g{{}, f.e3, angle, sigma, false};
  gencn(f.e1.data(), f.e2.data(), f.e3.data(), angle, sigma, g.r);
  refit_generator(s.in.run, s.in.atoms, s.in.slots, s.in.flags, s.in.th, s.in.refit, s.count, g);
  if (const Status st = grpgrp(g.r, s.in.group); st != Status::ok) {
    report(s.in.run, st);
    s.in.group.signals.note(st);
    s.status = Status::ok;
    s.in.group.count = s.in.group.order;
    --s.count;
    return Outcome::closure_failed;
  }
  if (s.in.group.count > s.in.group.order) {
    s.generators[s.ngenerators++] = slot_code(s.in.slots, s.count);
    s.in.group.order = s.in.group.count;
    if (generators_complete(s.generators, s.ngenerators))
      return Outcome::stop;
  }
  return s.in.group.count == max_operations ? Outcome::stop : Outcome::go_on;
}

// Tests the candidate axis f.e3 of order n (proper steps 2 pi / n), and the improper axis S2n on
// it, in the next slot; accepts what holds. False when the proper axis is rejected.
bool test_axis(AxisSearch& s, const Frame& f, int n, int start_atom, Outcome& outcome) {
  const int slot = s.count + 1;
  const double step = 2.0 * pi / n;
  if (!ccheck(s.in.atoms, f, s.in.slots, s.in.th.thrsym, 0.0, step, s.in.flags, n, slot, start_atom,
              n, rotc)) {
    return false;
  }
  slot_code(s.in.slots, slot) = n;
  double angle = step;
  double sigma = 1.0;
  // S2n: the n odd multiples of pi / n, then a reflection.
  if (ccheck(s.in.atoms, f, s.in.slots, s.in.th.thrsym, -pi / n, step, s.in.flags, n + 1, slot,
             start_atom, -2 * n, rots)) {
    slot_code(s.in.slots, slot) = -2 * n;
    angle = pi / n;
    sigma = -1.0;
  }
  outcome = accept(s, f, angle, sigma);
  return true;
}

enum class Step { rejected, accepted, closure_failed, end_search };

// The candidate axis e3 of order n in the next slot, when the lone-atom direction allows it.
Step axis_candidate(AxisSearch& s, const double* e3, int n, int start_atom) {
  Frame f;
  std::copy(e3, e3 + 3, f.e3.begin());
  if (const Status st = e1e2e3(f.e1.data(), f.e2.data(), f.e3.data(), s.in.th.e1e2e3_min_length);
      st != Status::ok) {
    s.status = st;
    return Step::end_search;
  }
  if (!s.allowed(f.e3.data()))
    return Step::rejected;
  if (s.count + 1 > max_operations)
    return Step::end_search;
  Outcome outcome = Outcome::go_on;
  if (!test_axis(s, f, n, start_atom, outcome))
    return Step::rejected;
  if (outcome == Outcome::stop)
    return Step::end_search;
  return outcome == Outcome::closure_failed ? Step::closure_failed : Step::accepted;
}

// The two-fold candidate through the midpoint of a pair (direction u), with its S4: the same
// test as the higher orders, with n = 2. False to end the search.
bool two_fold_candidate(AxisSearch& s, const double* u, int start_atom) {
  return axis_candidate(s, u, 2, start_atom) != Step::end_search;
}

// Higher orders 3 .. n_max for the pair with midpoint direction u (length len), unit pair
// direction-normal w and side d. False to end the search.
bool higher_order_candidates(AxisSearch& s, const double* u, double len, const double* w, double d,
                             double ri, double rj, int start_atom) {
  const int n_max =
      std::min(max_axis_order,
               static_cast<int>(std::floor(pi / common::portable::atan(d / (ri + rj)) + 0.5)));
  for (int n = 3; n <= n_max; ++n) {
    const double a = d / (2.0 * common::portable::tan(pi / n));
    const double t = a * a / len;
    double q = a * a - t * t;
    bool held = false;
    for (const double tilt : {-1.0, 1.0}) {
      if (q < s.in.th.apothem_slack)
        break;
      q = std::max(q, 0.0);
      double e3[3];
      for (int k = 0; k < 3; ++k)
        e3[k] = (t - len) * u[k] + tilt * std::sqrt(q) * w[k];
      double length = 0.0;
      if (anorm(e3, length, s.in.th.anorm_min_length) != Status::ok)
        std::copy(w, w + 3, e3);
      const Step step = axis_candidate(s, e3, n, start_atom);
      if (step == Step::end_search)
        return false;
      held = held || step != Step::rejected;
      if (step == Step::closure_failed)
        break;
    }
    // A ring through the centre has q = 0 and its normal w as the axis. Noise moves the
    // midpoint off the apothem by its own size, which the square root of q turns into a tilt
    // far beyond it (or makes q negative): the ring's normal is tried in its place.
    if (!held && std::fabs(len - a) < s.in.th.thrsym &&
        axis_candidate(s, w, n, start_atom) == Step::end_search) {
      return false;
    }
  }
  return true;
}

// One pair i < j of a shell of m atoms. False to end the search.
bool pair_candidates(AxisSearch& s, int i, int j, int m) {
  s.status = Status::ok;
  const double* xi = s.in.atoms.position(i);
  const double* xj = s.in.atoms.position(j);
  double u[3];
  double b[3];
  for (int k = 0; k < 3; ++k) {
    u[k] = -(xi[k] + xj[k]) / 2.0;
    b[k] = xj[k] - xi[k];
  }
  double len = 0.0;
  anorm(u, len, s.in.th.anorm_min_length); // a midpoint at the centre leaves u as it is
  double d = 0.0;
  if (anorm(b, d, s.in.th.anorm_min_length) != Status::ok) {
    s.status = Status::coincident_atoms;
    return false;
  }
  double w[3];
  common::cross(u, b, w);
  double wlen = 0.0;
  if (anorm(w, wlen, s.in.th.anorm_min_length) != Status::ok)
    return true;
  if (!two_fold_candidate(s, u, i))
    return false;
  if (m < 3)
    return true;
  return higher_order_candidates(s, u, len, w, d,
                                 s.in.atoms.distances[static_cast<std::size_t>(i - 1)],
                                 s.in.atoms.distances[static_cast<std::size_t>(j - 1)], i);
}

// Lone atoms: every axis must pass through each atom alone in its shell. An atom within thrsym of
// the centre lies within the tolerance of every axis there, so its direction is noise and it is
// passed over. False to end the search (with the axis count and status already set).
bool lone_atom_pass(AxisSearch& s, int centre_atom) {
  int first = 1;
  for (int shell = 0; shell < s.in.atoms.nshell; ++shell) {
    const int m = s.in.atoms.shell_sizes[static_cast<std::size_t>(shell)];
    const int k = first;
    first += m;
    if (m != 1 || k == centre_atom ||
        s.in.atoms.distances[static_cast<std::size_t>(k - 1)] < s.in.th.thrsym)
      continue;
    double u[3];
    std::copy(s.in.atoms.position(k), s.in.atoms.position(k) + 3, u);
    double length = 0.0;
    if (anorm(u, length, s.in.th.anorm_min_length) != Status::ok)
      continue;
    if (s.count + 1 > max_operations)
      return false;
    if (s.lone_slot == 0) {
      store_axis(s.in.slots, s.count + 1, u);
      slot_code(s.in.slots, s.count + 1) = code_lone_atom;
      Frame f;
      std::copy(u, u + 3, f.e3.begin());
      if (const Status st =
              e1e2e3(f.e1.data(), f.e2.data(), f.e3.data(), s.in.th.e1e2e3_min_length);
          st != Status::ok) {
        s.status = st;
        return false;
      }
      ++s.count;
      s.lone_slot = s.count;
    } else if (!parall(u, slot_axis(s.in.slots, s.lone_slot), s.in.th.thrsym)) {
      // Two lone atoms out of line with the centre leave no room for an axis.
      s.count = 0;
      s.status = Status::ok;
      return false;
    }
  }
  return true;
}

// How a scan of the pairs of like atoms ended.
enum class PairScan { done, ended, empty_shell };

// Visits every pair i < j of atoms of one shell, shell after shell, with the shell size m, until
// visit(i, j, m) returns false. A shell of no atoms ends the scan.
template <class Visit> PairScan scan_pairs(const ShellAtoms& atoms, Visit visit) {
  int first = 1;
  for (int shell = 0; shell < atoms.nshell; ++shell) {
    const int m = atoms.shell_sizes[static_cast<std::size_t>(shell)];
    if (m < 1)
      return PairScan::empty_shell;
    for (int i = first; i < first + m; ++i) {
      for (int j = i + 1; j < first + m; ++j) {
        if (!visit(i, j, m))
          return PairScan::ended;
      }
    }
    first += m;
  }
  return PairScan::done;
}

// State of one plane search.
struct PlaneSearch {
  SearchScope in;
  int count = 0; // filled slots P
};

// Closes the plane just stored in the next slot into the group. A plane whose closure fails gives
// its slot back.
Outcome accept_plane(PlaneSearch& s) {
  ++s.count;
  slot_code(s.in.slots, s.count) = code_plane;
  Generator g;
  g.plane = true;
  std::copy(slot_axis(s.in.slots, s.count), slot_axis(s.in.slots, s.count) + 3, g.axis.begin());
  gencs(g.axis.data(), g.r);
  refit_generator(s.in.run, s.in.atoms, s.in.slots, s.in.flags, s.in.th, s.in.refit, s.count, g);
  if (const Status st = grpgrp(g.r, s.in.group); st != Status::ok) {
    report(s.in.run, st);
    s.in.group.signals.note(st);
    --s.count;
    s.in.group.count = s.in.group.order;
    return Outcome::closure_failed;
  }
  if (s.in.group.count > s.in.group.order) {
    s.in.group.order = s.in.group.count;
    if (s.in.group.count == max_operations)
      return Outcome::stop;
  }
  return Outcome::go_on;
}

// The bisector plane of the pair i < j and, once it is the second plane, the plane perpendicular
// to the first two, tested from the same start atom. False to end the search.
bool pair_planes(PlaneSearch& s, int i, int j) {
  double n[3];
  for (int k = 0; k < 3; ++k)
    n[k] = s.in.atoms.position(j)[k] - s.in.atoms.position(i)[k];
  double length = 0.0;
  if (anorm(n, length, s.in.th.anorm_min_length) != Status::ok)
    return true;
  while (true) {
    if (s.count + 1 > max_operations)
      return false;
    if (!checks(s.in.atoms, n, s.in.slots, s.in.th.thrsym, s.in.flags, s.count + 1, i))
      return true;
    const Outcome outcome = accept_plane(s);
    if (outcome == Outcome::closure_failed)
      return true;
    if (outcome == Outcome::stop || s.count == 3)
      return false;
    if (s.count != 2)
      return true;
    common::cross(slot_axis(s.in.slots, 1), slot_axis(s.in.slots, 2), n);
    if (anorm(n, length, s.in.th.anorm_min_length) != Status::ok) {
      s.count = 1;
      return true;
    }
  }
}

} // namespace

Turn turn_by(double phi) { return {common::portable::cos(phi), common::portable::sin(phi)}; }

void rotc(const double* e1, const double* e2, const double* e3, const double* x, double* y,
          const Turn& turn) {
  turn_in_frame(e1, e2, e3, x, y, turn, 1.0);
}

void rots(const double* e1, const double* e2, const double* e3, const double* x, double* y,
          const Turn& turn) {
  turn_in_frame(e1, e2, e3, x, y, turn, -1.0);
}

void rotcs(const double* p, const double* n, const double* x, double* y) {
  const double h = (x[0] - p[0]) * n[0] + (x[1] - p[1]) * n[1] + (x[2] - p[2]) * n[2];
  for (int k = 0; k < 3; ++k)
    y[k] = x[k] - 2.0 * h * n[k];
}

int ionc(std::span<const double> distances, int natoms, double centre_distance) {
  for (int i = 1; i <= natoms; ++i) {
    if (std::fabs(distances[static_cast<std::size_t>(i - 1)]) < centre_distance)
      return i;
  }
  return 0;
}

Status cnsrch(common::RunContext& run, const ShellAtoms& atoms, Group& group,
              const AxisSlots& slots, std::span<int> flags, int centre_atom, const Thresholds& th,
              bool refit, int& axis_count) {
  AxisSearch s{{run, atoms, group, slots, flags, th, refit}};
  if (lone_atom_pass(s, centre_atom)) {
    // Cleared by the first pair examined: no pair at all is a failure.
    s.status = Status::no_pair;
    scan_pairs(atoms, [&s](int i, int j, int m) { return pair_candidates(s, i, j, m); });
  }
  axis_count = s.count;
  return s.status;
}

Status cssrch(common::RunContext& run, const ShellAtoms& atoms, Group& group,
              const AxisSlots& slots, std::span<int> flags, const Thresholds& th, bool refit,
              int& plane_count) {
  PlaneSearch s{{run, atoms, group, slots, flags, th, refit}};
  const PairScan scan = scan_pairs(atoms, [&s](int i, int j, int) { return pair_planes(s, i, j); });
  plane_count = s.count;
  return scan == PairScan::empty_shell ? Status::empty_shell : Status::ok;
}

} // namespace symmetry
