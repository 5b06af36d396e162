#include "tools/core/status_table.hpp"

#include <algorithm>

#include "tools/core/files.hpp"
#include "tools/core/text.hpp"

namespace tools {

namespace {

constexpr std::string_view molecule_column = "molecule";
constexpr std::string_view no_value = "-";

} // namespace

std::vector<StatusRow> read_status_table(std::string_view text) {
  const std::vector<std::string> lines = split_lines(text);
  if (lines.empty())
    throw ToolError("empty status table");
  const std::vector<std::string> header = split_tabs(lines[0]);
  if (std::find(header.begin(), header.end(), molecule_column) == header.end())
    throw ToolError("line 1: no molecule column in the header");
  std::vector<StatusRow> rows;
  for (std::size_t k = 1; k < lines.size(); ++k) {
    if (trim(lines[k]).empty())
      continue;
    const std::vector<std::string> fields = split_tabs(lines[k]);
    if (fields.size() > header.size())
      throw ToolError("line " + std::to_string(k + 1) + ": more fields than the header names");
    StatusRow row;
    for (std::size_t c = 0; c < fields.size(); ++c)
      row[header[c]] = fields[c];
    rows.push_back(std::move(row));
  }
  return rows;
}

std::string status_field(const StatusRow& row, std::string_view column) {
  const auto found = row.find(column);
  return std::string(found == row.end() ? no_value : found->second);
}

} // namespace tools
