#include "tools/report/batch_report.hpp"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <numeric>

#include "tools/core/batch_layout.hpp"
#include "tools/core/files.hpp"
#include "tools/core/keyword_text.hpp"
#include "tools/core/run_outcome.hpp"
#include "tools/core/tokens.hpp"
#include "tools/core/tool_error.hpp"
#include "tools/core/vec3.hpp"

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

// The order of the classes in worst_first.
constexpr Outcome worst_classes[] = {Outcome::failed, Outcome::skipped, Outcome::cycle_limit,
                                     Outcome::converged};

void add_once(std::vector<std::string>& list, std::string text) {
  if (std::find(list.begin(), list.end(), text) == list.end())
    list.push_back(std::move(text));
}

bool noted(const std::string& column) {
  return column != nothing_noted && column != not_applicable && !column.empty();
}

// What a status line says is amiss beside its outcome: the terms without parameter, what was
// guessed or added when the molecule was prepared, a symmetry result that stands only as a
// fallback, and a symmetry run that ended without a group although kelma's did converge.
void take_problems(const StatusLine& row, MoleculeEntry& entry) {
  if (noted(row.no_parameter))
    add_once(entry.problems, "no parameter: " + row.no_parameter);
  if (noted(row.notes))
    add_once(entry.problems, "notes: " + row.notes);
  if (const std::string warning = symmetry_warning(row); !warning.empty())
    add_once(entry.problems, "symmetry: " + warning);
  const Outcome outcome = outcome_of(row.outcome);
  if (row.program == symmetry_program && outcome != Outcome::point_group &&
      outcome != Outcome::not_symmetrised)
    add_once(entry.problems, "symmetry: " + row.outcome +
                                 (noted(row.detail) ? " (" + row.detail + ")" : std::string()));
}

void add_seconds(const std::string& text, MoleculeEntry& entry) {
  double value = 0.0;
  if (parse_double(text, value))
    entry.seconds = std::isnan(entry.seconds) ? value : entry.seconds + value;
}

// Takes one status line into the molecule's entry.
void take_status(const StatusLine& row, MoleculeEntry& entry) {
  const std::string& program = row.program;
  const std::string& outcome = row.outcome;
  entry.atoms = row.atoms;
  if (program == kelma_program) {
    entry.kelma = outcome;
    entry.kelma_detail = row.detail;
    entry.last_cycle = row.cycles;
    entry.energy = row.energy;
    entry.rms = row.rms;
  } else if (program == symmetry_program) {
    entry.symmetry = outcome;
    entry.symmetry_detail = row.detail;
    if (outcome_of(outcome) == Outcome::point_group)
      entry.group = outcome_detail(outcome);
  } else {
    entry.kelma = entry.symmetry = outcome; // skipped or not run: neither program ran
    entry.kelma_detail = row.detail;
  }
  add_seconds(row.seconds, entry);
  take_problems(row, entry);
}

std::optional<RunOutput> read_run(const fs::path& file, MoleculeEntry& entry) {
  const std::string what = fs::relative(file, file.parent_path().parent_path()).string();
  if (!fs::exists(file)) {
    entry.file_problems.push_back(what + " is missing");
    return std::nullopt;
  }
  try {
    return parse_run_output(read_file(file));
  } catch (const ToolError& e) {
    entry.file_problems.push_back(what + " is damaged: " + e.what());
    return std::nullopt;
  }
}

// The geometry to draw: kelma's final one, else the input's (said so).
std::vector<Vec3> drawn_geometry(const std::optional<RunOutput>& kelma, MoleculeEntry& entry) {
  if (kelma && !kelma->final_geometry.empty())
    return kelma->final_geometry;
  entry.file_problems.push_back("no final geometry: the input geometry is drawn");
  return {};
}

void read_files(const fs::path& folder, MoleculeEntry& entry) {
  if (entry.outcome == Outcome::skipped)
    return;
  const fs::path input_file = folder / layout::input;
  if (!fs::exists(input_file)) {
    entry.file_problems.push_back(std::string(layout::input) + " is missing");
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
    entry.file_problems.push_back(std::string("no symmetry elements: ") + e.what());
  }
}

} // namespace

std::vector<StatusLine> read_status_file(const fs::path& folder) {
  const fs::path status_file = folder / layout::status;
  if (!fs::exists(status_file))
    throw ToolError(status_file.string() + ": no such file (run ffbatch first)");
  try {
    return read_status_table(read_file(status_file));
  } catch (const ToolError& e) {
    throw ToolError(status_file.string() + ": " + e.what());
  }
}

std::vector<MoleculeEntry> molecule_entries(const std::vector<StatusLine>& rows) {
  std::vector<MoleculeEntry> molecules;
  for (const StatusLine& row : rows) {
    const std::string& name = row.molecule;
    if (molecules.empty() || molecules.back().name != name) {
      molecules.emplace_back();
      molecules.back().name = name;
    }
    take_status(row, molecules.back());
  }
  for (MoleculeEntry& entry : molecules)
    entry.outcome = report_class(entry);
  return molecules;
}

std::vector<MoleculeEntry> read_batch(const fs::path& folder) {
  std::vector<MoleculeEntry> molecules = molecule_entries(read_status_file(folder));
  for (MoleculeEntry& entry : molecules)
    read_files(folder / entry.name, entry);
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

std::vector<std::size_t> worst_first(const std::vector<MoleculeEntry>& molecules) {
  // Unreadable figures count as the worst of their class.
  const auto figure = [](const std::string& text) {
    double value = 0.0;
    return parse_double(text, value) ? value : std::numeric_limits<double>::infinity();
  };
  struct Key {
    std::ptrdiff_t rank;
    double rms, cycles;
  };
  std::vector<Key> keys;
  for (const MoleculeEntry& entry : molecules) {
    const auto* rank = std::find(std::begin(worst_classes), std::end(worst_classes), entry.outcome);
    keys.push_back({rank - std::begin(worst_classes), figure(entry.rms), figure(entry.last_cycle)});
  }
  std::vector<std::size_t> order(molecules.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::stable_sort(order.begin(), order.end(), [&keys](std::size_t a, std::size_t b) {
    const Key& x = keys[a];
    const Key& y = keys[b];
    if (x.rank != y.rank)
      return x.rank < y.rank;
    if (x.rms != y.rms)
      return x.rms > y.rms;
    return x.cycles > y.cycles;
  });
  return order;
}

std::string outcome_name(Outcome outcome) { return std::string(outcome_words(outcome)); }

} // namespace tools
