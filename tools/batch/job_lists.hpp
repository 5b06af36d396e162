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

} // namespace tools
