#include "tools/core/run_output.hpp"

#include "common/result_records.hpp"
#include "kelma/units.hpp"
#include "tools/core/field_text.hpp"
#include "tools/core/files.hpp"
#include "tools/core/tokens.hpp"
#include "tools/core/tool_error.hpp"
#include "tools/core/vec3.hpp"

namespace tools {

namespace {

constexpr int kcal_decimals = 6;

[[noreturn]] void fail(std::size_t k, const std::string& what) {
  throw ToolError("line " + std::to_string(k + 1) + ": " + what);
}

CycleRecord read_cycle(std::string_view line, std::size_t k) {
  const auto record = common::read_cycle_record(line);
  if (!record)
    fail(k, "damaged cycle record");
  return {record->cycle, record->energy, record->rms};
}

// A field of asterisks (a coordinate too wide) cannot be read.
Vec3 read_coordinates(std::string_view line, std::size_t k) {
  const auto xyz = common::read_geometry_record(line);
  if (!xyz)
    fail(k, "unreadable coordinate record");
  return *xyz;
}

// The coordinates of xyz as their geometry records print them.
std::vector<Vec3> as_recorded(const std::vector<double>& xyz) {
  std::string records;
  common::append_geometry_records(records, common::final_geometry_mark, xyz);
  std::vector<Vec3> atoms;
  for (const std::string& line : split_lines(records)) {
    const auto atom = common::read_geometry_record(line);
    if (!atom)
      throw ToolError("unreadable coordinate record");
    atoms.push_back(*atom);
  }
  return atoms;
}

// The last two recorded cycles as their records print them.
std::vector<CycleRecord> last_cycle_records(const std::vector<kelma::CycleFigures>& cycles) {
  constexpr std::size_t cycles_read = 2;
  std::vector<CycleRecord> records;
  for (auto cycle = cycles.rbegin(); cycle != cycles.rend() && records.size() < cycles_read;
       ++cycle) {
    if (!cycle->recorded)
      continue;
    const auto record = common::read_cycle_record(
        common::cycle_record(cycle->cycle, cycle->energy, cycle->rms_force));
    records.insert(records.begin(), {record->cycle, record->energy, record->rms});
  }
  return records;
}

} // namespace

RunOutput recorded_output(const kelma::KelmaResult& result) {
  RunOutput out;
  out.cycles = last_cycle_records(result.cycles);
  out.last_geometry = as_recorded(result.accepted_xyz);
  if (result.outcome == kelma::Outcome::converged)
    out.final_geometry = as_recorded(result.xyz);
  return out;
}

RunOutput parse_run_output(std::string_view text) {
  RunOutput out;
  bool in_block = false; // inside the "@" records that follow one cycle record
  const std::vector<std::string> lines = split_lines(text);
  for (std::size_t k = 0; k < lines.size(); ++k) {
    const std::string_view line = lines[k];
    if (line.starts_with(common::cycle_mark)) {
      const CycleRecord record = read_cycle(line, k);
      // At convergence the last cycle's record is written a second time.
      if (out.cycles.empty() || out.cycles.back().cycle != record.cycle)
        out.cycles.push_back(record);
      in_block = false;
    } else if (line.starts_with(common::cycle_geometry_mark)) {
      if (!in_block)
        out.last_geometry.clear();
      in_block = true;
      out.last_geometry.push_back(read_coordinates(line, k));
    } else if (line.starts_with(common::final_geometry_mark)) {
      out.final_geometry.push_back(read_coordinates(line, k));
    } else if (line.starts_with(common::point_group_mark)) {
      common::PointGroupRecordText record = common::read_point_group_record(line);
      out.point_group = std::move(record.label);
      out.degrees_of_freedom = std::move(record.degrees);
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
    fields.emplace_back(energy_field, last.energy);
    if (parse_double(last.energy, hartree))
      fields.emplace_back(energy_kcal_field,
                          fixed_decimals(hartree / kelma::hartree_per_kcal, kcal_decimals));
    fields.emplace_back(rms_force_field, last.rms);
    fields.emplace_back(cycles_field, std::to_string(last.cycle));
  }
  fields.emplace_back(converged_field, run.final_geometry.empty() ? field_no : field_yes);
  if (!point_group.empty())
    fields.emplace_back(point_group_field, std::string(point_group));
  return fields;
}

} // namespace tools
