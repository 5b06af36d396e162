// The steps of a batch as job lists for other runners: a job file for GNU parallel, and a Slurm
// array script with one molecule per task. Each job runs "ffbatch --step FOLDER" with the
// batch's program settings.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "tools/batch/batch.hpp"

namespace tools {

// The names the job lists take in the output folder.
extern const std::vector<std::string> job_list_names;

// Writes <out>/jobs.txt, one step command a line, and says how to run it.
void emit_parallel(const std::vector<std::filesystem::path>& folders, const BatchOptions& options);

// Writes <out>/jobs.slurm and <out>/tasks/ (task k a link to the k-th folder, where Slurm also
// writes the task's slurm.out and slurm.err), and says how to submit it.
void emit_slurm(const std::vector<std::filesystem::path>& folders, const BatchOptions& options);

// The tasks of a streamed batch: task k runs shards (k - 1) per_task + 1 .. k per_task through
// "ffbatch --stream-task ARGUMENTS --shards FIRST-LAST".
struct StreamTasks {
  std::filesystem::path arguments; // OUT/stream.args
  std::size_t shards = 0;
  std::size_t per_task = 1;
  std::size_t count() const { return (shards + per_task - 1) / per_task; }
};

// Writes <out>/jobs.txt, one task a line.
void emit_stream_parallel(const StreamTasks& tasks, const BatchOptions& options);

// Writes <out>/jobs.slurm, an array of the tasks (their output in <out>/tasks/TASK.out and .err).
void emit_stream_slurm(const StreamTasks& tasks, const BatchOptions& options);

// The most tasks one Slurm array may have here: MaxArraySize less one, as `scontrol show config`
// says, else 1000.
std::size_t slurm_array_limit();

} // namespace tools
