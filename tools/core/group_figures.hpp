// How sure a symmetry answer is, in the words and fields of the tools: the deviation of the
// symmetrisation, and the group that moves the atoms less where two hold at the tolerance.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "symmetry/group_choice.hpp"
#include "tools/core/status.hpp"
#include "tools/core/text.hpp"

namespace tools {

// symmetry's answer on a keyword input, weighed (choose_group), found in memory without records.
// ToolError when the input cannot be read.
symmetry::GroupChoice weigh_input(const std::string& input);

// Adds the deviation and the groups near the answer to the detail of a symmetry line that names
// a point group. When the weighing replaced the run's answer, the outcome and the group's words
// become those of the chosen group, and the detail names the run's own.
void weigh_line(StatusLine& line, const symmetry::GroupChoice& choice);

// The SDF data fields of the weighed answer: point_group, symmetrisation_rms_angstrom,
// symmetrisation_max_angstrom, symmetry_image_angstrom, symmetry_csm and point_group_near (the
// other groups that hold, "-" for none).
std::vector<std::pair<std::string, std::string>> choice_fields(const symmetry::GroupChoice& choice);

// The atoms of a 3 x n coordinate array.
std::vector<Vec3> coordinate_rows(const std::vector<double>& xyz);

} // namespace tools
