#include "tools/formats/coordinates_build.hpp"

#include <gtest/gtest.h>

#include <GraphMol/GraphMol.h>
#include <openbabel/atom.h>
#include <openbabel/bond.h>
#include <openbabel/mol.h>
#include <openbabel/obconversion.h>
#include <openbabel/obiter.h>
#include <openbabel/stereo/stereo.h>

#include "tools/formats/rdkit_graph.hpp"
#include "tools/formats/stereo_check.hpp"

namespace {

using OpenBabel::OBMol;

// A molecule as perception has it before the build: read, hydrogens added.
OBMol read_molecule(const std::string& text, const char* format = "smi") {
  OpenBabel::OBConversion conversion;
  conversion.SetInFormat(format);
  OBMol mol;
  EXPECT_TRUE(conversion.ReadString(&mol, text)) << text;
  mol.AddHydrogens();
  return mol;
}

// Open Babel's canonical isomeric SMILES, with the stereochemistry read off the 3D coordinates
// when there are some: the same text for an input and its build means nothing was lost.
std::string canonical(OBMol mol) {
  if (mol.GetDimension() == 3)
    OpenBabel::StereoFrom3D(&mol, true);
  OpenBabel::OBConversion conversion;
  conversion.SetOutFormat("can");
  conversion.AddOption("n", OpenBabel::OBConversion::OUTOPTIONS); // no title
  return conversion.WriteString(&mol, true);
}

std::vector<double> coordinates(OBMol& mol) {
  std::vector<double> xyz;
  FOR_ATOMS_OF_MOL(atom, mol)
  for (const double c : {atom->x(), atom->y(), atom->z()})
    xyz.push_back(c);
  return xyz;
}

OBMol built(const std::string& smiles, tools::BuildSettings settings = {}) {
  OBMol mol = read_molecule(smiles);
  tools::build_coordinates(mol, settings);
  return mol;
}

// The graph RDKit builds from is Open Babel's, atom for atom: hypervalent and charged forms,
// hydrogens and Kekule rings included (RDKit calls the rings aromatic, as Open Babel does).
TEST(RdkitGraph, KeepsAtomOrderHydrogensChargesAndBondOrders) {
  for (const char* smiles : {"CC(=O)Nc1ccc(O)cc1", "C[N+](C)(C)CC(=O)[O-]", "O=N(=O)c1ccccc1",
                             "N#CC=C", "CS(=O)(=O)N"}) {
    OBMol mol = read_molecule(smiles);
    const auto graph = tools::rdkit_graph(mol);
    ASSERT_EQ(graph->getNumAtoms(), mol.NumAtoms()) << smiles;
    FOR_ATOMS_OF_MOL(atom, mol) {
      const RDKit::Atom& same = *graph->getAtomWithIdx(atom->GetIdx() - 1);
      EXPECT_EQ(same.getAtomicNum(), static_cast<int>(atom->GetAtomicNum())) << smiles;
      EXPECT_EQ(same.getFormalCharge(), atom->GetFormalCharge()) << smiles;
      EXPECT_EQ(same.getTotalNumHs(), 0u) << smiles; // every hydrogen is an atom
    }
    ASSERT_EQ(graph->getNumBonds(), mol.NumBonds()) << smiles;
    FOR_BONDS_OF_MOL(bond, mol) {
      const RDKit::Bond* same =
          graph->getBondBetweenAtoms(bond->GetBeginAtomIdx() - 1, bond->GetEndAtomIdx() - 1);
      ASSERT_NE(same, nullptr) << smiles;
      if (same->getBondType() == RDKit::Bond::AROMATIC)
        EXPECT_TRUE(bond->IsAromatic()) << smiles;
      else
        EXPECT_EQ(same->getBondTypeAsDouble(), bond->GetBondOrder()) << smiles;
    }
  }
}

TEST(CoordinatesBuild, TheSameMoleculeGetsTheSameStartAndTheSeedChangesIt) {
  const std::string smiles = "CC(=O)Nc1ccc(O)cc1";
  OBMol first = built(smiles);
  OBMol again = built(smiles);
  EXPECT_EQ(coordinates(first), coordinates(again));
  OBMol other_seed = built(smiles, {7, tools::default_build_seconds});
  EXPECT_NE(coordinates(first), coordinates(other_seed));
  EXPECT_EQ(first.GetDimension(), 3);
  EXPECT_EQ(first.NumAtoms(), 20u);
}

// Centres of both hands, a lone pair as the fourth group, double bonds in and out of a chain,
// a ring's cis and trans; from SMILES and from a 2D drawing with a wedge.
TEST(CoordinatesBuild, KeepsTheStereochemistryGiven) {
  for (const char* smiles :
       {"F[C@H](Cl)Br", "F[C@@H](Cl)Br", "C[S@@](=O)CC", "C[S@](=O)CC", "F/C=C/F", "F/C=C\\F",
        "C/C=C/C=C\\C", "C/C(F)=N/O", "C[C@H]1CC[C@@H](O)CC1", "C[C@H]1CC[C@H](O)CC1",
        "N[C@@H](Cc1ccccc1)C(=O)O"}) {
    OBMol mol = read_molecule(smiles);
    const std::string given = canonical(mol);
    EXPECT_TRUE(
        tools::stereo_broken_by(mol, [](OBMol& m) { tools::build_coordinates(m, {}); }).empty())
        << smiles;
    EXPECT_EQ(canonical(mol), given) << smiles;
  }
  // (R)-CHFClBr drawn in 2D, the hydrogen on a hashed bond.
  const std::string drawing = "\n  2D\n\n"
                              "  5  4  0  0  0  0  0  0  0  0999 V2000\n"
                              "    0.0000    0.0000    0.0000 C   0  0\n"
                              "    1.0000    0.0000    0.0000 F   0  0\n"
                              "   -0.5000    0.8660    0.0000 Cl  0  0\n"
                              "   -0.5000   -0.8660    0.0000 Br  0  0\n"
                              "    0.0000    0.0000    0.0000 H   0  0\n"
                              "  1  2  1  0\n  1  3  1  0\n  1  4  1  0\n  1  5  1  6\n"
                              "M  END\n";
  OBMol mol = read_molecule(drawing, "mol");
  const std::string given = canonical(mol);
  ASSERT_NE(given.find('@'), std::string::npos);
  tools::build_coordinates(mol, {});
  EXPECT_EQ(canonical(mol), given);
}

// Coordinates that invert a centre or turn a double bond are caught, and named.
TEST(StereoCheck, AMirrorImageAndATurnedDoubleBondAreCaught) {
  OBMol centre = read_molecule("F[C@H](Cl)Br");
  const auto mirrored = tools::stereo_broken_by(centre, [](OBMol& m) {
    tools::build_coordinates(m, {});
    FOR_ATOMS_OF_MOL(atom, m)
    atom->SetVector(-atom->x(), atom->y(), atom->z());
  });
  EXPECT_EQ(mirrored, std::vector<std::string>{"atom 2 inverted"});
  // F/C=C/F: atoms F1 C2 C3 F4, then the hydrogens H5 on C2 and H6 on C3.
  OBMol trans = read_molecule("F/C=C/F");
  const auto turned = tools::stereo_broken_by(trans, [](OBMol& m) {
    tools::build_coordinates(m, {});
    const OpenBabel::vector3 fluorine = m.GetAtom(1)->GetVector();
    m.GetAtom(1)->SetVector(m.GetAtom(5)->GetVector());
    m.GetAtom(5)->SetVector(fluorine);
  });
  EXPECT_EQ(turned, std::vector<std::string>{"double bond 2=3 turned"});
}

} // namespace
