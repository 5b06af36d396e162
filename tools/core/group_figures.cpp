#include "tools/core/group_figures.hpp"

#include <sstream>

#include "common/keyword_input.hpp"
#include "common/run_context.hpp"
#include "common/termination.hpp"
#include "symmetry/driver.hpp"
#include "tools/core/field_text.hpp"
#include "tools/core/run_outcome.hpp"
#include "tools/core/tokens.hpp"
#include "tools/core/tool_error.hpp"

namespace tools {

namespace {

constexpr int length_decimals = 6;
constexpr int csm_decimals = 6;
constexpr int no_listing = 0;

std::string trimmed(const std::string& label) { return std::string(trim(label)); }

std::string deviation_words(const symmetry::Deviation& d) {
  return "symmetrisation moved the atoms " + fixed_decimals(d.rms, length_decimals) + " A rms, " +
         fixed_decimals(d.largest, length_decimals) + " A at most; images within " +
         fixed_decimals(d.image, length_decimals) + " A; CSM " +
         fixed_decimals(d.csm, csm_decimals);
}

std::string near_words(const symmetry::GroupChoice& choice) {
  std::string text;
  for (const symmetry::HeldGroup& g : choice.near) {
    text += "; ";
    text += group_name(g.label) + " holds as well but moves the atoms " +
            fixed_decimals(g.deviation.rms, length_decimals) + " A rms";
  }
  return text;
}

// The deviation of the run's own answer (its label, trimmed), which the weighing replaced and
// keeps among the groups near the chosen one.
const symmetry::Deviation& answer_deviation(const symmetry::GroupChoice& choice,
                                            const std::string& answer) {
  for (const symmetry::HeldGroup& g : choice.near)
    if (trimmed(g.label) == answer)
      return g.deviation;
  return choice.chosen.deviation;
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
  return symmetry::choose_group(given, symmetry::run_symmetry_on_input(run, read));
}

void weigh_line(StatusLine& line, const symmetry::GroupChoice& choice) {
  const symmetry::SymmetryResult& chosen = choice.chosen;
  if (!choice.replaced) {
    line.detail += "; " + deviation_words(chosen.deviation) + near_words(choice);
    return;
  }
  // The outcome stays the program's answer: the weighing is a second opinion, named beside it.
  line.detail += "; " + deviation_words(answer_deviation(choice, outcome_detail(line.outcome))) +
                 "; " + group_name(chosen.label) + " holds as well and moves the atoms less, " +
                 fixed_decimals(chosen.deviation.rms, length_decimals) + " A rms";
}

std::vector<std::pair<std::string, std::string>> choice_fields(const symmetry::GroupChoice& choice,
                                                               const std::string& answer) {
  const symmetry::Deviation& d =
      choice.replaced ? answer_deviation(choice, answer) : choice.chosen.deviation;
  std::string near = choice.replaced ? trimmed(choice.chosen.label) : std::string();
  for (const symmetry::HeldGroup& g : choice.near) {
    if (trimmed(g.label) == answer)
      continue;
    if (!near.empty())
      near += ',';
    near += trimmed(g.label);
  }
  return {{"point_group", answer},
          {"symmetrisation_rms_angstrom", fixed_decimals(d.rms, length_decimals)},
          {"symmetrisation_max_angstrom", fixed_decimals(d.largest, length_decimals)},
          {"symmetry_image_angstrom", fixed_decimals(d.image, length_decimals)},
          {"symmetry_csm", fixed_decimals(d.csm, csm_decimals)},
          {"point_group_near", near.empty() ? "-" : near}};
}

} // namespace tools
