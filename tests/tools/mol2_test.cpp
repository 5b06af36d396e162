#include "tools/mol2.hpp"

#include <gtest/gtest.h>

#include "tools/atom_types.hpp"

namespace {

using tools::Mol2Record;
using tools::ToolError;

// Two molecules: formaldehyde and a formamide with a cation carbon and an "nc" bond.
constexpr std::string_view two_molecules = R"(# comment before the first molecule
@<TRIPOS>MOLECULE
formaldehyde
 4 3 0 0 0
SMALL
NO_CHARGES

@<TRIPOS>ATOM
      1 C   0.0000 0.0000 0.0000 C.2 1 MOL 0.1
      2 O   0.0000 0.0000 1.2100 O.2 1 MOL -0.4
      3 H   0.9400 0.0000 -0.5400 H 1 MOL 0.1
      4 H  -0.9400 0.0000 -0.5400 H 1 MOL 0.1
@<TRIPOS>BOND
 1 1 2 2
 2 1 3 1
 3 1 4 1
@<TRIPOS>MOLECULE
odd one
 4 4
SMALL
USER_CHARGES
@<TRIPOS>ATOM
 10 C1 0 0 0 C.cat
 20 O1 0 0 1.2 O.co2
 30 H1 0.9 0 -0.5 H
 40 H2 -0.9 0 -0.5 H
@<TRIPOS>BOND
 1 10 20 2
 2 10 30 1
 3 10 40 1
 4 30 40 nc
)";

Mol2Record record_with(std::string_view atoms, std::string_view bonds, std::string_view counts) {
  const std::string text = "@<TRIPOS>MOLECULE\nm\n" + std::string(counts) +
                           "\nSMALL\nNO_CHARGES\n@<TRIPOS>ATOM\n" + std::string(atoms) +
                           "@<TRIPOS>BOND\n" + std::string(bonds);
  return tools::split_mol2(text).at(0);
}

std::string parse_error(const Mol2Record& record) {
  std::vector<std::string> notes;
  try {
    tools::parse_mol2(record, notes);
  } catch (const ToolError& e) {
    return e.what();
  }
  return "";
}

TEST(Mol2, SplitsMoleculesAndKeepsTheirLines) {
  const auto records = tools::split_mol2(two_molecules);
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].name, "formaldehyde");
  EXPECT_EQ(records[0].first_line, 2);
  EXPECT_EQ(records[1].name, "odd one");
  EXPECT_EQ(records[1].first_line, 17);
  EXPECT_EQ(records[1].lines.front(), "@<TRIPOS>MOLECULE");
}

TEST(Mol2, ReadsAtomsTypesAndBondCodes) {
  std::vector<std::string> notes;
  const auto molecule = tools::parse_mol2(tools::split_mol2(two_molecules)[0], notes);
  ASSERT_EQ(molecule.atoms.size(), 4u);
  EXPECT_EQ(molecule.atoms[0].ff_type, 2);
  EXPECT_EQ(molecule.atoms[1].element, "O");
  EXPECT_EQ(molecule.atoms[1].ff_type, 9);
  EXPECT_EQ(molecule.atoms[3].ff_type, 13);
  EXPECT_DOUBLE_EQ(molecule.atoms[2].xyz[2], -0.54);
  ASSERT_EQ(molecule.bonds.size(), 3u);
  EXPECT_EQ(molecule.bonds[0].code, 2);
  EXPECT_TRUE(notes.empty());
}

TEST(Mol2, NearestTypesAndDroppedBondsAreNotedAndAtomIdsMapped) {
  std::vector<std::string> notes;
  const auto molecule = tools::parse_mol2(tools::split_mol2(two_molecules)[1], notes);
  EXPECT_EQ(molecule.atoms[0].ff_type, 2); // C.cat as C.2
  EXPECT_EQ(molecule.atoms[1].ff_type, 9); // O.co2 as O.2
  ASSERT_EQ(molecule.bonds.size(), 3u);    // the nc bond is left out
  EXPECT_EQ(molecule.bonds[2].i, 1);
  EXPECT_EQ(molecule.bonds[2].j, 4);
  ASSERT_EQ(notes.size(), 3u);
  EXPECT_EQ(notes[0], "C.cat takes C.2 (2)");
}

TEST(Mol2, DamagedRecordsNameTheirLine) {
  const std::string bonds = " 1 1 2 1\n";
  EXPECT_EQ(parse_error(record_with(" 1 C 0 0 x C.3\n 2 H 0 0 1.1 H\n", bonds, "2 1")),
            "line 7: unreadable atom record");
  EXPECT_EQ(parse_error(record_with(" 1 C 0 0 0 C.3\n", bonds, "2 1")),
            "line 7: 1 atom records, the counts line says 2");
  EXPECT_EQ(parse_error(record_with(" 1 C 0 0 0 C.3\n 2 H 0 0 1.1 H\n", " 1 1 3 1\n", "2 1")),
            "line 10: bond to atom id 3, not in the molecule");
  EXPECT_EQ(parse_error(record_with(" 1 C 0 0 0 C.3\n 2 H 0 0 1.1 H\n", " 1 1 2 7\n", "2 1")),
            "line 10: unknown bond type '7'");
  EXPECT_EQ(parse_error(record_with(" 1 C 0 0 0 C.3\n 1 H 0 0 1.1 H\n", bonds, "2 1")),
            "line 8: atom id 1 appears twice");
  EXPECT_EQ(parse_error(record_with(" 1 C 0 0 0 C.3\n 2 H 0 0 1.1 H\n", bonds, "two")),
            "line 3: unreadable counts line");
}

TEST(Mol2, CoordinatesAreReplacedAndEverythingElseKept) {
  const Mol2Record record = tools::split_mol2(two_molecules)[0];
  const std::vector<tools::Vec3> xyz = {
      {0.5, 0, 0}, {0, 0, 1.2345678901}, {-1e-11, 0, 0}, {0, 0, 0}};
  const std::string text = tools::mol2_with_coordinates(record, xyz);
  const auto again = tools::split_mol2(text).at(0);
  ASSERT_EQ(again.lines.size(), record.lines.size());
  EXPECT_EQ(again.lines[7], "      1 C           0.5000000000    0.0000000000    0.0000000000 "
                            "C.2    1 MOL 0.1");
  for (std::size_t k = 0; k < record.lines.size(); ++k)
    EXPECT_TRUE((k >= 7 && k <= 10) || again.lines[k] == record.lines[k]) << k;
  std::vector<std::string> notes;
  const auto molecule = tools::parse_mol2(again, notes);
  EXPECT_DOUBLE_EQ(molecule.atoms[1].xyz[2], 1.2345678901);
  EXPECT_THROW(tools::mol2_with_coordinates(record, {xyz[0]}), ToolError);
}

} // namespace
