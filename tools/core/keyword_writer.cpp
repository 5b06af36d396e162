#include "tools/core/keyword_writer.hpp"

#include <algorithm>
#include <array>

#include "common/keyword_input.hpp"
#include "common/records.hpp"
#include "tools/core/tokens.hpp"
#include "tools/core/tool_error.hpp"

namespace tools {

namespace {

constexpr int coordinate_decimals = 10;
// Blanks between the z field and the element label.
constexpr int label_gap = common::label_column - 1 - 3 * common::coordinate_width;
constexpr auto text_value_length = static_cast<std::size_t>(common::text_value_length);

// The cycle limit: the cycle record prints the cycle number in four columns and a run may go one
// cycle past $nsteps, so 9998 is the most that never misprints. The automatic limit, 50 cycles
// per atom within 1000 and that, leaves a margin of five or more over the cycles that real
// molecules of 7 to 194 atoms needed (8.5 per atom at the most, paracetamol's 170).
constexpr int largest_cycle_limit = 9998;
constexpr int cycles_per_atom = 50;
constexpr int smallest_automatic_limit = 1000;
constexpr std::string_view automatic = "auto";

enum class Kind {
  positive_integer,
  non_negative_integer,
  positive_real,
  non_negative_real,
  cycle_limit,
  text
};

struct OptionField {
  std::string_view flag;
  std::string JobOptions::*value;
  Kind kind;
  std::string_view meaning;
};

const std::array<OptionField, 8> option_fields = {{
    {"--fftype", &JobOptions::fftype, Kind::text, "force-field name (not used by the programs)"},
    {"--jobtype", &JobOptions::jobtype, Kind::non_negative_integer,
     "1: start from the inverse of the force-field Hessian, 0: from the unit matrix"},
    {"--vdwc", &JobOptions::vdwc, Kind::positive_real, "van der Waals cut-off, Angstrom"},
    {"--print", &JobOptions::print, Kind::non_negative_integer, "listing level"},
    {"--gtol", &JobOptions::gtol, Kind::positive_real, "RMS force threshold, hartree/bohr"},
    {"--etol", &JobOptions::etol, Kind::non_negative_real, "energy decrease threshold, hartree"},
    {"--nsteps", &JobOptions::nsteps, Kind::cycle_limit,
     "largest cycle number, at most 9998; auto: 50 per atom, 1000 to 9998"},
    {"--thrsym", &JobOptions::thrsym, Kind::positive_real, "symmetry tolerance, Angstrom"},
}};

bool valid(Kind kind, std::string_view text) {
  int i = 0;
  double r = 0.0;
  switch (kind) {
  case Kind::positive_integer:
    return parse_int(text, i) && i > 0;
  case Kind::non_negative_integer:
    return parse_int(text, i) && i >= 0;
  case Kind::positive_real:
    return parse_double(text, r) && r > 0.0;
  case Kind::non_negative_real:
    return parse_double(text, r) && r >= 0.0;
  case Kind::cycle_limit:
    return text == automatic || (parse_int(text, i) && i > 0 && i <= largest_cycle_limit);
  case Kind::text:
    return !trim(text).empty() && text.size() <= text_value_length &&
           text.find_first_of("\n\r") == std::string_view::npos;
  }
  return false;
}

std::string atom_line(const Atom& atom) {
  std::string element = atom.element.substr(0, common::label_width);
  element.resize(common::label_width, ' '); // left-justified, as the examples write it
  common::Record record;
  for (const double c : atom.xyz)
    record.f(c, common::coordinate_width, coordinate_decimals);
  return record.x(label_gap)
      .a(element, common::label_width)
      .i(atom.ff_type, common::type_width)
      .str();
}

// A comment line must not begin with '$': the readers would take it for a keyword.
std::string comment(std::string_view text) {
  std::string line = "# ";
  for (const char c : text)
    line += (c == '\n' || c == '\r') ? ' ' : c;
  return line;
}

std::string cycle_limit(const std::string& nsteps, std::size_t atoms) {
  if (nsteps != automatic)
    return nsteps;
  return std::to_string(automatic_cycle_limit(atoms));
}

} // namespace

int automatic_cycle_limit(std::size_t atoms) {
  const auto per_atoms = static_cast<int>(atoms) * cycles_per_atom;
  return std::clamp(per_atoms, smallest_automatic_limit, largest_cycle_limit);
}

bool set_job_option(JobOptions& options, std::string_view flag, std::string_view value) {
  for (const OptionField& field : option_fields) {
    if (field.flag != flag)
      continue;
    if (!valid(field.kind, value))
      throw ToolError("invalid value '" + std::string(value) + "' for " + std::string(flag));
    std::string_view kept = value;
    if (field.kind != Kind::text && kept.front() == '+')
      kept.remove_prefix(1);
    options.*field.value = std::string(kept);
    return true;
  }
  return false;
}

std::string job_option_usage() {
  const JobOptions defaults;
  std::string text;
  for (const OptionField& field : option_fields)
    text += "  " + std::string(field.flag) + " VALUE  " + std::string(field.meaning) +
            " (default " + defaults.*field.value + ")\n";
  return text;
}

std::string keyword_input(const Molecule& molecule, const JobOptions& options,
                          std::string_view source) {
  std::string out = comment(molecule.name) + "\n" + comment(source) + "\n";
  if (!molecule.start.empty())
    out += comment("3D start: " + molecule.start) + "\n";
  out += "$natoms " + std::to_string(molecule.atoms.size()) + "\n";
  out += "$thrsym " + options.thrsym + "\n";
  out += "$fftype " + options.fftype + "\n";
  out += "$jobtype " + options.jobtype + "\n";
  out += "$vdwc " + options.vdwc + "\n";
  out += "$print " + options.print + "\n";
  out += "$gtol " + options.gtol + "\n";
  out += "$etol " + options.etol + "\n";
  out += "$nsteps " + cycle_limit(options.nsteps, molecule.atoms.size()) + "\n";
  out += std::string(common::coordinates_key) + "\n";
  for (const Atom& atom : molecule.atoms)
    out += atom_line(atom) + "\n";
  out += std::string(common::connectivity_key) + "\n";
  for (const Bond& bond : molecule.bonds)
    out += std::to_string(bond.i) + " " + std::to_string(bond.j) + " " + std::to_string(bond.code) +
           "\n";
  out += std::string(common::end_key) + "\n";
  return out;
}

} // namespace tools
