// How sure a symmetry answer is, in the words and fields of the tools: the deviation of the
// symmetrisation, and the group that moves the atoms less where two hold at the tolerance.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "symmetry/group_choice.hpp"
#include "tools/core/status.hpp"

namespace tools {

// symmetry's answer on a keyword input, weighed (choose_group), found in memory without records.
// ToolError when the input cannot be read.
symmetry::GroupChoice weigh_input(const std::string& input);

// Adds the deviation of the answer and the groups near it to the detail of a symmetry line that
// names a point group. The outcome stays the program's answer; when the weighing chose another
// group, the detail names that group and how far it moves the atoms.
void weigh_line(StatusLine& line, const symmetry::GroupChoice& choice);

// The SDF data fields of the program's answer (answer, its label trimmed): point_group,
// symmetrisation_rms_angstrom, symmetrisation_max_angstrom, symmetry_image_angstrom, symmetry_csm
// and point_group_near (the other groups that hold, the weighing's choice first, "-" for none).
std::vector<std::pair<std::string, std::string>> choice_fields(const symmetry::GroupChoice& choice,
                                                               const std::string& answer);

} // namespace tools
