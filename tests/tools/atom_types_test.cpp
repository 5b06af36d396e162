#include "tools/core/atom_types.hpp"

#include <gtest/gtest.h>

#include "tools/core/molecule.hpp"
#include "tools/core/tool_error.hpp"

namespace {

TEST(AtomTypes, EverySybylTypeHasItsNumber) {
  const char* const types[] = {"C.3", "C.2", "C.ar",  "C.1",  "N.3", "N.2",  "N.1", "O.3",
                               "O.2", "S.3", "N.ar",  "P.3",  "H",   "Br",   "Cl",  "F",
                               "I",   "S.2", "N.pl3", "LP",   "Na",  "K",    "Ca",  "Li",
                               "Al",  "Du",  "Si",    "N.am", "S.O", "S.O2", "N.4"};
  for (int k = 0; k < 31; ++k) {
    const auto match = tools::sybyl_type_number(types[k]);
    EXPECT_EQ(match.number, k + 1) << types[k];
    EXPECT_TRUE(match.exact) << types[k];
  }
}

TEST(AtomTypes, UnknownTypesTakeTheNearestOrOther) {
  EXPECT_EQ(tools::sybyl_type_number("S.o").number, 29);
  EXPECT_EQ(tools::sybyl_type_number("S.o").stands_in_for, "S.O");
  EXPECT_FALSE(tools::sybyl_type_number("S.o").exact);
  EXPECT_EQ(tools::sybyl_type_number("O.co2").number, 9);
  EXPECT_EQ(tools::sybyl_type_number("Se").number, 32);
  EXPECT_FALSE(tools::sybyl_type_number("Se").exact);
}

tools::Molecule methane(int hydrogens) {
  tools::Molecule m;
  m.atoms.push_back({"C", "C.3", 1, {0, 0, 0}});
  for (int k = 1; k <= hydrogens; ++k) {
    m.atoms.push_back({"H", "H", 13, {k * 1.0, 0, 0}});
    m.bonds.push_back({1, k + 1, 1});
  }
  return m;
}

TEST(MoleculeCheck, RejectsWhatTheProgramsCannotRun) {
  EXPECT_NO_THROW(tools::check_molecule(methane(4)));
  tools::Molecule far = methane(4);
  far.atoms[1].xyz[0] = 1.0e5;
  EXPECT_THROW(tools::check_molecule(far), tools::ToolError);
  tools::Molecule big;
  big.atoms.resize(501, {"H", "H", 13, {0, 0, 0}});
  EXPECT_THROW(tools::check_molecule(big), tools::ToolError);
  EXPECT_THROW(tools::check_molecule(tools::Molecule{}), tools::ToolError);
}

} // namespace
