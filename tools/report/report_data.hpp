// The data that the report page's viewers read: per molecule its drawn geometry and symmetry
// elements, as JSON.
#pragma once

#include <string>
#include <vector>

#include "tools/report/batch_report.hpp"

namespace tools {

// A JSON array with one entry per molecule: {"group", "atoms": [{"element", "position"}],
// "axes": [{"order", "direction"}], "planes": [normal], "inversion"}, or null where the molecule
// has no elements.
std::string viewer_data(const std::vector<MoleculeEntry>& molecules);

} // namespace tools
