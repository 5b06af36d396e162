#include "tools/report/batch_report.hpp"

#include "tools/core/batch_layout.hpp"
#include "tools/core/files.hpp"
#include "tools/core/keyword_text.hpp"

namespace tools {

namespace fs = std::filesystem;

namespace {

namespace layout = batch_layout;

// The report's four classes: kelma converged, stopped at the cycle limit, the molecule was
// skipped, or anything else went wrong.
Outcome report_class(const MoleculeEntry& entry) {
  const Outcome kelma = outcome_of(entry.kelma);
  return kelma == Outcome::converged || kelma == Outcome::cycle_limit || kelma == Outcome::skipped
             ? kelma
             : Outcome::failed;
}

// Takes one status line into the molecule's entry.
void take_status(const StatusLine& row, MoleculeEntry& entry) {
  const std::string& program = row.program;
  const std::string& outcome = row.outcome;
  entry.atoms = row.atoms;
  if (program == kelma_program) {
    entry.kelma = outcome;
  } else if (program == symmetry_program) {
    entry.symmetry = outcome;
    if (outcome_of(outcome) == Outcome::point_group)
      entry.group = outcome_detail(outcome);
  } else {
    entry.kelma = entry.symmetry = outcome; // skipped or not run: neither program ran
  }
}

std::optional<RunOutput> read_run(const fs::path& file, MoleculeEntry& entry) {
  const std::string what = fs::relative(file, file.parent_path().parent_path()).string();
  if (!fs::exists(file)) {
    entry.problems.push_back(what + " is missing");
    return std::nullopt;
  }
  try {
    return parse_run_output(read_file(file));
  } catch (const ToolError& e) {
    entry.problems.push_back(what + " is damaged: " + e.what());
    return std::nullopt;
  }
}

// The geometry to draw: kelma's final one, else the input's (said so).
std::vector<Vec3> drawn_geometry(const std::optional<RunOutput>& kelma, MoleculeEntry& entry) {
  if (kelma && !kelma->final_geometry.empty())
    return kelma->final_geometry;
  entry.problems.push_back("no final geometry: the input geometry is drawn");
  return {};
}

void read_files(const fs::path& folder, MoleculeEntry& entry) {
  if (entry.outcome == Outcome::skipped)
    return;
  const fs::path input_file = folder / layout::input;
  if (!fs::exists(input_file)) {
    entry.problems.push_back(std::string(layout::input) + " is missing");
    return;
  }
  const std::string input = read_file(input_file);
  parse_double(keyword_value(input, "$gtol"), entry.gtol);
  entry.symbols = input_elements(input);
  std::optional<RunOutput> kelma;
  if (outcome_of(entry.kelma) != Outcome::not_run) {
    kelma = read_run(folder / kelma_program / layout::program_output, entry);
    if (kelma)
      entry.cycles = kelma->cycles;
  }
  const std::vector<Vec3> geometry = drawn_geometry(kelma, entry);
  try {
    entry.elements = find_symmetry_elements(input, geometry);
  } catch (const ToolError& e) {
    entry.problems.push_back(std::string("no symmetry elements: ") + e.what());
  }
}

} // namespace

std::vector<MoleculeEntry> read_batch(const fs::path& folder) {
  const fs::path status_file = folder / layout::status;
  if (!fs::exists(status_file))
    throw ToolError(status_file.string() + ": no such file (run ffbatch first)");
  std::vector<StatusLine> rows;
  try {
    rows = read_status_table(read_file(status_file));
  } catch (const ToolError& e) {
    throw ToolError(status_file.string() + ": " + e.what());
  }
  std::vector<MoleculeEntry> molecules;
  for (const StatusLine& row : rows) {
    const std::string& name = row.molecule;
    if (molecules.empty() || molecules.back().name != name) {
      molecules.emplace_back();
      molecules.back().name = name;
    }
    take_status(row, molecules.back());
  }
  for (MoleculeEntry& entry : molecules) {
    entry.outcome = report_class(entry);
    read_files(folder / entry.name, entry);
  }
  return molecules;
}

BatchSummary summarise(const std::vector<MoleculeEntry>& molecules) {
  BatchSummary summary;
  summary.molecules = molecules.size();
  for (const MoleculeEntry& entry : molecules) {
    ++summary.outcomes[entry.outcome];
    if (entry.group != "-")
      ++summary.groups[entry.group];
  }
  return summary;
}

std::string outcome_name(Outcome outcome) { return std::string(outcome_words(outcome)); }

} // namespace tools
