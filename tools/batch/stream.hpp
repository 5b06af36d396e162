// A streamed batch: the molecules of the inputs read lazily, prepared and run in process by
// isolated worker processes, and written per shard of the inputs (one SDF of results, one status
// table, and the records when asked) instead of a folder per molecule, so that a library of any
// size makes a few files per shard and runs in flat memory.
#pragma once

#include <cstddef>
#include <filesystem>
#include <vector>

#include "tools/batch/molecule_run.hpp"
#include "tools/core/keyword_writer.hpp"
#include "tools/formats/sources.hpp"

namespace tools {

inline constexpr std::size_t default_shard_size = 10000;

struct StreamOptions {
  std::filesystem::path out;
  InProcessRun programs;
  int workers = 1;
  int timeout_seconds = default_preparation_seconds; // per input: preparation and runs
  std::size_t shard_size = default_shard_size;       // inputs per shard
  bool resume = false; // keep finished shards and take up an unfinished one after its last input
};

// Runs the molecules of the files and of the SMILES of the options; the exit status: 0 when every
// molecule succeeded, 1 otherwise.
int run_stream(const std::vector<std::filesystem::path>& files, const JobOptions& job,
               const MoleculeOptions& molecules, const StreamOptions& options);

} // namespace tools
