#include "tools/core/keyword_text.hpp"

#include <algorithm>

#include "common/keyword_input.hpp"
#include "common/records.hpp"
#include "tools/core/files.hpp"
#include "tools/core/tokens.hpp"
#include "tools/core/tool_error.hpp"
#include "tools/core/vec3.hpp"

namespace tools {

namespace {

// The atom lines' coordinates: 3F16.10 in columns 1-48.
constexpr int coordinate_decimals = 10;
constexpr auto coordinate_columns = static_cast<std::size_t>(3 * common::coordinate_width);

// The lines of a keyword input and where its $natoms atom lines are (the lines after the first
// $coordinates line, as the programs read them).
struct AtomLines {
  std::vector<std::string> lines;
  std::size_t first = 0;
  std::size_t count = 0;
};

AtomLines atom_lines(std::string_view input) {
  const int n = natoms_of(input);
  AtomLines atoms{split_lines(input)};
  const auto section = std::find_if(atoms.lines.begin(), atoms.lines.end(), [](const auto& line) {
    return line.starts_with(common::coordinates_key);
  });
  atoms.first = static_cast<std::size_t>(section - atoms.lines.begin()) + 1;
  if (n < 0 || section == atoms.lines.end() ||
      atoms.lines.size() - atoms.first < static_cast<std::size_t>(n))
    throw ToolError("the keyword input has no complete $coordinates section");
  atoms.count = static_cast<std::size_t>(n);
  return atoms;
}

} // namespace

std::string keyword_value(std::string_view input, std::string_view keyword) {
  for (const std::string& line : split_lines(input)) {
    if (!line.starts_with(keyword))
      continue;
    const auto words = split_words(std::string_view(line).substr(keyword.size()));
    return words.empty() ? std::string() : std::string(words[0]);
  }
  return {};
}

int natoms_of(std::string_view input) {
  int n = -1;
  return parse_int(keyword_value(input, "$natoms"), n) ? n : -1;
}

std::vector<std::string> input_elements(std::string_view input) {
  constexpr auto label_column = static_cast<std::size_t>(common::label_column - 1); // 0-based
  constexpr auto label_width = static_cast<std::size_t>(common::label_width);
  const AtomLines atoms = atom_lines(input);
  std::vector<std::string> elements;
  for (std::size_t a = 0; a < atoms.count; ++a) {
    const std::string& line = atoms.lines[atoms.first + a];
    elements.emplace_back(line.size() > label_column
                              ? trim(std::string_view(line).substr(label_column, label_width))
                              : "");
  }
  return elements;
}

std::string with_coordinates(std::string_view input, const std::vector<Vec3>& xyz) {
  AtomLines atoms = atom_lines(input);
  if (xyz.size() != atoms.count)
    throw ToolError("the geometry has " + std::to_string(xyz.size()) + " atoms, the input " +
                    std::to_string(atoms.count));
  for (std::size_t a = 0; a < atoms.count; ++a) {
    std::string& line = atoms.lines[atoms.first + a];
    common::Record record;
    for (const double c : xyz[a])
      record.f(c, common::coordinate_width, coordinate_decimals);
    line.resize(std::max(line.size(), coordinate_columns), ' ');
    line.replace(0, coordinate_columns, record.str());
  }
  std::string text;
  for (const std::string& line : atoms.lines)
    text += line + "\n";
  return text;
}

} // namespace tools
