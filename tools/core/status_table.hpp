// status.tsv read by its header names: columns may be added or moved without breaking a reader.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace tools {

// One line of status.tsv, by column name.
using StatusRow = std::map<std::string, std::string, std::less<>>;

// The lines after the header; a line shorter than the header lacks its last columns, a longer
// one is ToolError ("line N: ..."), as is a text without a header naming the molecule column.
std::vector<StatusRow> read_status_table(std::string_view text);

// The field of the named column; "-" (the table's "does not apply") when the line has none.
std::string status_field(const StatusRow& row, std::string_view column);

} // namespace tools
