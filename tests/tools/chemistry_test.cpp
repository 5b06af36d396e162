#include "tools/formats/chemistry_reader.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

#include "support/scratch_folder.hpp"
#include "tools/core/tool_error.hpp"

namespace {

namespace fs = std::filesystem;
using tools::ReadMolecule;

const fs::path examples = EXAMPLES_DIR;

// A file of the given text in a folder of its own, removed with the fixture.
class ChemistryFile : public ::testing::Test {
protected:
  fs::path write(const std::string& name, std::string_view text) {
    const fs::path file = scratch_.path() / name;
    std::ofstream(file, std::ios::binary) << text;
    return file;
  }
  std::vector<ReadMolecule> read(const std::string& name, std::string_view text,
                                 const tools::ReadOptions& options = {}) {
    return tools::read_molecules(write(name, text), options);
  }

private:
  support::ScratchFolder scratch_{"chemistry_test"};
};

std::vector<std::string> sybyl_types(const tools::Molecule& molecule) {
  std::vector<std::string> types;
  for (const tools::Atom& atom : molecule.atoms)
    types.push_back(atom.sybyl_type);
  return types;
}

std::vector<std::array<int, 3>> bonds(const tools::Molecule& molecule) {
  std::vector<std::array<int, 3>> out;
  for (const tools::Bond& bond : molecule.bonds)
    out.push_back({bond.i, bond.j, bond.code});
  return out;
}

// The bundled molecules converted by obabel: XYZ has no bonds and PDB no names, yet every
// format gives the MOL2's types, bonds and bond codes (amide and aromatic included); no
// molecule of the set needs an exception.
TEST(ChemistryFormats, EveryFormatGivesTheTypesAndBondsOfTheMol2) {
  const auto mol2 = tools::read_molecules(examples / "molecules.mol2", {});
  ASSERT_EQ(mol2.size(), 12u);
  for (const char* format : {"sdf", "pdb", "xyz"}) {
    const auto other = tools::read_molecules(examples / ("molecules." + std::string(format)), {});
    ASSERT_EQ(other.size(), mol2.size()) << format;
    for (std::size_t k = 0; k < mol2.size(); ++k) {
      const std::string what = std::string(format) + " " + mol2[k].name;
      ASSERT_TRUE(other[k].error.empty()) << what << ": " << other[k].error;
      EXPECT_EQ(sybyl_types(other[k].molecule), sybyl_types(mol2[k].molecule)) << what;
      EXPECT_EQ(bonds(other[k].molecule), bonds(mol2[k].molecule)) << what;
      EXPECT_EQ(other[k].notes.column(), format == std::string("xyz") ? "bonds perceived" : "none")
          << what;
      EXPECT_NEAR(other[k].molecule.atoms.back().xyz[2], mol2[k].molecule.atoms.back().xyz[2], 1e-3)
          << what;
    }
  }
  EXPECT_EQ(mol2[5].name, "N-methylacetamide");
  EXPECT_EQ(tools::read_molecules(examples / "molecules.pdb", {})[5].name, "molecules");
  EXPECT_EQ(bonds(mol2[5].molecule)[1], (std::array<int, 3>{1, 3, 4})); // the amide C-N
  EXPECT_EQ(mol2[5].molecule.atoms[2].ff_type, 28);                     // N.am
  EXPECT_EQ(bonds(mol2[3].molecule)[0], (std::array<int, 3>{1, 2, 5})); // benzene
  EXPECT_EQ(mol2[0].notes.column(), "none");
}

std::string example_text(const std::string& name) {
  std::ifstream in(examples / name);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Kekule bonds between aromatic atoms are aromatic (code 5), whatever the file wrote.
TEST_F(ChemistryFile, KekuleRingsAreAromatic) {
  const std::string all = example_text("molecules.mol2");
  const std::size_t from = all.find("@<TRIPOS>MOLECULE\nbenzene");
  std::string benzene = all.substr(from, all.find("@<TRIPOS>MOLECULE", from + 1) - from);
  int written = 0;
  for (std::size_t at = benzene.find(" ar\n"); at != std::string::npos;
       at = benzene.find(" ar\n", at))
    benzene.replace(at, 3, written++ % 2 == 0 ? " 2" : " 1");
  ASSERT_EQ(written, 6);
  tools::ReadOptions retype;
  retype.perception.retype = true;
  for (const tools::ReadOptions& options : {tools::ReadOptions{}, retype}) {
    const auto read = this->read("kekule.mol2", benzene, options);
    ASSERT_TRUE(read.at(0).error.empty()) << read[0].error;
    int aromatic = 0;
    for (const tools::Bond& bond : read[0].molecule.bonds)
      aromatic += bond.code == 5 ? 1 : 0;
    EXPECT_EQ(aromatic, 6);
    EXPECT_EQ(read[0].molecule.atoms[0].sybyl_type, "C.ar");
  }
}

// Acetic acid without its O-H hydrogen: skipped with the atom named, or completed on request.
TEST_F(ChemistryFile, MissingHydrogensOnAnyElementAreFound) {
  const std::string xyz = "7\nacid\nC 0 0 0\nO 0 0 1.214\nO 1.1567 0 -0.7228\nC -1.2135 0 "
                          "-0.8817\nH -2.1118 0 -0.2643\nH -1.2059 0.8898 -1.5112\n"
                          "H -1.2059 -0.8898 -1.5112\n";
  const auto skipped = read("acid.xyz", xyz);
  EXPECT_NE(skipped.at(0).error.find("hydrogens missing: atom "), std::string::npos)
      << skipped[0].error;
  tools::ReadOptions add;
  add.perception.add_hydrogens = true;
  const auto added = read("acid.xyz", xyz, add);
  ASSERT_TRUE(added.at(0).error.empty()) << added[0].error;
  EXPECT_EQ(added[0].molecule.atoms.size(), 8u);
  EXPECT_EQ(sybyl_types(added[0].molecule),
            (std::vector<std::string>{"C.2", "O.3", "O.2", "C.3", "H", "H", "H", "H"}));
  EXPECT_EQ(added[0].notes.lines.back(), "hydrogens added: 1");
  EXPECT_EQ(added[0].notes.column(), "bonds perceived, hydrogens added");
}

// MOL2 types stay as written, noted where Open Babel's typer disagrees, unless retyped; a type
// without its own number takes the nearest, noted.
TEST_F(ChemistryFile, WrittenTypesAreKeptUnlessRetyped) {
  const std::string text = "@<TRIPOS>MOLECULE\nmethanol\n6 5\nSMALL\nNO_CHARGES\n@<TRIPOS>ATOM\n"
                           "1 C -0.0464 0.6618 0 C.3\n2 O -0.0464 -0.7581 0 O.2\n"
                           "3 H -1.0736 1.0250 0 H\n4 H 0.4672 1.0250 0.8898 H\n"
                           "5 H 0.4672 1.0250 -0.8898 H\n6 H 0.8655 -1.0850 0 H\n"
                           "@<TRIPOS>BOND\n1 1 2 1\n2 1 3 1\n3 1 4 1\n4 1 5 1\n5 2 6 1\n";
  const auto kept = read("methanol.mol2", text);
  EXPECT_EQ(kept.at(0).molecule.atoms[1].sybyl_type, "O.2");
  ASSERT_EQ(kept[0].notes.tags, (std::vector<std::string>{"file types kept"}));
  EXPECT_NE(kept[0].notes.lines[0].find(
                "typer differs (--retype takes the typer's): atom 2 O.2 (typer: O.3)"),
            std::string::npos);
  tools::ReadOptions retype;
  retype.perception.retype = true;
  const auto retyped = read("methanol.mol2", text, retype);
  EXPECT_EQ(retyped.at(0).molecule.atoms[1].sybyl_type, "O.3");
  EXPECT_EQ(retyped[0].molecule.atoms[1].ff_type, 8);
  EXPECT_EQ(retyped[0].notes.column(), "none");

  const auto acetate = tools::read_smiles("CC(=O)[O-]", "acetate", {});
  EXPECT_EQ(acetate.molecule.atoms[2].sybyl_type, "O.co2");
  EXPECT_EQ(acetate.molecule.atoms[2].ff_type, 9);
  EXPECT_EQ(acetate.notes.lines.back(), "O.co2 takes O.2 (9) (2 times)");
  EXPECT_EQ(acetate.notes.column(), "hydrogens added, 3D built, nearest types");
}

TEST(Smiles, HydrogensAndCoordinatesAreBuilt) {
  const auto acid = tools::read_smiles("CC(=O)O", "acetic acid", {});
  ASSERT_TRUE(acid.error.empty()) << acid.error;
  EXPECT_NE(acid.mol2.find("@<TRIPOS>MOLECULE\nacetic acid\n"), std::string::npos);
  EXPECT_EQ(sybyl_types(acid.molecule),
            (std::vector<std::string>{"C.3", "C.2", "O.2", "O.3", "H", "H", "H", "H"}));
  const auto acid_bonds = bonds(acid.molecule);
  EXPECT_NE(std::find(acid_bonds.begin(), acid_bonds.end(), std::array<int, 3>{2, 3, 2}),
            acid_bonds.end());
  // Built in 3D: the C=O bond has a real length (distance geometry puts it near; kelma makes it
  // right).
  const auto& a = acid.molecule.atoms;
  const double dx = a[1].xyz[0] - a[2].xyz[0], dy = a[1].xyz[1] - a[2].xyz[1],
               dz = a[1].xyz[2] - a[2].xyz[2];
  EXPECT_NEAR(std::sqrt(dx * dx + dy * dy + dz * dz), 1.21, 0.1);
  ASSERT_EQ(acid.notes.lines.size(), 2u);
  EXPECT_EQ(acid.notes.lines[0], "hydrogens added: 4");
  EXPECT_TRUE(acid.notes.lines[1].starts_with("3D coordinates built by RDKit "))
      << acid.notes.lines[1];
  EXPECT_TRUE(acid.notes.lines[1].ends_with(" ETKDGv3, seed 42")) << acid.notes.lines[1];
  EXPECT_EQ(acid.molecule.start,
            acid.notes.lines[1].substr(std::string("3D coordinates built by ").size()));
  EXPECT_EQ(tools::read_smiles("C1CC", "", {}).error, "SMILES: ring bond 1 is not closed");
}

// A damaged record is refused with its reason; the molecules before it are whole.
TEST_F(ChemistryFile, DamagedFilesAreReportedNotHalfRead) {
  const std::string text = example_text("molecules.sdf");
  const auto truncated = read("cut.sdf", text.substr(0, text.find("acetone") + 200));
  ASSERT_EQ(truncated.size(), 2u);
  EXPECT_TRUE(truncated[0].error.empty());
  EXPECT_EQ(truncated[1].error, "truncated: the counts line gives 10 atoms and 9 bonds");
  EXPECT_THROW(read("empty.sdf", ""), tools::ToolError);
  EXPECT_THROW(read("molecule.unknown", "1\nH\nH 0 0 0\n"), tools::ToolError);
  std::ifstream executable("/proc/self/exe", std::ios::binary);
  std::string binary(300, '\0');
  executable.read(binary.data(), static_cast<std::streamsize>(binary.size()));
  EXPECT_TRUE(read("binary.sdf", binary).at(0).error.starts_with("line 1 holds the control byte"));
}

} // namespace
