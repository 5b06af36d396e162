// The layout of a batch's output folder, which ffbatch writes and its --step, --resume and
// --collect, and ffreport, read:
//   OUT/molecules.txt        every molecule folder, in input order
//   OUT/status.tsv           all status lines, written last: the mark of a finished batch
//   OUT/ffbatch.lock         held while a run uses the folder
//   OUT/jobs.txt, jobs.slurm, tasks/   the job lists of --emit parallel and --emit slurm
//   OUT/NAME/input           the molecule's keyword input
//   OUT/NAME/molecule.mol2   the molecule as prepared, when known
//   OUT/NAME/preparation.tsv its coverage and note columns
//   OUT/NAME/settings        what the step runs, for --resume
//   OUT/NAME/kelma/, symmetry/  each program's stdout, stderr and files
//   OUT/NAME/optimised.in    the input with kelma's final geometry: symmetry's input
//   OUT/NAME/slurm.err       what Slurm said of the molecule's task
//   OUT/NAME/result.tsv      the molecule's status lines, written last: the mark of a finished step
// and, for a streamed batch, instead of the molecule folders:
//   OUT/shard-NNNNNN.sdf     the result molecules of the shard's inputs, in input order
//   OUT/shard-NNNNNN.tsv     their status lines, with the header of status.tsv
//   OUT/shard-NNNNNN.records.gz  the programs' records and listings, gzipped (--keep-records)
//   OUT/shard-NNNNNN.symmetrised.sdf  the symmetrised molecules in their groups' frames
//                            (--symmetrised)
//   OUT/stream.args          what the tasks of --emit repeat: the folder to run in, then the
//                            command's arguments, one a line
//   OUT/stream.shards        how many shards the inputs make, for --collect
//   while a shard runs, each of them with ".part" added, and shard-NNNNNN.progress: one line per
//   finished input (its number and the sizes the part files had then), so that a resumed run
//   takes up after the last whole input
#pragma once

#include <string_view>

namespace tools::batch_layout {

inline constexpr std::string_view molecules = "molecules.txt";
inline constexpr std::string_view status = "status.tsv";
inline constexpr std::string_view lock = "ffbatch.lock";
inline constexpr std::string_view parallel_jobs = "jobs.txt";
inline constexpr std::string_view slurm_script = "jobs.slurm";
inline constexpr std::string_view slurm_tasks = "tasks";

inline constexpr std::string_view input = "input";
inline constexpr std::string_view template_mol2 = "molecule.mol2";
inline constexpr std::string_view preparation = "preparation.tsv";
inline constexpr std::string_view settings = "settings";
inline constexpr std::string_view optimised = "optimised.in";
inline constexpr std::string_view slurm_errors = "slurm.err";
inline constexpr std::string_view result = "result.tsv";

inline constexpr std::string_view stream_arguments = "stream.args";
inline constexpr std::string_view stream_shards = "stream.shards";
inline constexpr std::string_view shard_prefix = "shard-";
inline constexpr int shard_number_width = 6;
inline constexpr std::string_view shard_sdf = ".sdf";
inline constexpr std::string_view shard_status = ".tsv";
inline constexpr std::string_view shard_records = ".records.gz";
inline constexpr std::string_view shard_symmetrised = ".symmetrised.sdf";
inline constexpr std::string_view shard_progress = ".progress";
inline constexpr std::string_view part_suffix = ".part";

// A program's own files in its sub-folder (the folder is named after the program).
inline constexpr std::string_view program_output = "stdout";
inline constexpr std::string_view program_errors = "stderr";

} // namespace tools::batch_layout
