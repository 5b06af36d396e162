#include "tools/core/group_figures.hpp"

#include <sstream>

#include "common/keyword_input.hpp"
#include "common/run_context.hpp"
#include "common/termination.hpp"
#include "symmetry/driver.hpp"
#include "tools/core/run_outcome.hpp"

namespace tools {

namespace {

constexpr int length_decimals = 6;
constexpr int csm_decimals = 6;
constexpr int no_listing = 0;

std::string trimmed(const std::string& label) { return std::string(trim(label)); }

std::string deviation_words(const symmetry::Deviation& d) {
  return "symmetrisation moved the atoms " + fixed(d.rms, length_decimals) + " A rms, " +
         fixed(d.largest, length_decimals) + " A at most; images within " +
         fixed(d.image, length_decimals) + " A; CSM " + fixed(d.csm, csm_decimals);
}

std::string near_words(const symmetry::GroupChoice& choice) {
  std::string text;
  for (const symmetry::HeldGroup& g : choice.near) {
    text += "; ";
    text += group_name(g.label) + " holds as well but moves the atoms " +
            fixed(g.deviation.rms, length_decimals) + " A rms";
  }
  return text;
}

} // namespace

symmetry::GroupChoice weigh_input(const std::string& input) {
  common::RunContext run("", common::UnitsTo::nowhere);
  std::istringstream in(input);
  common::InputDeck deck(in);
  symmetry::SymmetryInput read;
  try {
    read = symmetry::read_symmetry_input(run, deck);
  } catch (const common::InputError& e) {
    throw ToolError(std::string("keyword input: ") + e.what());
  } catch (const common::RunStop&) {
    throw ToolError("keyword input: a keyword of symmetry is missing");
  }
  read.print = no_listing;
  const symmetry::SymmetryInput given = read;
  return symmetry::choose_group(given, symmetry::run_symmetry(run, read));
}

void weigh_line(StatusLine& line, const symmetry::GroupChoice& choice) {
  const symmetry::SymmetryResult& chosen = choice.chosen;
  std::string group = line.detail;
  if (choice.replaced) {
    line.outcome = outcome_text(Outcome::point_group, trimmed(chosen.label));
    group = group_name(chosen.label) + ", " + std::to_string(chosen.degrees) +
            " totally symmetric degrees of freedom (symmetry's own answer moves the atoms more)";
  }
  line.detail = group + "; " + deviation_words(chosen.deviation) + near_words(choice);
}

std::vector<std::pair<std::string, std::string>>
choice_fields(const symmetry::GroupChoice& choice) {
  const symmetry::Deviation& d = choice.chosen.deviation;
  std::string near;
  for (const symmetry::HeldGroup& g : choice.near) {
    if (!near.empty())
      near += ',';
    near += trimmed(g.label);
  }
  return {{"point_group", trimmed(choice.chosen.label)},
          {"symmetrisation_rms_angstrom", fixed(d.rms, length_decimals)},
          {"symmetrisation_max_angstrom", fixed(d.largest, length_decimals)},
          {"symmetry_image_angstrom", fixed(d.image, length_decimals)},
          {"symmetry_csm", fixed(d.csm, csm_decimals)},
          {"point_group_near", near.empty() ? "-" : near}};
}

std::vector<Vec3> coordinate_rows(const std::vector<double>& xyz) {
  std::vector<Vec3> rows;
  for (std::size_t k = 0; k + 2 < xyz.size(); k += 3)
    rows.push_back({xyz[k], xyz[k + 1], xyz[k + 2]});
  return rows;
}

} // namespace tools
