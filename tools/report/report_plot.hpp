// kelma's convergence as SVG: the energy per cycle above, the RMS force per cycle below on a
// logarithmic scale with the $gtol threshold drawn across it.
#pragma once

#include <string>
#include <vector>

#include "tools/core/run_output.hpp"

namespace tools {

// The size of the plot, in pixels: the width, and the height of each of the two panels.
inline constexpr double plot_width = 560.0;
inline constexpr double panel_height = 160.0;

// The two panels as one svg element, with their axis ranges and titles; gtol 0 leaves the
// threshold out. Cycle records whose values cannot be read are left out of the curves.
std::string convergence_svg(const std::vector<CycleRecord>& cycles, double gtol);

} // namespace tools
