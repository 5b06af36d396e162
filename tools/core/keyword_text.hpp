// Keyword inputs as text: the value of a keyword, the atom count, the element labels of the atom
// lines, and the input with other coordinates, for the tools that read and rewrite the inputs
// of earlier runs.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "tools/core/vec3.hpp"

namespace tools {

// The first word after a keyword (such as "$gtol") on its line of a keyword input; empty when the
// keyword is absent.
std::string keyword_value(std::string_view input, std::string_view keyword);

// The value of $natoms in a keyword input, -1 when it cannot be read.
int natoms_of(std::string_view input);

// The element labels of the atom lines (columns 54-55, trimmed) of a keyword input.
std::vector<std::string> input_elements(std::string_view input);

// The keyword input with the coordinates of its atom lines (columns 1-48) replaced by xyz, as
// the programs print them (3F16.10); the rest of every line is kept. ToolError when the atom
// counts differ.
std::string with_coordinates(std::string_view input, const std::vector<Vec3>& xyz);

} // namespace tools
