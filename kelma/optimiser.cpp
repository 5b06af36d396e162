#include "kelma/optimiser.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "common/records.hpp"
#include "common/result_records.hpp"
#include "common/termination.hpp"
#include "common/vectors.hpp"
#include "common/worker_pool.hpp"
#include "kelma/hessian_start.hpp"
#include "kelma/lower_triangle.hpp"
#include "kelma/shared_update.hpp"
#include "kelma/units.hpp"

namespace kelma {

namespace {

constexpr double step_limit = 0.3;
constexpr double early_exit_factor = 0.1;
constexpr double curvature_threshold = 1e-8;
constexpr int coordinates_print = 3; // print levels above this list every cycle's coordinates
// Trial steps of one line search at most: the width of the step field of its listing record. A
// search that still lowers the energy after this many steps of step_limit has carried the atoms
// thousands of bohr away; it ends at its last, lowest point.
constexpr int line_search_limit = 9999;

// The current point as the records report it: energy in hartree, RMS force in hartree/bohr.
struct CycleState {
  int cycle = 0;
  double energy = 0.0;
  double rmsg = 0.0;
};

// The listing's twin of the cycle record, two columns wider in each figure.
void write_listing_cycle(common::RunContext& run, const CycleState& s) {
  run.write_blank(common::listing_unit);
  run.write_record(common::listing_unit, common::Record()
                                             .text(" ** Cycle:")
                                             .i(s.cycle, 4)
                                             .text("  Energy:")
                                             .f(s.energy, 18, 9)
                                             .text("   RMSG:")
                                             .f(s.rmsg, 10, 5)
                                             .str());
}

void write_line_search_step(common::RunContext& run, int lsc, double energy) {
  run.write_blank(common::listing_unit);
  run.write_record(common::listing_unit, common::Record()
                                             .text("   line search step:")
                                             .i(lsc, 4)
                                             .text("  Energy:")
                                             .f(energy, 18, 9)
                                             .str());
}

// A block of records, the cycle record and the geometry marked with mark, on the trace and on
// standard output, each in one piece.
void write_block(common::RunContext& run, const CycleState& s, char mark,
                 std::span<const double> xyz) {
  std::string block = common::cycle_record(s.cycle, s.energy, s.rmsg);
  block += '\n';
  common::append_geometry_records(block, mark, xyz);
  run.write_lines(common::trace_unit, block);
  run.write_lines(common::stdout_unit, block);
  run.flush_unit(common::trace_unit);
  run.flush_unit(common::stdout_unit);
}

// The records of an accepted cycle; xyz in Angstrom. The listing of the cycle goes out with it.
void write_cycle_block(common::RunContext& run, const CycleState& s, std::span<const double> xyz,
                       int print) {
  if (print > coordinates_print) {
    for (std::size_t k = 0; k < xyz.size(); k += 3) {
      run.write_record(common::listing_unit,
                       common::FreeRecord().item(xyz[k]).item(xyz[k + 1]).item(xyz[k + 2]).str());
    }
  }
  write_block(run, s, common::cycle_geometry_mark, xyz);
  run.flush_unit(common::listing_unit);
}

// The records of the end of a converged run; xyz in Angstrom.
void write_final_block(common::RunContext& run, const CycleState& s, std::span<const double> xyz) {
  write_block(run, s, common::final_geometry_mark, xyz);
}

// xyz = xyz + sign step.
void shift(std::span<double> xyz, std::span<const double> step, double sign) {
  for (std::size_t i = 0; i < xyz.size(); ++i)
    xyz[i] += sign * step[i];
}

// Cuts step to the step limit when it is longer.
void cap_step(std::span<double> step) {
  const double norm = std::sqrt(common::sprod(step, step));
  if (norm > step_limit)
    common::vscal(step_limit / norm, step);
}

void steepest_step(std::span<const double> f, std::span<double> step) {
  common::cpyvec(f, step);
  cap_step(step);
}

// The starting inverse Hessian: when jobtype is 1, the inverse of the force-field Hessian on the
// internal motions of the molecule at xyz (bohr); otherwise, or when the Hessian leaves a
// coordinate without curvature, the unit matrix. listing: say so on the listing when it falls
// back.
void initial_hessian(common::RunContext& run, bool listing, int& jobtype,
                     std::span<const double> xyz, int n, Workspace& ws) {
  const auto nn = static_cast<std::size_t>(n) * static_cast<std::size_t>(n);
  const std::span<double> h = hessian(ws).first(nn);
  if (jobtype == 1) {
    jobtype = 0;
    const std::span<double> copy = std::span<double>(ws.hess_copy).first(nn);
    common::cpyvec(h, copy);
    if (internal_inverse(copy, xyz, h) == inverse_found)
      return;
    if (listing) {
      run.write_record(common::listing_unit, common::FreeRecord()
                                                 .item("**Matrix Inversion Failed**")
                                                 .item("  Switching to Unit Hessian")
                                                 .str());
    }
  }
  common::setdiagmat(n, 1.0, h);
}

// The optimiser keeps the coordinates in one array and switches it between the units in place:
// to bohr after each force-field call, for the step arithmetic, and back to Angstrom before the
// next call and before every record. The two factors are not exact inverses of each other, so a
// round trip can move a coordinate by a unit in its last place, and the force field, the steps
// and the records all see the moved values: the six switches are part of the numbers, each a
// multiplication of the whole array where it has always been, and no copy kept in the other unit
// may stand in for one.
void to_bohr(std::span<double> xyz) { common::vscal(bohr_per_angstrom, xyz); }
void to_angstrom(std::span<double> xyz) { common::vscal(angstrom_per_bohr, xyz); }

// What a line search did: its trials, and how many of them it kept (all but an undone last one).
struct LineSearch {
  int trials = 0;
  int kept = 0;
};

// Steps of step_limit along f from xyz (bohr) while the energy goes down, at most
// line_search_limit of them; the first trial that does not lower it is undone. Leaves xyz in
// Angstrom. listing: write the trials on the listing.
LineSearch line_search(common::RunContext& run, bool listing, std::span<double> xyz,
                       std::span<const double> f, double energy, std::span<double> step,
                       const ForceFieldCalls& ff) {
  steepest_step(f, step);
  LineSearch search;
  double eref = energy;
  for (;;) {
    shift(xyz, step, 1.0);
    to_angstrom(xyz);
    ++search.trials;
    const double trial = ff.ener(xyz) * hartree_per_kcal;
    to_bohr(xyz);
    if (listing)
      write_line_search_step(run, search.trials, trial);
    if (!(trial < eref)) {
      shift(xyz, step, -1.0);
      break;
    }
    ++search.kept;
    eref = trial;
    if (search.trials == line_search_limit)
      break;
  }
  to_angstrom(xyz);
  return search;
}

// Coordinates from which the update of bfgsupd and its new step are shared among threads: below
// it an update takes under 0.3 ms, and handing its passes to other threads eats what they save
// (bench/README.md).
constexpr int parallel_update_size = 600;

// The listing's word on an update that started again from the unit matrix.
void write_restart_warning(common::RunContext& run) {
  run.write_record(common::listing_unit, "**WARNING** Hereditary positive definiteness endangered");
  run.write_record(common::listing_unit, " Reinitializing Hessian");
  run.write_record(common::listing_unit, " Taking Steepest Descent Step");
}

} // namespace

int bfgsupd_threads(int n) { return n >= parallel_update_size ? common::available_cpus() : 1; }

UpdateOutcome bfgsupd(int n, std::span<const double> f, std::span<const double> fprev,
                      InverseHessian& hinv, std::span<double> step, std::span<double> scratch,
                      common::WorkerPool& pool) {
  const auto un = static_cast<std::size_t>(n);
  const std::span<double> h = hinv.h;
  const std::span<double> gamma = scratch.first(un);
  const std::span<double> v = scratch.subspan(un, un);
  // The previous step, kept apart: the new step is formed in its place.
  const std::span<double> delta = scratch.subspan(2 * un, un);
  common::cpyvec(step.first(un), delta);
  for (std::size_t i = 0; i < un; ++i)
    gamma[i] = fprev[i] - f[i];
  const double c = common::sprod(delta, gamma);
  if (c < curvature_threshold) {
    steepest_step(f, step);
    common::setdiagmat(n, 1.0, h);
    hinv.both_triangles_count = false;
    return UpdateOutcome::restarted;
  }
  const bool shared = pool.size() > 1;
  const FirstTerm first{delta, c};
  // Columns that hold the first term of the update when the update begins.
  std::size_t first_done = 0;
  if (hinv.both_triangles_count)
    common::matvec(n, h, gamma, v);
  else if (shared)
    first_done = product_with_first_term(pool, first, h, un, gamma, v);
  else
    lower_product(h, un, gamma, v, {0, un});
  const double q = common::sprod(gamma, v);
  // gamma is not needed any more: its place takes u = delta / c - v / q.
  const std::span<double> u = gamma;
  for (std::size_t i = 0; i < un; ++i)
    u[i] = delta[i] / c - v[i] / q;
  const Correction k{first, v, u, q};
  hinv.both_triangles_count = false;
  if (shared) {
    shared_update(pool, k, h, un, f, step, first_done);
  } else {
    // One thread: each block of columns is updated just before the product reads it.
    lower_product(h, un, f, step, {0, un},
                  [&](IndexRange columns) { update_lower(k, h, un, columns, first_done); });
  }
  cap_step(step.first(un));
  return UpdateOutcome::updated;
}

namespace {

// One run of optim: its settings and calls, the arrays it works on, and what one cycle hands to
// the next.
struct Optimisation {
  Optimisation(common::RunContext& run_, const OptimSettings& settings_, const ForceFieldCalls& ff_,
               int& jobtype_, int& cycle_, std::span<double> xyz_, Workspace& ws_,
               KelmaResult& result_)
      : run(run_), settings(settings_), ff(ff_), jobtype(jobtype_), cycle(cycle_), ws(ws_),
        result(result_), n(3 * settings_.natoms), records(run_.keeps_records()),
        listing(records && settings_.print > 0), xyz(xyz_.first(coordinates())),
        f(std::span<double>(ws_.force).first(coordinates())),
        fprev(previous_force(ws_).first(coordinates())),
        step(std::span<double>(ws_.step).first(coordinates())),
        // Until the first update the starting matrix (an inverse that may be slightly
        // unsymmetric) counts as a whole.
        hinv{inverse_hessian(ws_).first(coordinates() * coordinates()), jobtype_ == 1},
        scratch(bfgsupd_scratch * coordinates()), pool(bfgsupd_threads(n)) {}

  std::size_t coordinates() const { return static_cast<std::size_t>(n); }

  common::RunContext& run;
  const OptimSettings& settings;
  const ForceFieldCalls& ff;
  int& jobtype;
  int& cycle;
  Workspace& ws;
  KelmaResult& result;
  const int n;                   // coordinates, 3 natoms
  const bool records;            // the run keeps its records: the blocks are formatted
  const bool listing;            // ... and print > 0: cycles, line searches and warnings are listed
  const std::span<double> xyz;   // Angstrom between cycles, bohr inside one
  const std::span<double> f;     // the force at the current point, hartree/bohr
  const std::span<double> fprev; // the force before the last step taken
  const std::span<double> step;  // bohr
  InverseHessian hinv;
  std::vector<double> scratch; // bfgsupd's
  common::WorkerPool pool;     // bfgsupd's
  double fnorm = 0.0;          // length of f
  double eprev = 0.0;          // energy before the last step taken, hartree
  bool first_cycle = true;
  bool restart = false; // the next step is a plain steepest-descent step, without an update
  int lsc = 0;          // trials of the latest line search; 1 ends line searches for good
};

double step_length(std::span<const double> step) { return std::sqrt(common::sprod(step, step)); }

// The energy and force at xyz (Angstrom) for a new cycle, its figures in the result and its
// record on the listing; leaves xyz in bohr.
CycleState evaluate_cycle(Optimisation& o) {
  CycleState s;
  s.energy = o.ff.deriv(o.xyz, o.jobtype, o.f, o.hinv.h, o.cycle) * hartree_per_kcal;
  s.cycle = o.cycle;
  // The geometry of the cycle: where the run ends when the cycle limit stops it here.
  o.result.xyz.assign(o.xyz.begin(), o.xyz.end());
  to_bohr(o.xyz);
  o.fnorm = std::sqrt(common::sprod(o.f, o.f));
  s.rmsg = o.fnorm / std::sqrt(static_cast<double>(o.n));
  o.result.cycles.push_back({s.cycle, s.energy, s.rmsg, 0.0, false});
  o.result.cycle_count = o.cycle;
  if (o.listing)
    write_listing_cycle(o.run, s);
  return s;
}

// Cycle 1 sets restart and the starting inverse Hessian (xyz in bohr).
void start(Optimisation& o) {
  o.first_cycle = false;
  o.restart = true;
  initial_hessian(o.run, o.listing, o.jobtype, o.xyz, o.n, o.ws);
}

// A large force is followed down by a line search, unless the latest one failed at its first
// trial: that ends line searches for the rest of the run.
bool takes_line_search(const Optimisation& o) { return o.fnorm > step_limit && o.lsc != 1; }

// The line search of a cycle from xyz (bohr); leaves xyz in Angstrom where it ended, for the next
// cycle. Line-search cycles go straight on to the next cycle, past the cycle-limit test, so a run
// may go one cycle beyond the limit. A line search that would take it further ends the run there
// instead, so that a run made of line searches ends too.
void take_line_search(Optimisation& o, const CycleState& s) {
  const bool previous_cycle_at_limit = o.cycle > 1 && o.cycle - 1 >= o.settings.nsteps;
  if (previous_cycle_at_limit)
    common::stop_run(common::cycle_limit_code);
  o.restart = true;
  const LineSearch search = line_search(o.run, o.listing, o.xyz, o.f, s.energy, o.step, o.ff);
  o.lsc = search.trials;
  CycleFigures& figures = o.result.cycles.back();
  figures.line_search = true;
  figures.step = search.kept * step_length(o.step);
}

// The step of a cycle without a line search (xyz in bohr): steepest descent after a restart,
// otherwise the one of the BFGS update.
void next_step(Optimisation& o) {
  if (o.restart) {
    steepest_step(o.f, o.step);
    o.restart = false;
    return;
  }
  const UpdateOutcome outcome = bfgsupd(o.n, o.f, o.fprev, o.hinv, o.step, o.scratch, o.pool);
  if (outcome == UpdateOutcome::restarted && o.listing)
    write_restart_warning(o.run);
}

// Small force, small decrease and a lower energy, all three.
bool converged(const Optimisation& o, const CycleState& s) {
  return s.rmsg < o.settings.gtol && o.eprev - s.energy < o.settings.etol && s.energy < o.eprev;
}

// Takes the step from xyz (bohr), keeping the force and energy of the point it leaves.
void take_step(Optimisation& o, const CycleState& s) {
  shift(o.xyz, o.step, 1.0);
  common::cpyvec(o.f, o.fprev);
  o.eprev = s.energy;
  o.result.cycles.back().step = step_length(o.step);
}

// The records of the cycle, xyz in Angstrom: written when the run keeps records, and marked in the
// result with the geometry their '@' records show.
void record_cycle(Optimisation& o, const CycleState& s) {
  o.result.cycles.back().recorded = true;
  o.result.accepted_xyz.assign(o.xyz.begin(), o.xyz.end());
  if (o.records)
    write_cycle_block(o.run, s, o.xyz, o.settings.print);
}

// The end of a converged run, xyz in Angstrom: the final block, and the geometry it shows in the
// result.
void finish(Optimisation& o, const CycleState& s) {
  o.result.cycles.back().recorded = true;
  if (o.records)
    write_final_block(o.run, s, o.xyz);
  o.result.xyz.assign(o.xyz.begin(), o.xyz.end());
  o.result.outcome = Outcome::converged;
}

} // namespace

void optim(common::RunContext& run, const OptimSettings& settings, int& jobtype,
           std::span<double> xyz, Workspace& ws, const ForceFieldCalls& ff, int& cycle,
           KelmaResult& result) {
  Optimisation o(run, settings, ff, jobtype, cycle, xyz, ws, result);
  for (;;) {
    const CycleState s = evaluate_cycle(o);
    if (early_exit_factor * settings.gtol > s.rmsg) {
      to_angstrom(o.xyz);
      finish(o, s);
      return;
    }
    if (o.first_cycle)
      start(o);
    if (takes_line_search(o)) {
      take_line_search(o, s);
      continue;
    }
    next_step(o);
    const bool done = converged(o, s);
    if (!done) {
      if (cycle >= settings.nsteps)
        common::stop_run(common::cycle_limit_code);
      take_step(o, s);
    }
    to_angstrom(o.xyz);
    record_cycle(o, s);
    if (done) {
      finish(o, s);
      return;
    }
  }
}

} // namespace kelma
