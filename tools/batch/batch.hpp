// Runs kelma and symmetry over many molecules, each in its own folder so that the fixed file
// names ("debug", "fort.8", "fort.9") never collide: locally with a pool of workers, or by
// writing the job list for GNU parallel or a Slurm array script that runs the same step.
// With both programs, symmetry runs on kelma's optimised geometry.
//
// Output folder layout: <out>/<molecule>/input (the keyword input), molecule.mol2 (the molecule
// as prepared, when known), preparation.tsv (its coverage and note columns), settings (the
// programs the step runs, for --resume), kelma/ and symmetry/ (each program's stdout, stderr and
// files), optimised.in (the input with kelma's final geometry, symmetry's input), result.tsv (the
// molecule's status lines, written last: the mark of a finished step); <out>/molecules.txt
// (every molecule folder, in input order), <out>/status.tsv (all status lines, written last)
// and <out>/ffbatch.lock (held while a run uses the folder).
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "tools/core/process.hpp"
#include "tools/core/status.hpp"
#include "tools/formats/sources.hpp"

namespace tools {

// What symmetry reads after kelma: the optimised geometry, or the input's starting geometry.
enum class SymmetryGeometry { final, start };

struct Programs {
  bool run_kelma = true;
  bool run_symmetry = true;
  std::filesystem::path kelma; // absolute paths of the executables
  std::filesystem::path symmetry;
  SymmetryGeometry symmetry_geometry = SymmetryGeometry::final;
  int timeout_seconds = 0; // per program run; 0 for none
};

// The per-molecule step: runs the programs in the molecule's folder, writes its result.tsv.
// DiskFull, and no result.tsv, when the disk filled up meanwhile.
std::vector<StatusLine> run_step(const std::filesystem::path& folder, const Programs& programs);

// The line of a symmetry run left out because kelma did not converge.
StatusLine not_symmetrised(const StatusLine& kelma);

// Where the steps run: here on a pool of workers, or written out as a GNU parallel job list or
// a Slurm array script (--emit) for another machine to run.
enum class Dispatch { run_here, parallel_job_list, slurm_array };

struct BatchOptions {
  std::filesystem::path out;
  Programs programs;
  int workers = 1;
  bool workers_given = false; // -j given: also the Slurm array throttle
  bool resume = false;
  Dispatch dispatch = Dispatch::run_here;
  std::vector<std::string> slurm_options; // "--time=00:10:00": one #SBATCH line each
};

// Prepares the molecule folders and runs or emits the steps; the exit status: 0 when every
// molecule succeeded, 1 otherwise. DiskFull when the disk filled up.
int run_batch(const std::vector<PreparedMolecule>& molecules, const BatchOptions& options);

// Gathers the result.tsv of every molecule into status.tsv; exit status as run_batch.
int collect_status(const std::filesystem::path& out);

} // namespace tools
