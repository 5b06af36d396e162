#include "tools/core/run_outcome.hpp"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <vector>

#include "common/keyword_input.hpp"
#include "common/records.hpp"
#include "common/reports.hpp"
#include "common/termination.hpp"
#include "symmetry/status.hpp"
#include "symmetry/thresholds.hpp"
#include "tools/core/field_text.hpp"
#include "tools/core/files.hpp"
#include "tools/core/run_output.hpp"
#include "tools/core/tokens.hpp"
#include "tools/core/tool_error.hpp"
#include "tools/core/vec3.hpp"

namespace tools {

namespace {

constexpr char infinity_mark = '*'; // "c*v", "d*h"
constexpr int seconds_decimals = 2;
constexpr int energy_decimals = 9; // as the cycle records print the energy
// The degrees-of-freedom field has three columns; C1 molecules of 336 atoms or more overflow it,
// and for C1 the count is all internal motions.
constexpr std::string_view overflow = "***";
constexpr int rigid_motions = 6;
// The words that mark a symmetry detail whose atoms lie too close together for the search.
constexpr std::string_view crowded_mark = "closer than the search's smallest length";

void fill_cycles(StatusLine& line, const RunOutput& run) {
  if (run.cycles.empty())
    return;
  line.cycles = std::to_string(run.cycles.back().cycle);
  line.energy = run.cycles.back().energy;
  line.rms = run.cycles.back().rms;
}

// Where the last cycle stood when the cycle limit stopped the run.
std::string cycle_limit_detail(const RunOutput& run) {
  if (run.cycles.empty())
    return "stopped at the cycle limit before the first cycle record";
  const CycleRecord& last = run.cycles.back();
  std::string text = "stopped at the cycle limit after cycle " + std::to_string(last.cycle) +
                     ", with the RMS force at " + last.rms + " hartree/bohr";
  double now = 0.0;
  double before = 0.0;
  if (run.cycles.size() > 1 && parse_double(last.energy, now) &&
      parse_double(run.cycles[run.cycles.size() - 2].energy, before))
    text += " and the energy changing by " + fixed_decimals(now - before, energy_decimals) +
            " hartree in the last cycle";
  return text + "; a larger --nsteps may converge it";
}

// The text of a numbered report in the listing: "** Error no. N in ROUTINE **", then the text.
std::string report_detail(std::string_view listing, std::string_view errors) {
  const auto lines = split_lines(listing);
  for (std::size_t k = 0; k + 1 < lines.size(); ++k) {
    const std::string_view head = trim(lines[k]);
    if (!head.starts_with(common::numbered_report_mark))
      continue;
    const std::string_view text = trim(lines[k + 1]);
    const std::size_t key = text.find(common::missing_keyword_text);
    if (key != std::string_view::npos) {
      const auto words = split_words(text.substr(key + common::missing_keyword_text.size()));
      if (!words.empty())
        return "the input has no " + std::string(words[0]) + " keyword";
    }
    return std::string(head.substr(common::numbered_report_mark.size())) + ": " + std::string(text);
  }
  for (const std::string& line : split_lines(errors))
    if (line.starts_with(common::stop_prefix))
      return "the run ended with " + line;
  return "-";
}

std::string first_line(std::string_view text) {
  for (const std::string& line : split_lines(text))
    if (!trim(line).empty())
      return std::string(trim(line));
  return "-";
}

std::string degrees_of_freedom(const RunOutput& run) {
  if (run.degrees_of_freedom != overflow)
    return run.degrees_of_freedom;
  const int atoms = static_cast<int>(run.final_geometry.size());
  if (run.point_group == "c1")
    return std::to_string(3 * atoms - rigid_motions) + " (printed as ***)";
  return "above 999 (printed as ***)";
}

// The texts of the numerical routines' warnings on a listing (the line after each heading, without
// the integers some carry), each once, in the order they first appear.
std::vector<std::string> listed_warnings(std::string_view listing) {
  const auto lines = split_lines(listing);
  std::vector<std::string> texts;
  for (std::size_t k = 0; k + 1 < lines.size(); ++k) {
    if (trim(lines[k]) != symmetry::warning_heading)
      continue;
    std::string text(trim(lines[k + 1]));
    while (!text.empty() && (std::isdigit(static_cast<unsigned char>(text.back())) != 0 ||
                             text.back() == ' ' || text.back() == '-'))
      text.pop_back();
    if (std::find(texts.begin(), texts.end(), text) == texts.end())
      texts.push_back(text);
  }
  return texts;
}

// Two atoms of a C1 result closer than the search's smallest length (atoms at one point are left
// out): the search cannot tell like atoms so close apart, so its group may be larger than C1.
std::string crowded_atoms(const RunOutput& run) {
  const double smallest = symmetry::make_thresholds(1.0).anorm_min_length;
  const std::vector<Vec3>& atoms = run.final_geometry;
  std::size_t first = 0, second = 0;
  double closest = smallest;
  for (std::size_t i = 0; i < atoms.size(); ++i) {
    for (std::size_t j = i + 1; j < atoms.size(); ++j) {
      const double d = std::hypot(atoms[i][0] - atoms[j][0], atoms[i][1] - atoms[j][1],
                                  atoms[i][2] - atoms[j][2]);
      if (d > 0.0 && d < closest) {
        closest = d;
        first = i + 1;
        second = j + 1;
      }
    }
  }
  if (first == 0)
    return {};
  return "atoms " + std::to_string(first) + " and " + std::to_string(second) + " lie " +
         std::string(trim(common::free_real(closest))) + " apart, " + std::string(crowded_mark) +
         " " + common::shortest_real(smallest) + ": scale the coordinates up";
}

// The detail of a symmetry result: the group in words and, when the group is only the fallback
// to C1, that fallback and what the listing and the geometry tell of its cause.
std::string symmetry_detail(const RunOutput& run, std::string_view listing) {
  const std::string group = group_name(run.point_group) + ", " + degrees_of_freedom(run) +
                            " totally symmetric degrees of freedom";
  if (run.point_group != "c1")
    return group;
  const std::string crowded = crowded_atoms(run);
  const bool fell_back =
      listing.find(symmetry::search_fallback_warning) != std::string_view::npos ||
      listing.find(symmetry::mapping_fallback_warning) != std::string_view::npos;
  if (!fell_back)
    return crowded.empty() ? group : group + "; " + crowded;
  std::string causes;
  for (const std::string& text : listed_warnings(listing))
    causes += (causes.empty() ? "the listing warns: " : "; ") + text;
  if (!crowded.empty())
    causes += (causes.empty() ? "" : "; ") + crowded;
  if (causes.empty())
    causes = "the listing names no cause";
  return std::string(symmetry::fallback_words) + " (" + causes + "); " + group;
}

// The outcome and detail of a run that ended through the program's own logic (exit status 0), and
// the figures of kelma's last cycle.
void own_outcome(StatusLine& line, const RunOutput& run, const RunTexts& texts) {
  if (line.program == kelma_program)
    fill_cycles(line, run);
  if (texts.errors.find(common::stop_line(common::cycle_limit_code)) != std::string_view::npos) {
    line.outcome = outcome_text(Outcome::cycle_limit);
    line.detail = cycle_limit_detail(run);
  } else if (texts.errors.find(common::stop_prefix) != std::string_view::npos) {
    line.outcome = outcome_text(Outcome::numbered_report);
    line.detail = report_detail(texts.listing, texts.errors);
  } else if (run.final_geometry.empty()) {
    line.outcome = outcome_text(Outcome::failed, "no final geometry");
  } else if (line.program == kelma_program) {
    line.outcome = outcome_text(Outcome::converged);
  } else if (run.point_group.empty()) {
    line.outcome = outcome_text(Outcome::failed, "no point group record");
  } else {
    line.outcome = outcome_text(Outcome::point_group, run.point_group);
    line.detail = symmetry_detail(run, texts.listing);
  }
}

void signal_outcome(StatusLine& line, const ChildResult& child) {
  if (child.timed_out) {
    line.outcome = outcome_text(Outcome::timeout);
    line.detail = "killed after " + line.seconds + " s, the --timeout of " +
                  std::to_string(child.timeout_seconds) + " s";
    return;
  }
  line.outcome = outcome_text(Outcome::failed, "signal " + std::to_string(child.signal));
  line.detail =
      "killed by signal " + std::to_string(child.signal) + " (" + ::strsignal(child.signal) + ")";
}

// The line of a run that did not end through the program's own logic (not started, killed, a
// diagnostic or another exit status); its outcome is empty when the run did end that way.
StatusLine ended_line(std::string_view program, const ChildResult& child, const RunTexts& texts) {
  StatusLine line;
  line.program = std::string(program);
  if (!child.started) {
    line.outcome = outcome_text(Outcome::failed, child.error);
    return line;
  }
  line.seconds = fixed_decimals(child.seconds, seconds_decimals);
  if (child.signal != 0) {
    signal_outcome(line, child);
  } else if (child.exit_status == common::input_error_status) {
    line.outcome = outcome_text(Outcome::input_error);
    line.detail = first_line(texts.errors);
  } else if (child.exit_status != 0) {
    line.outcome =
        outcome_text(Outcome::failed, "exit status " + std::to_string(child.exit_status));
    line.detail = first_line(texts.errors);
  }
  return line;
}

} // namespace

std::string group_name(std::string_view label) {
  std::string name;
  for (const char c : trim(label)) {
    if (c == infinity_mark)
      name += "-infinity-";
    else
      name += c;
  }
  if (!name.empty())
    name[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(name[0])));
  return name;
}

std::string symmetry_warning(const StatusLine& line) {
  const bool warned =
      line.program == symmetry_program && (line.detail.starts_with(symmetry::fallback_words) ||
                                           line.detail.find(crowded_mark) != std::string::npos);
  return warned ? line.detail : std::string();
}

StatusLine classify_run(std::string_view program, const ChildResult& child, const RunTexts& texts) {
  StatusLine line = ended_line(program, child, texts);
  if (!line.outcome.empty())
    return line;
  RunOutput run;
  try {
    run = parse_run_output(texts.output);
  } catch (const ToolError& e) {
    // A numbered report may leave records of its own on standard output.
    if (texts.errors.find(common::stop_prefix) == std::string_view::npos) {
      line.outcome = outcome_text(Outcome::failed, "standard output " + std::string(e.what()));
      return line;
    }
  }
  own_outcome(line, run, texts);
  return line;
}

StatusLine classify_output(std::string_view program, const ChildResult& child, const RunOutput& run,
                           const RunTexts& texts) {
  StatusLine line = ended_line(program, child, texts);
  if (line.outcome.empty())
    own_outcome(line, run, texts);
  return line;
}

} // namespace tools
