#include "tools/report/report_plot.hpp"

#include <algorithm>
#include <cmath>

#include "tools/core/field_text.hpp"
#include "tools/core/tokens.hpp"

namespace tools {

namespace {

// An RMS force printed as 0.00000 is below the print resolution: drawn at half of it.
constexpr double smallest_force = 5.0e-6;
constexpr double margin = 64.0; // room for the range labels left of a panel
constexpr double panel_gap = 6.0;
constexpr double label_gap = 14.0; // the title line above a panel
constexpr int coordinate_decimals = 1;
constexpr int energy_decimals = 6;
constexpr int force_decimals = 5;

struct Series {
  std::vector<double> cycles;
  std::vector<double> values;
  double low = 0.0;
  double high = 0.0;
};

struct Box {
  double left, top, width, height;
};

Series series(const std::vector<CycleRecord>& records, bool force) {
  Series s;
  for (const CycleRecord& record : records) {
    double value = 0.0;
    if (!parse_double(force ? record.rms : record.energy, value))
      continue;
    s.cycles.push_back(record.cycle);
    s.values.push_back(force ? std::log10(std::max(value, smallest_force)) : value);
  }
  if (!s.values.empty()) {
    s.low = *std::min_element(s.values.begin(), s.values.end());
    s.high = *std::max_element(s.values.begin(), s.values.end());
  }
  return s;
}

std::string num(double v) { return fixed_decimals(v, coordinate_decimals); }

// y of value in the box; a flat series sits in the middle.
double y_of(double value, const Series& s, const Box& box) {
  if (s.high <= s.low)
    return box.top + box.height / 2.0;
  return box.top + box.height * (s.high - value) / (s.high - s.low);
}

double x_of(double cycle, const Series& s, const Box& box) {
  const double first = s.cycles.front();
  const double last = s.cycles.back();
  if (last <= first)
    return box.left + box.width / 2.0;
  return box.left + box.width * (cycle - first) / (last - first);
}

std::string polyline(const Series& s, const Box& box, const char* css_class) {
  std::string points;
  for (std::size_t k = 0; k < s.values.size(); ++k)
    points += num(x_of(s.cycles[k], s, box)) + "," + num(y_of(s.values[k], s, box)) + " ";
  return "<polyline class=\"" + std::string(css_class) + "\" points=\"" + points + "\"/>";
}

std::string text_at(double x, double y, const std::string& text, const char* anchor = "end") {
  return "<text x=\"" + num(x) + "\" y=\"" + num(y) + "\" text-anchor=\"" + anchor + "\">" + text +
         "</text>";
}

// The range labels and the title of a panel.
std::string labels(const Box& box, const std::string& title, const std::string& high,
                   const std::string& low) {
  return text_at(box.left, box.top - 3.0, title, "start") +
         text_at(box.left - 4.0, box.top + 8.0, high) +
         text_at(box.left - 4.0, box.top + box.height, low);
}

std::string energy_panel(const Series& s, const Box& box) {
  return polyline(s, box, "energy") +
         labels(box,
                "energy (hartree), cycles " + std::to_string(static_cast<int>(s.cycles.front())) +
                    " to " + std::to_string(static_cast<int>(s.cycles.back())),
                fixed_decimals(s.high, energy_decimals), fixed_decimals(s.low, energy_decimals));
}

std::string force_panel(Series s, double gtol, const Box& box) {
  const double threshold = gtol > 0.0 ? std::log10(gtol) : s.low;
  s.low = std::min(s.low, threshold);
  s.high = std::max(s.high, threshold);
  std::string svg;
  if (gtol > 0.0) {
    const std::string y = num(y_of(threshold, s, box));
    svg += "<line class=\"gtol\" x1=\"" + num(box.left) + "\" x2=\"" + num(box.left + box.width) +
           "\" y1=\"" + y + "\" y2=\"" + y + "\"/>";
  }
  return svg + polyline(s, box, "force") +
         labels(box,
                "RMS force (hartree/bohr, log scale)" +
                    (gtol > 0.0 ? "; dashed: $gtol " + fixed_decimals(gtol, force_decimals) : ""),
                fixed_decimals(std::pow(10.0, s.high), force_decimals),
                fixed_decimals(std::pow(10.0, s.low), force_decimals));
}

} // namespace

std::string convergence_svg(const std::vector<CycleRecord>& cycles, double gtol) {
  const Series energy = series(cycles, false);
  const Series force = series(cycles, true);
  if (energy.values.empty() || force.values.empty())
    return "<span class=\"no-plot\">no cycles</span>";
  const Box top{margin, label_gap, plot_width - margin, panel_height};
  const Box bottom{margin, 2.0 * label_gap + panel_height + panel_gap, plot_width - margin,
                   panel_height};
  const double total = bottom.top + panel_height + panel_gap;
  return "<svg class=\"convergence\" width=\"" + num(plot_width) + "\" height=\"" + num(total) +
         "\" viewBox=\"0 0 " + num(plot_width) + " " + num(total) + "\" role=\"img\">" +
         energy_panel(energy, top) + force_panel(force, gtol, bottom) + "</svg>";
}

} // namespace tools
