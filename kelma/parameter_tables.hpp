// The built-in Tripos 5.2 tables: per-type van der Waals values, bond-stretch rows, angle-bend
// rows with the index of their apex blocks, and torsion rows. Types and rows are numbered from 1.
#pragma once

#include <array>

namespace kelma {

inline constexpr int type_count = 32;
inline constexpr int bond_rows = 150;
inline constexpr int angle_rows = 202;
inline constexpr int torsion_rows = 76;

// The radius is kept in single precision, as published; it is used widened to double.
struct TypeRow {
  float radius;
  double well_depth;
};

struct BondRow {
  int type1, type2, code;
  double r0, k;
};

struct AngleRow {
  int end1, apex, end2;
  double theta0, k;
};

// The block of one apex type: its first row and its number of rows (0: no block).
struct AngleBlock {
  int first, count;
};

struct TorsionRow {
  int a, b, c, d, code;
  double v;
  int n;
};

// The torsion table is searched in three sections: rows 1-13 give all four types, rows 14-20
// one end type and rows 21-76 only the central pair.
inline constexpr int last_exact_torsion_row = 13;
inline constexpr int last_one_end_torsion_row = 20;

extern const std::array<TypeRow, type_count> type_table;
extern const std::array<BondRow, bond_rows> bond_table;
extern const std::array<AngleRow, angle_rows> angle_table;
extern const std::array<AngleBlock, type_count> angle_index;
extern const std::array<TorsionRow, torsion_rows> torsion_table;

// 1-based access, as the published tables are numbered.
inline const TypeRow& type_row(int type) { return type_table[type - 1]; }
inline const BondRow& bond_row(int row) { return bond_table[row - 1]; }
inline const AngleRow& angle_row(int row) { return angle_table[row - 1]; }
inline const AngleBlock& angle_block(int apex_type) { return angle_index[apex_type - 1]; }
inline const TorsionRow& torsion_row(int row) { return torsion_table[row - 1]; }

} // namespace kelma
