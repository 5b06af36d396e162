// A run's standard output (or kelma's "fort.9"): kelma's cycle records and geometries, or
// symmetry's point-group record and coordinates.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "kelma/result.hpp"
#include "tools/core/vec3.hpp"

namespace tools {

struct CycleRecord {
  int cycle = 0;
  std::string energy; // hartree, as printed
  std::string rms;    // hartree/bohr, as printed
};

struct RunOutput {
  std::vector<CycleRecord> cycles;  // each cycle once, in order
  std::vector<Vec3> last_geometry;  // the last "@" block
  std::vector<Vec3> final_geometry; // the "!" records
  std::string point_group;          // symmetry's label, trimmed; empty for kelma
  std::string degrees_of_freedom;   // as printed
};

// Reads the records; ToolError ("line N: ...") for a record that is damaged.
RunOutput parse_run_output(std::string_view text);

// What a kelma run's records show, read from its result instead of its records: the last two
// recorded cycles (all that a status line takes of them), the latest '@' geometry and, when it
// converged, the final one, with the figures rounded as the records print them. ToolError for a
// coordinate too wide for its record.
RunOutput recorded_output(const kelma::KelmaResult& result);

// The names of the data fields of a result molecule.
inline constexpr std::string_view energy_field = "energy_hartree";
inline constexpr std::string_view energy_kcal_field = "energy_kcal_per_mol";
inline constexpr std::string_view rms_force_field = "rms_force_hartree_per_bohr";
inline constexpr std::string_view cycles_field = "cycles";
inline constexpr std::string_view converged_field = "converged";
inline constexpr std::string_view point_group_field = "point_group";
// The words of the converged field.
inline constexpr std::string_view field_yes = "yes";
inline constexpr std::string_view field_no = "no";

// The figures of a kelma run as (name, value) data fields: the last cycle's energy in hartree
// and kcal/mol, its RMS force, the cycle count, whether it converged and, when not empty,
// symmetry's point group.
std::vector<std::pair<std::string, std::string>> result_fields(const RunOutput& run,
                                                               std::string_view point_group);

} // namespace tools
