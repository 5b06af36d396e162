// The lines of status.tsv: one per molecule and program, as the step writes them to the
// molecule's result.tsv and the batch gathers them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tools {

// The outcomes of status.tsv. A point group's outcome adds the group's label after its words
// ("point group c2v"), a failure the reason ("failed: signal 9").
enum class Outcome {
  converged,
  cycle_limit,
  numbered_report,
  input_error,
  timeout,
  point_group,
  not_symmetrised,
  skipped,
  not_run,
  failed
};

// The words of an outcome ("cycle limit").
std::string_view outcome_words(Outcome outcome);
// The outcome column: the words, and what follows them for a point group and a failure.
std::string outcome_text(Outcome outcome, std::string_view what = {});
// The outcome of an outcome column; failed for a text that names none.
Outcome outcome_of(std::string_view text);
// What follows the words of a point group's or a failure's outcome ("c2v", "signal 9").
std::string outcome_detail(std::string_view text);

// The no_parameter and notes columns when there is nothing to say, and any column that does not
// apply to its line.
inline constexpr std::string_view nothing_noted = "none";
inline constexpr std::string_view not_applicable = "-";

// The program column of a run of either program.
inline constexpr std::string_view kelma_program = "kelma";
inline constexpr std::string_view symmetry_program = "symmetry";

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

// The header line of status.tsv: the column names, TAB-separated.
std::string status_header();
// One line of the table, every field made printable.
std::string status_tsv_line(const StatusLine& line);
// The lines, each as status_tsv_line makes it and ended by a line feed.
std::string status_tsv_lines(const std::vector<StatusLine>& lines);
// A line of a molecule's result.tsv (the table's columns in the order status_header names them);
// ToolError for a line without the eleven fields (the message shows the line made printable).
StatusLine parse_status(std::string_view text);
// The lines of a status.tsv after its header, read by the header's column names, so that a table
// whose columns were moved or added to still reads: a line shorter than the header lacks its last
// columns ("-"), a column this version does not know is read past. ToolError ("line N: ...") for a
// line longer than the header or a header without the molecule column.
std::vector<StatusLine> read_status_table(std::string_view text);

// Converged kelma runs and symmetry runs that named a group succeeded; any other outcome
// (cycle limit, numbered report, input error, timeout, not symmetrised, failed, skipped, not
// run) is a failure.
bool succeeded(const StatusLine& line);

} // namespace tools
