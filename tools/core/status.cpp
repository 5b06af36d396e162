#include "tools/core/status.hpp"

#include <algorithm>
#include <iterator>
#include <vector>

#include "tools/core/field_text.hpp"
#include "tools/core/files.hpp"
#include "tools/core/tokens.hpp"
#include "tools/core/tool_error.hpp"

namespace tools {

namespace {

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

// The columns of status.tsv in the order the programs write them, each with its field.
struct Column {
  std::string_view name;
  std::string StatusLine::*field;
};

constexpr Column columns[] = {{"molecule", &StatusLine::molecule},
                              {"atoms", &StatusLine::atoms},
                              {"program", &StatusLine::program},
                              {"outcome", &StatusLine::outcome},
                              {"cycles", &StatusLine::cycles},
                              {"energy", &StatusLine::energy},
                              {"rms_force", &StatusLine::rms},
                              {"seconds", &StatusLine::seconds},
                              {"no_parameter", &StatusLine::no_parameter},
                              {"notes", &StatusLine::notes},
                              {"detail", &StatusLine::detail}};

// The field of each column of a header, in its order; nullptr for a column this version does not
// know (a later version's), which is read past.
using ColumnFields = std::vector<std::string StatusLine::*>;

ColumnFields header_fields(std::string_view header) {
  ColumnFields fields;
  bool named_molecule = false;
  for (const std::string& name : split_tabs(header)) {
    const auto* known = std::find_if(std::begin(columns), std::end(columns),
                                     [&](const Column& column) { return column.name == name; });
    fields.push_back(known == std::end(columns) ? nullptr : known->field);
    named_molecule = named_molecule || name == columns[0].name;
  }
  if (!named_molecule)
    throw ToolError("no molecule column in the header");
  return fields;
}

// A line's fields into their columns; a line may lack the last columns ("-"), never have more.
StatusLine line_from(const ColumnFields& fields, std::string_view text) {
  const std::vector<std::string> values = split_tabs(text);
  if (values.size() > fields.size())
    throw ToolError("more fields than the header names");
  StatusLine line;
  for (std::size_t c = 0; c < values.size(); ++c)
    if (fields[c] != nullptr)
      line.*fields[c] = values[c];
  return line;
}

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
  std::string header;
  for (const Column& column : columns) {
    if (!header.empty())
      header += '\t';
    header += column.name;
  }
  return header;
}

// Every field is made printable, so that no text from an input can break the table.
std::string status_tsv_line(const StatusLine& line) {
  std::string text;
  for (const Column& column : columns) {
    if (column.field != columns[0].field)
      text += '\t';
    text += printable_line(line.*column.field);
  }
  return text;
}

std::string status_tsv_lines(const std::vector<StatusLine>& lines) {
  std::string text;
  for (const StatusLine& line : lines)
    text += status_tsv_line(line) + "\n";
  return text;
}

StatusLine parse_status(std::string_view text) {
  const std::vector<std::string> values = split_tabs(text);
  if (values.size() != std::size(columns))
    throw ToolError("damaged status line: " + printable_line(text));
  StatusLine line;
  for (std::size_t c = 0; c < values.size(); ++c)
    line.*columns[c].field = values[c];
  return line;
}

std::vector<StatusLine> read_status_table(std::string_view text) {
  const std::vector<std::string> lines = split_lines(text);
  if (lines.empty())
    throw ToolError("empty status table");
  ColumnFields fields;
  try {
    fields = header_fields(lines[0]);
  } catch (const ToolError& e) {
    throw ToolError(std::string("line 1: ") + e.what());
  }
  std::vector<StatusLine> rows;
  for (std::size_t k = 1; k < lines.size(); ++k) {
    if (trim(lines[k]).empty())
      continue;
    try {
      rows.push_back(line_from(fields, lines[k]));
    } catch (const ToolError& e) {
      throw ToolError("line " + std::to_string(k + 1) + ": " + e.what());
    }
  }
  return rows;
}

bool succeeded(const StatusLine& line) {
  const Outcome outcome = outcome_of(line.outcome);
  return outcome == Outcome::converged || outcome == Outcome::point_group;
}

} // namespace tools
