// kelma's convergence as SVG: the energy per cycle above, the RMS force per cycle below on a
// logarithmic scale with the $gtol threshold drawn across it.
#pragma once

#include <string>
#include <vector>

#include "tools/core/run_output.hpp"

namespace tools {

struct PlotSize {
  double width = 0.0;
  double height = 0.0;   // of each of the two panels
  bool labelled = false; // axis ranges and titles written beside the curves
};

inline constexpr PlotSize table_plot{120.0, 18.0, false};
inline constexpr PlotSize section_plot{560.0, 160.0, true};

// The two panels as one svg element; gtol 0 leaves the threshold out. Cycle records whose values
// cannot be read are left out of the curves.
std::string convergence_svg(const std::vector<CycleRecord>& cycles, double gtol, PlotSize size);

} // namespace tools
