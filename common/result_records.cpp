#include "common/result_records.hpp"

#include <charconv>
#include <cmath>
#include <cstddef>

#include "common/records.hpp"

namespace common {

namespace {

constexpr std::string_view energy_label = "  Energy:";
constexpr std::string_view rmsg_label = "   RMSG:";
constexpr std::string_view degrees_label = "        Degrees of freedom: ";
constexpr int cycle_width = 4;
constexpr int energy_width = 16;
constexpr int energy_decimals = 9;
constexpr int rmsg_width = 8;
constexpr int rmsg_decimals = 5;
constexpr int coordinate_width = 16;
constexpr int coordinate_decimals = 10;
constexpr int label_width = 4;
constexpr int degrees_width = 3;

std::string_view trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos)
    return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// A whole field as a number; the records write no plus sign and no blanks inside.
template <class Number> std::optional<Number> number_of(std::string_view field) {
  const std::string_view text = trimmed(field);
  Number value{};
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size())
    return std::nullopt;
  return value;
}

} // namespace

std::string cycle_record(int cycle, double energy, double rmsg) {
  return Record()
      .text(cycle_mark)
      .i(cycle, cycle_width)
      .text(energy_label)
      .f(energy, energy_width, energy_decimals)
      .text(rmsg_label)
      .f(rmsg, rmsg_width, rmsg_decimals)
      .str();
}

void append_geometry_records(std::string& out, char mark, std::span<const double> xyz) {
  for (std::size_t k = 0; k + 2 < xyz.size(); k += 3) {
    out += mark;
    for (std::size_t c = k; c < k + 3; ++c)
      append_f(out, xyz[c], coordinate_width, coordinate_decimals);
    out += '\n';
  }
}

std::string point_group_record(std::string_view label, int degrees) {
  return Record()
      .text(point_group_mark)
      .a(label, label_width)
      .text(degrees_label)
      .i(degrees, degrees_width)
      .str();
}

std::optional<CycleRecordText> read_cycle_record(std::string_view line) {
  const std::size_t energy_at = line.find(energy_label);
  const std::size_t rmsg_at = line.find(rmsg_label);
  if (!line.starts_with(cycle_mark) || energy_at == std::string_view::npos ||
      rmsg_at == std::string_view::npos || rmsg_at < energy_at)
    return std::nullopt;
  const auto cycle = number_of<int>(line.substr(cycle_mark.size(), energy_at - cycle_mark.size()));
  if (!cycle)
    return std::nullopt;
  const std::size_t energy_from = energy_at + energy_label.size();
  return CycleRecordText{*cycle,
                         std::string(trimmed(line.substr(energy_from, rmsg_at - energy_from))),
                         std::string(trimmed(line.substr(rmsg_at + rmsg_label.size())))};
}

std::optional<Vec3> read_geometry_record(std::string_view line) {
  Vec3 xyz{};
  for (std::size_t c = 0; c < 3; ++c) {
    const std::size_t from = 1 + c * coordinate_width;
    const auto value =
        from < line.size() ? number_of<double>(line.substr(from, coordinate_width)) : std::nullopt;
    if (!value || !std::isfinite(*value))
      return std::nullopt;
    xyz[c] = *value;
  }
  return xyz;
}

PointGroupRecordText read_point_group_record(std::string_view line) {
  PointGroupRecordText record;
  record.label = std::string(trimmed(line.substr(point_group_mark.size(), label_width)));
  const std::size_t degrees_at = line.find(trimmed(degrees_label));
  if (degrees_at != std::string_view::npos)
    record.degrees = std::string(trimmed(line.substr(degrees_at + trimmed(degrees_label).size())));
  return record;
}

} // namespace common
