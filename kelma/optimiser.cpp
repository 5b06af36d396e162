#include "kelma/optimiser.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "common/records.hpp"
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

// head I4 "  Energy:" F(energy_width).9 "   RMSG:" F(rmsg_width).5: the cycle record and its
// wider twin on the listing.
std::string cycle_line(std::string_view head, const CycleState& s, int energy_width,
                       int rmsg_width) {
  return common::Record()
      .text(head)
      .i(s.cycle, 4)
      .text("  Energy:")
      .f(s.energy, energy_width, 9)
      .text("   RMSG:")
      .f(s.rmsg, rmsg_width, 5)
      .str();
}

std::string cycle_record(const CycleState& s) { return cycle_line("**  ", s, 16, 8); }

// Appends the geometry record of every atom: the mark, then x, y, z in Angstrom.
void append_geometry(std::string& block, char mark, std::span<const double> xyz) {
  for (std::size_t k = 0; k < xyz.size(); k += 3) {
    block += mark;
    for (std::size_t c = k; c < k + 3; ++c)
      common::append_f(block, xyz[c], 16, 10);
    block += '\n';
  }
}

void write_listing_cycle(common::RunContext& run, const CycleState& s) {
  run.write_blank(common::listing_unit);
  run.write_record(common::listing_unit, cycle_line(" ** Cycle:", s, 18, 10));
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
  std::string block = cycle_record(s);
  block += '\n';
  append_geometry(block, mark, xyz);
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
  write_block(run, s, '@', xyz);
  run.flush_unit(common::listing_unit);
}

// The records of the end of a converged run; xyz in Angstrom.
void write_final_block(common::RunContext& run, const CycleState& s, std::span<const double> xyz) {
  write_block(run, s, '!', xyz);
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
// coordinate without curvature, the unit matrix.
void initial_hessian(common::RunContext& run, const OptimSettings& s, int& jobtype,
                     std::span<const double> xyz, int n, Workspace& ws) {
  const auto nn = static_cast<std::size_t>(n) * static_cast<std::size_t>(n);
  const std::span<double> h = std::span<double>(ws.hess).first(nn);
  if (jobtype == 1) {
    jobtype = 0;
    const std::span<double> copy = std::span<double>(ws.hess_copy).first(nn);
    common::cpyvec(h, copy);
    if (internal_inverse(copy, xyz, h) == inverse_found)
      return;
    if (s.print > 0) {
      run.write_record(common::listing_unit, common::FreeRecord()
                                                 .item("**Matrix Inversion Failed**")
                                                 .item("  Switching to Unit Hessian")
                                                 .str());
    }
  }
  common::setdiagmat(n, 1.0, h);
}

// Steps of step_limit along f from xyz (bohr) while the energy goes down, at most
// line_search_limit of them; the first trial that does not lower it is undone. Leaves xyz in
// Angstrom and returns the number of trials.
int line_search(common::RunContext& run, const OptimSettings& s, std::span<double> xyz,
                std::span<const double> f, double energy, std::span<double> step,
                const ForceFieldCalls& ff) {
  steepest_step(f, step);
  int lsc = 0;
  double eref = energy;
  for (;;) {
    shift(xyz, step, 1.0);
    common::vscal(angstrom_per_bohr, xyz);
    ++lsc;
    const double trial = ff.ener(xyz) * hartree_per_kcal;
    common::vscal(bohr_per_angstrom, xyz);
    if (s.print > 0)
      write_line_search_step(run, lsc, trial);
    if (!(trial < eref)) {
      shift(xyz, step, -1.0);
      break;
    }
    eref = trial;
    if (lsc == line_search_limit)
      break;
  }
  common::vscal(angstrom_per_bohr, xyz);
  return lsc;
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
    hinv.whole = false;
    return UpdateOutcome::restarted;
  }
  const bool shared = pool.size() > 1;
  const FirstTerm first{delta, c};
  // Columns that hold the first term of the update when the update begins.
  std::size_t first_done = 0;
  if (hinv.whole)
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
  hinv.whole = false;
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

void optim(common::RunContext& run, const OptimSettings& settings, int& jobtype,
           std::span<double> xyz, Workspace& ws, const ForceFieldCalls& ff, int& cycle) {
  const int n = 3 * settings.natoms;
  const auto un = static_cast<std::size_t>(n);
  xyz = xyz.first(un);
  const std::span<double> f = std::span<double>(ws.force).first(un);
  const std::span<double> fprev = std::span<double>(ws.gscratch).first(un);
  const std::span<double> step = std::span<double>(ws.step).first(un);
  const std::span<double> h = std::span<double>(ws.hess).first(un * un);
  // Until the first update the starting matrix (an inverse that may be slightly unsymmetric)
  // counts as a whole.
  InverseHessian hinv{h, jobtype == 1};
  std::vector<double> scratch(bfgsupd_scratch * un);
  common::WorkerPool pool(bfgsupd_threads(n));

  double eprev = 0.0;
  bool restart = false;
  bool first_cycle = true;
  int lsc = 0;
  for (;;) {
    CycleState state;
    state.energy = ff.deriv(xyz, jobtype, f, h, cycle) * hartree_per_kcal;
    state.cycle = cycle;
    common::vscal(bohr_per_angstrom, xyz);
    const double fnorm = std::sqrt(common::sprod(f, f));
    state.rmsg = fnorm / std::sqrt(static_cast<double>(n));
    if (settings.print > 0)
      write_listing_cycle(run, state);

    if (early_exit_factor * settings.gtol > state.rmsg) {
      common::vscal(angstrom_per_bohr, xyz);
      write_final_block(run, state, xyz);
      return;
    }
    if (first_cycle) {
      first_cycle = false;
      restart = true;
      initial_hessian(run, settings, jobtype, xyz, n, ws);
    }

    // Line-search cycles go straight on to the next cycle, past the cycle-limit test, so a run
    // may go one cycle beyond the limit. A line search that would take it further ends the run
    // there instead, so that a run made of line searches ends too.
    if (fnorm > step_limit && lsc != 1) {
      const bool previous_cycle_at_limit = cycle > 1 && cycle - 1 >= settings.nsteps;
      if (previous_cycle_at_limit)
        common::stop_run(common::cycle_limit_code);
      restart = true;
      lsc = line_search(run, settings, xyz, f, state.energy, step, ff);
      continue;
    }
    if (restart) {
      steepest_step(f, step);
      restart = false;
    } else {
      const UpdateOutcome outcome = bfgsupd(n, f, fprev, hinv, step, scratch, pool);
      if (outcome == UpdateOutcome::restarted && settings.print > 0)
        write_restart_warning(run);
    }

    const bool converged =
        state.rmsg < settings.gtol && eprev - state.energy < settings.etol && state.energy < eprev;
    if (!converged) {
      if (cycle >= settings.nsteps)
        common::stop_run(common::cycle_limit_code);
      shift(xyz, step, 1.0);
      common::cpyvec(f, fprev);
      eprev = state.energy;
    }
    common::vscal(angstrom_per_bohr, xyz);
    write_cycle_block(run, state, xyz, settings.print);
    if (converged) {
      write_final_block(run, state, xyz);
      return;
    }
  }
}

} // namespace kelma
