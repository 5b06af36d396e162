#include "tools/report/summary_plot.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

#include "tools/core/field_text.hpp"
#include "tools/report/markup.hpp"

namespace tools {

namespace {

constexpr double chart_width = 280.0;
constexpr double title_height = 16.0;
constexpr double bar_row = 16.0;     // a bar's row in a bar chart
constexpr double bar_gap = 4.0;      // between the bars of two rows
constexpr double label_width = 90.0; // the bar labels, left of the bars
constexpr double count_width = 50.0; // the counts, right of the bars
constexpr double plot_height = 80.0; // of a histogram's bins
constexpr double axis_height = 14.0; // the range labels below them
constexpr double text_offset = 4.0;  // between a text and what it labels
constexpr int coordinate_decimals = 1;
constexpr int label_digits = 3; // significant digits of a histogram's range labels
const std::string others = "others";

std::string num(double v) { return fixed_decimals(v, coordinate_decimals); }

// value with label_digits significant digits ("0.00157", "15.7", "1.57e+03").
std::string figure(double value) {
  std::array<char, 32> text{};
  const auto end = std::to_chars(text.data(), text.data() + text.size(), value,
                                 std::chars_format::general, label_digits);
  return std::string(text.data(), end.ptr);
}

std::string text_at(double x, double y, std::string_view text, std::string_view anchor = "start") {
  return concat({"<text x=\"", num(x), "\" y=\"", num(y), "\" text-anchor=\"", anchor, "\">",
                 html_escape(text), "</text>"});
}

std::string rect(double x, double y, double width, double height, std::string_view tip) {
  return concat({"<rect x=\"", num(x), "\" y=\"", num(y), "\" width=\"", num(width), "\" height=\"",
                 num(height), "\"><title>", html_escape(tip), "</title></rect>"});
}

std::string svg(double height, std::string_view title, std::string_view body) {
  const std::string h = num(height);
  return concat({"<svg class=\"chart\" width=\"", num(chart_width), "\" height=\"", h,
                 "\" viewBox=\"0 0 ", num(chart_width), " ", h, "\" role=\"img\">",
                 text_at(0.0, title_height - text_offset, title), body, "</svg>"});
}

std::vector<Bar> fitted(std::vector<Bar> bars) {
  if (bars.size() <= max_bars)
    return bars;
  Bar rest{others, 0};
  for (std::size_t k = max_bars - 1; k < bars.size(); ++k)
    rest.count += bars[k].count;
  bars.resize(max_bars - 1);
  bars.push_back(rest);
  return bars;
}

// The bin of each value, the lower and upper end of the bins' range.
struct Bins {
  std::vector<std::size_t> counts;
  double low = 0.0, high = 0.0;
  bool cut_low = false, cut_high = false; // values beyond the range are counted in the end bin
};

Bins binned(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const auto at = [&values](double share) {
    return values[static_cast<std::size_t>(
        std::round(share * static_cast<double>(values.size() - 1)))];
  };
  Bins bins;
  bins.low = at(histogram_tail);
  bins.high = at(1.0 - histogram_tail);
  if (bins.high <= bins.low) { // most values alike: the whole range, else the few others vanish
    bins.low = values.front();
    bins.high = values.back();
  }
  bins.cut_low = values.front() < bins.low;
  bins.cut_high = values.back() > bins.high;
  bins.counts.assign(bins.high > bins.low ? histogram_bins : 1, 0);
  const double width = (bins.high - bins.low) / static_cast<double>(bins.counts.size());
  for (const double v : values) {
    const double place = width > 0.0 ? std::floor((v - bins.low) / width) : 0.0;
    const double last = static_cast<double>(bins.counts.size() - 1);
    ++bins.counts[static_cast<std::size_t>(std::clamp(place, 0.0, last))];
  }
  return bins;
}

} // namespace

std::string bar_chart(std::string_view title, std::vector<Bar> bars) {
  bars = fitted(std::move(bars));
  std::size_t largest = 1;
  for (const Bar& bar : bars)
    largest = std::max(largest, bar.count);
  const double room = chart_width - label_width - count_width;
  std::string body;
  for (std::size_t k = 0; k < bars.size(); ++k) {
    const double top = title_height + static_cast<double>(k) * bar_row;
    const double width = room * static_cast<double>(bars[k].count) / static_cast<double>(largest);
    const std::string count = std::to_string(bars[k].count);
    body += text_at(label_width - text_offset, top + bar_row - bar_gap, bars[k].label, "end") +
            rect(label_width, top, width, bar_row - bar_gap, bars[k].label + ": " + count) +
            text_at(label_width + width + text_offset, top + bar_row - bar_gap, count);
  }
  return svg(title_height + static_cast<double>(bars.size()) * bar_row + bar_gap, title, body);
}

std::string histogram(std::string_view title, std::vector<double> values) {
  std::erase_if(values, [](double v) { return std::isnan(v); });
  if (values.empty())
    return svg(title_height + axis_height, title, text_at(0.0, title_height + axis_height, "none"));
  const Bins bins = binned(std::move(values));
  const std::size_t tallest = *std::max_element(bins.counts.begin(), bins.counts.end());
  const double width = chart_width / static_cast<double>(bins.counts.size());
  const double step = (bins.high - bins.low) / static_cast<double>(bins.counts.size());
  const std::size_t last = bins.counts.size() - 1;
  std::string body;
  for (std::size_t k = 0; k <= last; ++k) {
    const double height =
        plot_height * static_cast<double>(bins.counts[k]) / static_cast<double>(tallest);
    const double from = bins.low + step * static_cast<double>(k);
    const std::string range = k == 0 && bins.cut_low ? "up to " + figure(from + step)
                              : k == last && bins.cut_high
                                  ? "from " + figure(from) + " on"
                                  : "from " + figure(from) + " to " + figure(from + step);
    body += rect(width * static_cast<double>(k), title_height + plot_height - height, width, height,
                 range + ": " + std::to_string(bins.counts[k]));
  }
  const double base = title_height + plot_height + axis_height;
  body += text_at(0.0, base, (bins.cut_low ? "\u2264 " : "") + figure(bins.low)) +
          text_at(chart_width, base, (bins.cut_high ? "\u2265 " : "") + figure(bins.high), "end") +
          text_at(chart_width, title_height - text_offset, "tallest bin " + std::to_string(tallest),
                  "end");
  return svg(base + text_offset, title, body);
}

} // namespace tools
