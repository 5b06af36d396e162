#include "tools/batch/molecule_run.hpp"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <sstream>

#include "common/keyword_input.hpp"
#include "common/reports.hpp"
#include "common/run_context.hpp"
#include "common/termination.hpp"
#include "kelma/driver.hpp"
#include "symmetry/driver.hpp"
#include "symmetry/group_choice.hpp"
#include "tools/core/group_figures.hpp"
#include "tools/core/keyword_text.hpp"
#include "tools/core/run_outcome.hpp"
#include "tools/core/run_output.hpp"
#include "tools/core/tool_error.hpp"
#include "tools/formats/chemistry_writer.hpp"
#include "tools/formats/compressed_input.hpp"

namespace tools {

namespace {

constexpr const char* result_format = "sdf";

// What one program run in memory left: as a child's files would hold it.
struct ProgramTexts {
  int exit_status = 0;
  double seconds = 0.0;
  std::string output, errors, listing;
};

ProgramTexts run_in_memory(std::string_view banner, std::string_view program,
                           const common::ProgramBody& body) {
  common::RunContext run(banner, common::UnitsTo::memory);
  ProgramTexts texts;
  const auto start = std::chrono::steady_clock::now();
  texts.exit_status = common::run_program(run, program, body);
  texts.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  texts.output = run.text(common::stdout_unit);
  texts.errors = run.text(common::stderr_unit);
  texts.listing = run.text(common::listing_unit);
  return texts;
}

StatusLine classify(std::string_view program, const ProgramTexts& texts) {
  ChildResult child;
  child.started = true;
  child.exit_status = texts.exit_status;
  child.seconds = texts.seconds;
  return classify_run(program, child, {texts.output, texts.errors, texts.listing});
}

void keep(std::string& records, std::string_view program, const ProgramTexts& texts) {
  for (const auto& [part, text] :
       {std::pair{"standard output", &texts.output}, std::pair{"standard error", &texts.errors},
        std::pair{"listing", &texts.listing}}) {
    if (!text->empty())
      records += "#### " + std::string(program) + " " + part + "\n" + *text;
  }
}

// A kelma run in this process, its status taken from the result rather than from its records.
struct KelmaRun {
  StatusLine line;
  RunOutput records;  // what its records show
  ProgramTexts texts; // its output and listing when they are kept
};

// The STOP line or the diagnostic that ended a kelma run (as standard error would end), and the
// numbered report its listing would show.
RunTexts ending_texts(const kelma::KelmaResult& result, std::string& errors, std::string& listing) {
  if (!result.stop_code.empty())
    errors += common::stop_line(result.stop_code) + "\n";
  if (result.report) {
    const auto [heading, text] = common::numbered_report_records(*result.report);
    listing = heading + "\n" + text + "\n";
  }
  return {{}, errors, listing};
}

KelmaRun kelma_in_memory(const std::string& input, bool keep_records) {
  common::RunContext run(kelma::termination_banner,
                         keep_records ? common::UnitsTo::memory : common::UnitsTo::nowhere);
  KelmaRun out;
  ChildResult child;
  child.started = true;
  child.exit_status = 0;
  kelma::KelmaResult result;
  const auto start = std::chrono::steady_clock::now();
  try {
    std::istringstream in(input);
    common::InputDeck deck(in);
    result = kelma::optimise(run, deck);
  } catch (const common::InputError& error) {
    child.exit_status = common::input_error_status;
    out.texts.errors = std::string(kelma_program) + ": " + error.what() + "\n";
  }
  run.close_all_units();
  child.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  out.texts.output = run.text(common::stdout_unit);
  out.texts.errors.insert(0, run.text(common::stderr_unit));
  std::string report;
  const RunTexts ending = ending_texts(result, out.texts.errors, report);
  out.texts.listing = run.text(common::listing_unit);
  try {
    if (child.exit_status == 0)
      out.records = recorded_output(result);
    out.line = classify_output(kelma_program, child, out.records, ending);
  } catch (const ToolError& e) {
    out.line = classify_output(kelma_program, child, {}, ending);
    out.line.outcome = outcome_text(Outcome::failed, "standard output " + std::string(e.what()));
  }
  return out;
}

// The run as the program makes it, and its answer weighed against the groups a tighter search
// finds (choose_group).
ProgramTexts symmetry_in_memory(const std::string& input, symmetry::GroupChoice& choice) {
  return run_in_memory(
      symmetry::termination_banner, symmetry_program, [&](common::RunContext& run) {
        std::istringstream in(input);
        common::InputDeck deck(in);
        symmetry::SymmetryInput read = symmetry::read_symmetry_input(run, deck);
        const symmetry::SymmetryInput given = read;
        choice = symmetry::choose_group(given, symmetry::run_symmetry_on_input(run, read));
      });
}

// The molecule with the coordinates and data fields of geometry, as SDF: from the prepared
// template when there is one, else from the elements of the input.
std::string result_sdf(const PreparedMolecule& molecule, const GeometryResult& geometry) {
  return molecule.mol2.empty() ? elements_result(molecule.name, input_elements(molecule.input),
                                                 geometry, result_format)
                               : mol2_result(molecule.mol2, geometry, result_format);
}

// kelma's part of a molecule: its line, its records when kept, and the result geometry with its
// figures. Returns the input symmetry takes: the optimised geometry, the starting one, or none
// when kelma did not converge.
std::string kelma_part(const PreparedMolecule& molecule, const InProcessRun& how, MoleculeRun& out,
                       GeometryResult& geometry) {
  const KelmaRun kelma = kelma_in_memory(molecule.input, how.keep_records);
  out.lines.push_back(kelma.line);
  if (how.keep_records)
    keep(out.records, kelma_program, kelma.texts);
  const RunOutput& records = kelma.records;
  const bool converged = outcome_of(kelma.line.outcome) == Outcome::converged;
  geometry.xyz = converged ? records.final_geometry : records.last_geometry;
  geometry.fields = result_fields(records, {});
  if (!how.run_symmetry || how.symmetry_geometry != SymmetryGeometry::final)
    return molecule.input;
  if (!converged) {
    out.lines.push_back(not_symmetrised(kelma.line));
    return {};
  }
  return with_coordinates(molecule.input, records.final_geometry);
}

// symmetry's part of a molecule: its line, its records when kept, the group and how far the
// symmetrisation moved the atoms as fields of the result, and, when asked, the symmetrised
// molecule.
void symmetry_part(const PreparedMolecule& molecule, const std::string& input,
                   const InProcessRun& how, MoleculeRun& out, GeometryResult& geometry) {
  symmetry::GroupChoice choice;
  const ProgramTexts symmetry = symmetry_in_memory(input, choice);
  out.lines.push_back(classify(symmetry_program, symmetry));
  if (how.keep_records)
    keep(out.records, symmetry_program, symmetry);
  StatusLine& line = out.lines.back();
  if (outcome_of(line.outcome) != Outcome::point_group)
    return;
  weigh_line(line, choice);
  const std::vector<std::pair<std::string, std::string>> fields =
      choice_fields(choice, outcome_detail(line.outcome));
  geometry.fields.insert(geometry.fields.end(), fields.begin(), fields.end());
  if (how.keep_symmetrised)
    out.symmetrised =
        result_sdf(molecule, {parse_run_output(symmetry.output).final_geometry, fields});
}

} // namespace

StatusLine skipped_line(const PreparedMolecule& molecule) {
  StatusLine line{"", molecule.atoms > 0 ? std::to_string(molecule.atoms) : "-", "-",
                  outcome_text(Outcome::skipped)};
  line.no_parameter = molecule.coverage;
  line.notes = molecule.note_tags;
  line.detail = molecule.error;
  return line;
}

MoleculeRun run_molecule(const PreparedMolecule& molecule, const InProcessRun& how) {
  MoleculeRun out;
  GeometryResult geometry;
  std::string symmetry_input = molecule.input;
  if (how.run_kelma)
    symmetry_input = kelma_part(molecule, how, out, geometry);
  if (how.run_symmetry && !symmetry_input.empty())
    symmetry_part(molecule, symmetry_input, how, out, geometry);
  for (const StatusLine& line : out.lines) {
    geometry.fields.emplace_back(line.program + "_outcome", line.outcome);
    geometry.fields.emplace_back(line.program + "_detail", line.detail);
  }
  geometry.fields.emplace_back("no_parameter", molecule.coverage);
  geometry.fields.emplace_back("notes", molecule.note_tags);
  if (!geometry.xyz.empty())
    out.sdf = result_sdf(molecule, geometry);
  if (!out.records.empty())
    out.records = gzip_member(out.records);
  for (StatusLine& line : out.lines) {
    line.atoms = molecule.atoms > 0 ? std::to_string(molecule.atoms) : "-";
    line.no_parameter = molecule.coverage;
    line.notes = molecule.note_tags;
  }
  return out;
}

} // namespace tools
