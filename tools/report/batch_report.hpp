// What a report shows of a batch folder (ffbatch's layout, see batch.hpp): per molecule its
// status lines, kelma's cycles, the final geometry with its symmetry elements, and a word for
// every file that is missing or damaged.
#pragma once

#include <cstddef>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "tools/core/run_output.hpp"
#include "tools/core/status.hpp"
#include "tools/core/symmetry_elements.hpp"

namespace tools {

struct MoleculeEntry {
  std::string name;
  std::string atoms = "-";
  std::string kelma = "not run";    // kelma's outcome in status.tsv
  std::string symmetry = "not run"; // symmetry's outcome
  std::string group = "-";          // the point group that symmetry named
  Outcome outcome =
      Outcome::failed;              // converged, cycle_limit, skipped or failed: the report's class
  double gtol = 0.0;                // the convergence threshold of the input; 0 when unknown
  std::vector<CycleRecord> cycles;  // kelma's, in order
  std::vector<std::string> symbols; // element labels of the atoms
  std::optional<SymmetryElements> elements;
  std::vector<std::string> problems; // the files missing or damaged, one line each
};

struct BatchSummary {
  std::size_t molecules = 0;
  std::map<Outcome, std::size_t> outcomes;
  std::map<std::string, std::size_t> groups; // molecules per point group
};

// The molecules of status.tsv in its order; ToolError when the folder has no readable status.tsv.
std::vector<MoleculeEntry> read_batch(const std::filesystem::path& folder);

BatchSummary summarise(const std::vector<MoleculeEntry>& molecules);

// The words of the report's class of a molecule ("cycle limit").
std::string outcome_name(Outcome outcome);

} // namespace tools
