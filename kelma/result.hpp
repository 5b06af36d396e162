// What a kelma run gives its caller besides the records: how it ended, the figures of every cycle
// and the final geometry in full precision. The optimiser fills it as it goes, so a run that the
// cycle limit stops has its figures up to the stop; the driver's library call returns it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "common/termination.hpp"

namespace kelma {

// How a run ended.
enum class Outcome {
  converged,       // the convergence test held, or the force was small from the first cycle on
  cycle_limit,     // the cycle limit stopped it (stop code 666)
  numbered_report, // a numbered report stopped it (the force field's set-up, or a missing keyword)
  workspace_stop,  // the workspace check refused the molecule (stop code 9)
};

// One cycle: one evaluation of the energy and force by the optimiser.
struct CycleFigures {
  int cycle = 0;          // its number, from 1
  double energy = 0.0;    // hartree
  double rms_force = 0.0; // hartree/bohr
  // Length in bohr of the step taken from this cycle's geometry; for a line search the whole
  // displacement it made (the trials it kept times the length of one); 0 when the cycle took none
  // (the converged cycle, a cycle the limit stopped, a line search whose first trial failed).
  double step = 0.0;
  bool line_search = false; // the cycle went on by a line search
  // The cycle has its cycle record on standard output and "fort.9" (on a context that keeps
  // records): every cycle that took a step without a line search, and the last cycle of a
  // converged run.
  bool recorded = false;

  bool operator==(const CycleFigures&) const = default;
};

struct KelmaResult {
  Outcome outcome = Outcome::converged;
  // Every cycle the force field evaluated, once each, in order; the last one is where the run
  // ended.
  std::vector<CycleFigures> cycles;
  // 3 natoms coordinates in Angstrom, atom by atom, in full precision. Converged: the final
  // geometry, the one the '!' records show. Cycle limit: the geometry of the last cycle, where the
  // run stopped; after an accepted cycle that is the one its '@' records show, after a line
  // search the point where the search ended. Empty when the run stopped before its first cycle.
  std::vector<double> xyz;
  // The geometry the '@' records of the latest recorded cycle show, in Angstrom as the run holds
  // it: where the latest accepted step led (at convergence, the final geometry). Empty when no
  // cycle had them.
  std::vector<double> accepted_xyz;
  // The cycle counter at the end: the number of the last cycle, 0 when there was none.
  int cycle_count = 0;
  // The numbered report (number, routine, text, parameters) when outcome is numbered_report.
  std::optional<common::NumberedReport> report;
  // What the STOP line of the program carries ("666", "9", or the banner after a numbered report);
  // empty when the run converged.
  std::string stop_code;
};

// Sets the outcome, the stop code and the report of result from a stop of the run's own.
void record_stop(const common::RunStop& stop, KelmaResult& result);

} // namespace kelma
