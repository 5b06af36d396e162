// A streamed batch: the molecules of the inputs read lazily, prepared and run in process by
// isolated worker processes, and written per shard of the inputs (one SDF of results, one status
// table, and the records when asked) instead of a folder per molecule, so that a library of any
// size makes a few files per shard and runs in flat memory.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <vector>

#include "tools/batch/molecule_run.hpp"
#include "tools/core/keyword_writer.hpp"
#include "tools/formats/sources.hpp"

namespace tools {

inline constexpr std::size_t default_shard_size = 10000;

// Shards first to last (0-based): the part of a streamed batch that one task of a cluster runs.
struct ShardRange {
  std::size_t first = 0;
  std::size_t last = 0;
};

struct StreamOptions {
  std::filesystem::path out;
  InProcessRun programs;
  int workers = 1;
  int timeout_seconds = default_preparation_seconds; // per input: preparation and runs
  std::size_t shard_size = default_shard_size;       // inputs per shard
  bool resume = false; // keep finished shards and take up an unfinished one after its last input
  // A task's part: only these shards run, beside other tasks in the same folder, so the folder is
  // not locked and status.tsv is left to --collect.
  std::optional<ShardRange> shards;
};

// Runs the molecules of the files and of the SMILES of the options; the exit status: 0 when every
// molecule succeeded, 1 otherwise.
int run_stream(const std::vector<std::filesystem::path>& files, const JobOptions& job,
               const MoleculeOptions& molecules, const StreamOptions& options);

// The number of shards the inputs make: they are cut into items, not read.
std::size_t count_shards(const std::vector<std::filesystem::path>& files,
                         const MoleculeOptions& molecules, std::size_t shard_size);

// Gathers the tables of shards 1 .. count of a streamed folder into status.tsv (a shard without
// its table is one "not run" line) and, when sdf is not empty, their result molecules into the
// file sdf; the exit status as run_stream's.
int collect_shards(const std::filesystem::path& out, std::size_t count,
                   const std::filesystem::path& sdf);

} // namespace tools
