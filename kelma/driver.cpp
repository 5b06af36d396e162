#include "kelma/driver.hpp"

#include <span>

#include "common/reports.hpp"
#include "common/termination.hpp"
#include "kelma/derivatives.hpp"
#include "kelma/energy.hpp"
#include "kelma/optimiser.hpp"
#include "kelma/topology.hpp"
#include "kelma/workspace.hpp"

namespace kelma {

namespace {

// The run after the input is read, filling result as it goes; the stops of the run's own end it
// by their RunStop.
void optimise_into(common::RunContext& run, KelmaInput& in, KelmaResult& result) {
  check_geometry(in.natoms, in.xyz);

  int maxbend = 0;
  int maxtors = 0;
  ffcount(in.natoms, in.conn, maxbend, maxtors);
  const long long need = workspace_need(in.natoms, maxbend, maxtors, in.jobtype);
  // A connectivity that no molecule has can ask for more than any machine holds.
  common::memchk(run, workspace_capacity, need, 5, "KELMA");
  Workspace ws = make_workspace(in.natoms, maxbend, maxtors, in.jobtype);
  common::memchk(run, need, workspace_size(ws), 5, "KELMA");

  const OptimSettings settings{in.natoms, in.gtol, in.etol, in.nsteps, in.print};
  int cycle = 0;
  const ForceFieldModel model{in.natoms, maxbend, maxtors,  in.vdwc,
                              in.print,  in.conn, in.itype, ws.ff};
  const ForceFieldCalls calls{
      [&](std::span<double> xyz, int jobtype, std::span<double> force, std::span<double> hess,
          int& ncall) {
        double energy = 0.0;
        ffderiv(run, model, jobtype, xyz, hessian_scratch(ws), energy, force, hess, ncall);
        return energy;
      },
      [&](std::span<double> xyz) {
        return ffener(run, in.natoms, in.vdwc, in.print, xyz, in.itype, in.conn, ws.ff);
      }};
  optim(run, settings, in.jobtype, in.xyz, ws, calls, cycle, result);
  if (in.print > 0)
    run.close_listing();
}

// The whole run on a keyword input.
void optimise_into(common::RunContext& run, common::InputDeck& deck, KelmaResult& result) {
  run.open_listing();
  KelmaInput in = read_kelma_input(run, deck);
  optimise_into(run, in, result);
}

// Runs one of the two forms of a run and returns its result, with the outcome of a stop of the
// run's own.
template <typename Input> KelmaResult result_of(common::RunContext& run, Input& input) {
  KelmaResult result;
  try {
    optimise_into(run, input, result);
  } catch (const common::RunStop& stop) {
    record_stop(stop, result);
  }
  return result;
}

} // namespace

void run_kelma_from_deck(common::RunContext& run, common::InputDeck& deck) {
  KelmaResult result;
  optimise_into(run, deck, result);
}

void run_kelma_on_input(common::RunContext& run, KelmaInput& in) {
  KelmaResult result;
  optimise_into(run, in, result);
}

KelmaResult optimise(common::RunContext& run, KelmaInput& in) { return result_of(run, in); }

KelmaResult optimise(common::RunContext& run, common::InputDeck& deck) {
  return result_of(run, deck);
}

} // namespace kelma
