#include "tools/core/run_output.hpp"

#include "kelma/units.hpp"
#include "tools/core/files.hpp"

namespace tools {

namespace {

constexpr std::string_view cycle_mark = "**  ";
constexpr std::string_view energy_label = "Energy:";
constexpr std::string_view rms_label = "RMSG:";
constexpr std::string_view point_group_mark = "*Point Group: ";
constexpr std::string_view dof_label = "Degrees of freedom:";
constexpr std::size_t label_length = 4;
constexpr std::size_t coordinate_width = 16;
constexpr int kcal_decimals = 6;

[[noreturn]] void fail(std::size_t k, const std::string& what) {
  throw ToolError("line " + std::to_string(k + 1) + ": " + what);
}

// "**  " I4 "  Energy:" F16.9 "   RMSG:" F8.5
CycleRecord read_cycle(std::string_view line, std::size_t k) {
  const std::size_t energy_at = line.find(energy_label);
  const std::size_t rms_at = line.find(rms_label);
  if (energy_at == std::string_view::npos || rms_at == std::string_view::npos || rms_at < energy_at)
    fail(k, "damaged cycle record");
  CycleRecord record;
  if (!parse_int(trim(line.substr(cycle_mark.size(), energy_at - cycle_mark.size())), record.cycle))
    fail(k, "damaged cycle record");
  const std::size_t energy_from = energy_at + energy_label.size();
  record.energy = std::string(trim(line.substr(energy_from, rms_at - energy_from)));
  record.rms = std::string(trim(line.substr(rms_at + rms_label.size())));
  return record;
}

// "@" or "!" and 3F16.10; a field of asterisks (a coordinate too wide) cannot be read.
Vec3 read_coordinates(std::string_view line, std::size_t k) {
  Vec3 xyz{};
  for (std::size_t c = 0; c < 3; ++c) {
    const std::size_t from = 1 + c * coordinate_width;
    if (from >= line.size() || !parse_double(trim(line.substr(from, coordinate_width)), xyz[c]))
      fail(k, "unreadable coordinate record");
  }
  return xyz;
}

} // namespace

RunOutput parse_run_output(std::string_view text) {
  RunOutput out;
  bool in_block = false; // inside the "@" records that follow one cycle record
  const std::vector<std::string> lines = split_lines(text);
  for (std::size_t k = 0; k < lines.size(); ++k) {
    const std::string_view line = lines[k];
    if (line.starts_with(cycle_mark)) {
      const CycleRecord record = read_cycle(line, k);
      // At convergence the last cycle's record is written a second time.
      if (out.cycles.empty() || out.cycles.back().cycle != record.cycle)
        out.cycles.push_back(record);
      in_block = false;
    } else if (line.starts_with('@')) {
      if (!in_block)
        out.last_geometry.clear();
      in_block = true;
      out.last_geometry.push_back(read_coordinates(line, k));
    } else if (line.starts_with('!')) {
      out.final_geometry.push_back(read_coordinates(line, k));
    } else if (line.starts_with(point_group_mark)) {
      out.point_group = std::string(trim(line.substr(point_group_mark.size(), label_length)));
      const std::size_t dof_at = line.find(dof_label);
      if (dof_at != std::string_view::npos)
        out.degrees_of_freedom = std::string(trim(line.substr(dof_at + dof_label.size())));
    } else if (!trim(line).empty()) {
      fail(k, "not a result record");
    }
  }
  return out;
}

std::vector<std::pair<std::string, std::string>> result_fields(const RunOutput& run,
                                                               std::string_view point_group) {
  std::vector<std::pair<std::string, std::string>> fields;
  if (!run.cycles.empty()) {
    const CycleRecord& last = run.cycles.back();
    double hartree = 0.0;
    fields.emplace_back("energy_hartree", last.energy);
    if (parse_double(last.energy, hartree))
      fields.emplace_back("energy_kcal_per_mol",
                          fixed(hartree / kelma::hartree_per_kcal, kcal_decimals));
    fields.emplace_back("rms_force_hartree_per_bohr", last.rms);
    fields.emplace_back("cycles", std::to_string(last.cycle));
  }
  fields.emplace_back("converged", run.final_geometry.empty() ? "no" : "yes");
  if (!point_group.empty())
    fields.emplace_back("point_group", std::string(point_group));
  return fields;
}

} // namespace tools
