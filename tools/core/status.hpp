// The lines of status.tsv: one per molecule and program, as the step writes them to the
// molecule's result.tsv and the batch gathers them.
#pragma once

#include <string>
#include <string_view>

namespace tools {

// One line of status.tsv: molecule, atoms, program, outcome, cycles, final energy, final RMS
// force, seconds, the terms without parameter ("none", "bonds 3, torsions 1"), what was guessed
// or added when the molecule was prepared ("none", "bonds perceived, nearest types") and the
// outcome in plain words (why a molecule was skipped, the point group's name, ...); "-" where a
// value does not apply.
struct StatusLine {
  std::string molecule;
  std::string atoms = "-";
  std::string program = "-";
  std::string outcome;
  std::string cycles = "-";
  std::string energy = "-";
  std::string rms = "-";
  std::string seconds = "-";
  std::string no_parameter = "-";
  std::string notes = "-";
  std::string detail = "-";
};

std::string status_header();
std::string status_text(const StatusLine& line);
// ToolError for a line without the eleven fields (the message shows the line made printable).
StatusLine parse_status(std::string_view text);

// Converged kelma runs and symmetry runs that named a group succeeded; any other outcome
// (cycle limit, numbered report, input error, timeout, not symmetrised, failed, skipped, not
// run) is a failure.
bool succeeded(const StatusLine& line);

} // namespace tools
