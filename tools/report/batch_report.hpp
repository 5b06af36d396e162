// What a report shows of a batch (ffbatch's layouts, see batch_layout.hpp): per molecule its
// status lines and what they say is amiss, kelma's cycles, the final geometry with its symmetry
// elements, and a word for every file that is missing or damaged.
#pragma once

#include <cstddef>
#include <filesystem>
#include <limits>
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
  std::string kelma_detail = "-";   // their detail columns: why it stopped, the group's name, ...
  std::string symmetry_detail = "-";
  std::string group = "-"; // the point group that symmetry named
  // The report's class: converged, cycle_limit, skipped or failed.
  Outcome outcome = Outcome::failed;
  // kelma's last cycle, final energy and RMS force, as status.tsv has them.
  std::string last_cycle = "-";
  std::string energy = "-";
  std::string rms = "-";
  double seconds = std::numeric_limits<double>::quiet_NaN(); // both programs', NaN when unknown
  double gtol = 0.0;                // the convergence threshold of the input; 0 when unknown
  std::vector<CycleRecord> cycles;  // kelma's, in order; empty when the batch kept none
  std::vector<std::string> symbols; // element labels of the atoms
  std::optional<SymmetryElements> elements;
  std::vector<std::string> problems; // what status.tsv says is amiss, one line each
  // The files missing or damaged, and what of them could not be drawn, one line each.
  std::vector<std::string> file_problems;
};

struct BatchSummary {
  std::size_t molecules = 0;
  std::map<Outcome, std::size_t> outcomes;
  std::map<std::string, std::size_t> groups; // molecules per point group
};

// The lines of the folder's status.tsv; ToolError when there is none or it cannot be read.
std::vector<StatusLine> read_status_file(const std::filesystem::path& folder);

// One entry per molecule of the status lines, in their order: a molecule's lines follow each
// other, so that a name used again later (in another shard of a streamed batch) is another
// molecule. The entries hold what the lines say; the files are read by the callers below.
std::vector<MoleculeEntry> molecule_entries(const std::vector<StatusLine>& rows);

// The molecules of a batch of molecule folders, with their files read; ToolError when the folder
// has no readable status.tsv.
std::vector<MoleculeEntry> read_batch(const std::filesystem::path& folder);

BatchSummary summarise(const std::vector<MoleculeEntry>& molecules);

// The positions of the molecules, worst first: failed, skipped, cycle limit, converged; within a
// class by the final RMS force, largest (or unknown) first, then by the cycles, most first, then
// in input order.
std::vector<std::size_t> worst_first(const std::vector<MoleculeEntry>& molecules);

// The words of the report's class of a molecule ("cycle limit").
std::string outcome_name(Outcome outcome);

} // namespace tools
