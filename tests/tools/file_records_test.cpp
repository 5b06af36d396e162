#include "tools/formats/file_records.hpp"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "tools/formats/record_checks.hpp"
#include "tools/formats/smiles_check.hpp"

namespace {

using tools::RecordLayout;

std::vector<tools::FileRecord> records(const std::string& text, RecordLayout layout) {
  std::istringstream in(text);
  tools::RecordReader reader(in, layout);
  std::vector<tools::FileRecord> out;
  while (auto record = reader.next())
    out.push_back(*record);
  return out;
}

// An XYZ count that lies damages only its block: reading takes up again at the next count line,
// whether the block has too few lines or too many.
TEST(RecordReader, XyzBlocksResynchroniseAtTheNextCountLine) {
  const std::string water = "3\nwater\nO 0 0 0\nH 0.96 0 0\nH -0.24 0.93 0\n";
  const auto few = records(water + "4\nshort\nO 0 0 0\nH 1 0 0\n" + water, RecordLayout::xyz);
  ASSERT_EQ(few.size(), 3u);
  EXPECT_EQ(few[1].damage, "the count says 4 atoms; the block has 2");
  EXPECT_EQ(few[2].title, "water");
  EXPECT_EQ(few[2].first_line, 10);
  const auto many = records("1\nlong\nO 0 0 0\nH 1 0 0\n\n" + water, RecordLayout::xyz);
  ASSERT_EQ(many.size(), 2u);
  EXPECT_EQ(many[0].damage, "the count says 1 atoms; more lines follow");
  EXPECT_TRUE(many[1].damage.empty()) << many[1].damage;
}

// The first line of an SDF record is its title even when blank; blank lines after the last
// record are no record.
TEST(RecordReader, SdfRecordsStartRightAfterTheEndMark) {
  const std::string body = "  program\n\n  1  0  0  0  0  0  0  0  0  0999 V2000\n"
                           "    0.0000    0.0000    0.0000 C   0  0  0  0  0  0  0  0  0  0  0  0\n"
                           "M  END\n$$$$\n";
  const auto read = records("\n" + body + "methane\n" + body + "\n\n", RecordLayout::sdf);
  ASSERT_EQ(read.size(), 2u);
  EXPECT_EQ(read[0].title, "");
  EXPECT_EQ(read[0].first_line, 1);
  EXPECT_TRUE(read[0].damage.empty()) << read[0].damage;
  EXPECT_EQ(read[1].title, "methane");
  EXPECT_EQ(read[1].first_line, 8);
}

// PDB headers and trailers between models are no molecule; a named model without atoms is one.
TEST(RecordReader, PdbModelsAndTheLinesBetweenThem) {
  const std::string atom =
      "HETATM    1  O   HOH A   1       0.000   0.000   0.000  1.00  0.00           O  \n";
  const auto models = records("REMARK  one\nMODEL 1\n" + atom + "ENDMDL\nMODEL 2\nENDMDL\n" +
                                  "MASTER\nEND\nCOMPND    empty\nEND\n",
                              RecordLayout::pdb);
  ASSERT_EQ(models.size(), 3u);
  EXPECT_TRUE(models[0].damage.empty());
  EXPECT_EQ(models[1].damage, "the model has no ATOM or HETATM lines");
  EXPECT_EQ(models[2].index, 3);
}

// Lines are cut at the limit without reading them whole into the record, and numbered from 1.
TEST(RecordReader, OverlongLinesAndControlBytesDamageTheirRecord) {
  const std::string long_title(tools::RecordReader::max_line_length + 1, 'A');
  const auto smiles =
      records("CCO one\n" + long_title + "\nC\x01O two\nCC three\n", RecordLayout::smiles);
  ASSERT_EQ(smiles.size(), 4u);
  EXPECT_EQ(smiles[1].damage, "line 2 is longer than 16384 characters");
  EXPECT_LE(smiles[1].text.size(), tools::RecordReader::max_line_length + 1);
  EXPECT_EQ(smiles[2].damage, "line 3 holds the control byte 0x01 (binary data?)");
  EXPECT_EQ(smiles[3].title, "three");
}

// What a reader would guess at instead of refusing.
TEST(RecordChecks, RecordsThatDoNotHoldTogether) {
  const std::string head = "x\n  t\n\n  2  1  0  0  0  0  0  0  0  0999 V2000\n";
  const std::string h1 = "    0.0000    0.0000    0.0000 H   0  0\n";
  const std::string h2 = "    0.7400    0.0000    0.0000 H   0  0\n";
  const auto sdf = [&](const std::string& body) {
    return tools::record_damage(head + body, RecordLayout::sdf);
  };
  EXPECT_EQ(sdf(h1 + h2 + "  1  2  1\nM  END\n"), "");
  EXPECT_EQ(sdf(h1 + h2 + "  1  2  1\n"), "truncated: no 'M  END' line");
  EXPECT_EQ(sdf(h1 + "    1.2.3     0.0000    0.0000 H   0  0\n  1  2  1\nM  END\n"),
            "atom 2: unreadable coordinates '1.2.3', '0.0000', '0.0000'");
  EXPECT_EQ(sdf(h1 + h2 + "  1  1  1\nM  END\n"), "bond 1 joins atom 1 to itself");
  EXPECT_EQ(sdf(h1 + h2 + "  1  2  8\nM  END\n"), "bond 1: type 8 is no bond order (1 to 4)");
  EXPECT_EQ(tools::record_damage("@<TRIPOS>MOLECULE\nm\n-1 0\n", RecordLayout::mol2),
            "-1 atoms, the programs take 1 to 500");
  EXPECT_EQ(tools::record_damage("@<TRIPOS>MOLECULE\nm\n1 0\n@<TRIPOS>ATOM\n1 Q 0 0 0 Du\n",
                                 RecordLayout::mol2),
            "atom 1: type 'Du' names no element");
}

TEST(SmilesCheck, OnlySmilesThatMeanOneMolecule) {
  EXPECT_EQ(tools::smiles_damage("Cn1cnc2c1c(=O)n(C)c(=O)n2C caffeine"), "");
  EXPECT_EQ(tools::smiles_damage("[13CH3][NH3+].[Cl-] salt"), "");
  EXPECT_EQ(tools::smiles_damage("CC(C(C"), "SMILES: unbalanced parentheses");
  EXPECT_EQ(tools::smiles_damage("C%12CC"), "SMILES: ring bond 12 is not closed");
  EXPECT_EQ(tools::smiles_damage("[Xx]CC"), "SMILES '[Xx]CC': unknown element 'Xx'");
  EXPECT_EQ(tools::smiles_damage("C*C"), "SMILES 'C*C': a wildcard atom '*'");
  EXPECT_EQ(tools::smiles_damage(std::string(501, 'C')),
            "501 atoms before hydrogens, the programs take 1 to 500");
}

} // namespace
