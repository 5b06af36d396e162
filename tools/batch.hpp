// Runs kelma and symmetry over many molecules, each in its own folder so that the fixed file
// names ("debug", "fort.8", "fort.9") never collide: locally with a pool of workers, or by
// writing the job list for GNU parallel or a Slurm array script that runs the same step.
//
// Output folder layout: <out>/<molecule>/input (the keyword input), molecule.mol2 (the molecule
// as prepared, when known), preparation.tsv (its coverage and note columns), kelma/ and symmetry/
// (each program's stdout, stderr and files), result.tsv (the molecule's status lines, written when
// its step is done); <out>/molecules.txt (every molecule folder, in input order) and
// <out>/status.tsv (all status lines).
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "tools/process.hpp"
#include "tools/sources.hpp"

namespace tools {

struct Programs {
  bool run_kelma = true;
  bool run_symmetry = true;
  std::filesystem::path kelma; // absolute paths of the executables
  std::filesystem::path symmetry;
};

// One line of status.tsv: molecule, atoms, program, outcome, cycles, final energy, final RMS
// force, seconds, the terms without parameter ("none", "bonds 3, torsions 1") and what was
// guessed or added when the molecule was prepared ("none", "bonds perceived, nearest types");
// "-" where a value does not apply.
struct StatusLine {
  std::string molecule;
  std::string atoms = "-";
  std::string program = "-";
  std::string outcome;
  std::string cycles = "-";
  std::string energy = "-";
  std::string rms = "-";
  std::string seconds = "-";
  std::string no_parameter = "-";
  std::string notes = "-";
};

std::string status_header();
std::string status_text(const StatusLine& line);
StatusLine parse_status(std::string_view text);

// Converged kelma runs and symmetry runs that named a group succeeded; any other outcome
// (cycle limit, numbered report, input error, failed, skipped, not run) is a failure.
bool succeeded(const StatusLine& line);

// The status of one finished program run, from its exit, standard output and standard error.
StatusLine classify_run(const std::string& program, const ChildResult& child,
                        std::string_view output, std::string_view errors);

// The per-molecule step: runs the programs in the molecule's folder, writes its result.tsv.
std::vector<StatusLine> run_step(const std::filesystem::path& folder, const Programs& programs);

enum class Emit { none, parallel, slurm };

struct BatchOptions {
  std::filesystem::path out;
  Programs programs;
  int workers = 1;
  bool workers_given = false; // -j given: also the Slurm array throttle
  bool resume = false;
  Emit emit = Emit::none;
};

// Prepares the molecule folders and runs or emits the steps; the exit status: 0 when every
// molecule succeeded, 1 otherwise.
int run_batch(const std::vector<Prepared>& molecules, const BatchOptions& options);

// Gathers the result.tsv of every molecule into status.tsv; exit status as run_batch.
int collect_status(const std::filesystem::path& out);

} // namespace tools
