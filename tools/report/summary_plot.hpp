// The report's summary as small SVG charts: counts per category as bars (outcomes, point groups),
// and histograms of a figure over the molecules (cycles, energy, seconds).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tools {

struct Bar {
  std::string label;
  std::size_t count = 0;
};

// One bar per entry, in the given order, labelled with its name and count. Beyond max_bars, the
// last bar sums those that do not fit ("others"): order the bars largest first for that.
inline constexpr std::size_t max_bars = 12;
std::string bar_chart(std::string_view title, std::vector<Bar> bars);

// The values in histogram_bins bins between the values at the histogram_tail share from either
// end (or between the smallest and the largest when those two are equal): a few molecules far out
// do not squeeze the rest into one bin, and the end bins count them too (their range labels then
// carry a less-or-equal or a greater-or-equal sign). NaN values are left out.
inline constexpr std::size_t histogram_bins = 20;
inline constexpr double histogram_tail = 0.01;
std::string histogram(std::string_view title, std::vector<double> values);

} // namespace tools
