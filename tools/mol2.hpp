// Tripos MOL2 files: one or many molecules, each from its @<TRIPOS>MOLECULE line to the next.
// A molecule's text is kept as read, so that a result can be written back with the original
// atoms, types, bonds and other sections and only the coordinates replaced.
#pragma once

#include <istream>
#include <string>
#include <vector>

#include "tools/molecule.hpp"

namespace tools {

struct Mol2Record {
  std::string name;               // the name line, trimmed
  int first_line = 0;             // file line number of @<TRIPOS>MOLECULE
  std::vector<std::string> lines; // from @<TRIPOS>MOLECULE up to the next molecule
};

// The molecules of a MOL2 text in file order; lines before the first molecule are skipped.
std::vector<Mol2Record> split_mol2(std::string_view text);

// The molecule of a record. Types the force field lacks take the nearest type and add a line
// to notes; "nc" bonds are left out and dummy or unknown bonds taken as single, also noted.
// ToolError ("line N: ...") for a record that cannot be read.
Molecule parse_mol2(const Mol2Record& record, std::vector<std::string>& notes);

// The record's text with the coordinates of its atom lines replaced (coordinates written with
// 10 decimals); ToolError when the atom count differs.
std::string mol2_with_coordinates(const Mol2Record& record, const std::vector<Vec3>& xyz);

// The record's text as read.
std::string mol2_text(const Mol2Record& record);

} // namespace tools
