#include "tools/core/status.hpp"

#include <vector>

#include "tools/core/text.hpp"

namespace tools {

namespace {

constexpr std::size_t field_count = 11;

struct OutcomeWords {
  Outcome outcome;
  std::string_view words;
};

constexpr OutcomeWords outcome_table[] = {{Outcome::converged, "converged"},
                                          {Outcome::cycle_limit, "cycle limit"},
                                          {Outcome::numbered_report, "numbered report"},
                                          {Outcome::input_error, "input error"},
                                          {Outcome::timeout, "timeout"},
                                          {Outcome::point_group, "point group"},
                                          {Outcome::not_symmetrised, "not symmetrised"},
                                          {Outcome::skipped, "skipped"},
                                          {Outcome::not_run, "not run"},
                                          {Outcome::failed, "failed"}};

// What stands between the words and what follows them.
std::string_view joint(Outcome outcome) { return outcome == Outcome::failed ? ": " : " "; }

} // namespace

std::string_view outcome_words(Outcome outcome) {
  for (const OutcomeWords& entry : outcome_table)
    if (entry.outcome == outcome)
      return entry.words;
  return "failed";
}

std::string outcome_text(Outcome outcome, std::string_view what) {
  std::string text(outcome_words(outcome));
  if (!what.empty())
    text.append(joint(outcome)).append(what);
  return text;
}

Outcome outcome_of(std::string_view text) {
  for (const OutcomeWords& entry : outcome_table)
    if (text == entry.words || (text.starts_with(entry.words) &&
                                text.substr(entry.words.size()).starts_with(joint(entry.outcome))))
      return entry.outcome;
  return Outcome::failed;
}

std::string outcome_detail(std::string_view text) {
  const Outcome outcome = outcome_of(text);
  const std::size_t skip = outcome_words(outcome).size() + joint(outcome).size();
  return text.size() > skip ? std::string(text.substr(skip)) : std::string();
}

std::string status_header() {
  return "molecule\tatoms\tprogram\toutcome\tcycles\tenergy\trms_force\tseconds\tno_parameter\t"
         "notes\tdetail";
}

// Every field is made printable, so that no text from an input can break the table.
std::string status_text(const StatusLine& line) {
  std::string text = printable_line(line.molecule);
  for (const std::string* field :
       {&line.atoms, &line.program, &line.outcome, &line.cycles, &line.energy, &line.rms,
        &line.seconds, &line.no_parameter, &line.notes, &line.detail}) {
    text += '\t';
    text += printable_line(*field);
  }
  return text;
}

StatusLine parse_status(std::string_view text) {
  const std::vector<std::string> fields = split_tabs(text);
  if (fields.size() != field_count)
    throw ToolError("damaged status line: " + printable_line(text));
  return {fields[0], fields[1], fields[2], fields[3], fields[4], fields[5],
          fields[6], fields[7], fields[8], fields[9], fields[10]};
}

bool succeeded(const StatusLine& line) {
  const Outcome outcome = outcome_of(line.outcome);
  return outcome == Outcome::converged || outcome == Outcome::point_group;
}

} // namespace tools
