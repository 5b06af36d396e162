// The result records of the two programs, written by them and read back by the tools from the
// files of earlier runs:
//   kelma's cycle record     "**  " I4 "  Energy:" F16.9 "   RMSG:" F8.5
//   the geometry record      a mark, then x, y, z in Angstrom, 3F16.10 ('@' after each accepted
//                            cycle, '!' for kelma's converged and symmetry's symmetrised atoms)
//   the point-group record   "*Point Group: " A4 "        Degrees of freedom: " I3
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "common/vectors.hpp"

namespace common {

inline constexpr char cycle_geometry_mark = '@';
inline constexpr char final_geometry_mark = '!';
inline constexpr std::string_view cycle_mark = "**  ";
inline constexpr std::string_view point_group_mark = "*Point Group: ";

// kelma's cycle record: energy in hartree, RMS force in hartree/bohr.
std::string cycle_record(int cycle, double energy, double rmsg);

// Appends the geometry record of every atom of xyz (x, y, z per atom), each with its line end.
void append_geometry_records(std::string& out, char mark, std::span<const double> xyz);

// symmetry's point-group record of a 4-character label.
std::string point_group_record(std::string_view label, int degrees);

// A cycle record read back: the figures as the record prints them.
struct CycleRecordText {
  int cycle = 0;
  std::string energy;
  std::string rms;
};

// The cycle record of a line that starts with cycle_mark; nothing when it is damaged.
std::optional<CycleRecordText> read_cycle_record(std::string_view line);

// The coordinates of a geometry record (any mark); nothing when a field is missing or cannot be
// read (asterisks: a coordinate too wide for its field).
std::optional<Vec3> read_geometry_record(std::string_view line);

// A point-group record read back: the label and the degrees of freedom, trimmed.
struct PointGroupRecordText {
  std::string label;
  std::string degrees;
};

// The point-group record of a line that starts with point_group_mark.
PointGroupRecordText read_point_group_record(std::string_view line);

} // namespace common
