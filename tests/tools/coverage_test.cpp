#include "tools/core/coverage.hpp"

#include <gtest/gtest.h>

namespace {

tools::Atom atom(const char* sybyl, int type) { return {"", sybyl, type, {0, 0, 0}}; }

// C.3-C.3-O.2-C.3 and a separate S-H: C.3-O.2 has no bond row, apex O.2 no bend block, the
// central pair C.3-O.2 no torsion row, and S.3-H takes the generic hydrogen row.
tools::Molecule unparameterised() {
  tools::Molecule m;
  m.atoms = {atom("C.3", 1), atom("C.3", 1),  atom("O.2", 9),
             atom("C.3", 1), atom("S.3", 10), atom("H", 13)};
  m.bonds = {{1, 2, 1}, {2, 3, 1}, {3, 4, 1}, {5, 6, 1}};
  return m;
}

tools::Molecule benzene() {
  tools::Molecule m;
  for (int k = 0; k < 6; ++k)
    m.atoms.push_back(atom("C.ar", 3));
  for (int k = 0; k < 6; ++k)
    m.atoms.push_back(atom("H", 13));
  for (int k = 1; k <= 6; ++k) {
    m.bonds.push_back({k, k % 6 + 1, 5});
    m.bonds.push_back({k, k + 6, 1});
  }
  return m;
}

TEST(Coverage, TermsWithoutParameterAreNamedByTheirTypes) {
  const tools::Coverage coverage = tools::parameter_coverage(unparameterised());
  EXPECT_FALSE(coverage.complete());
  EXPECT_EQ(coverage.summary(),
            "2 bonds have no parameter and are held at their input length: C.3-O.2 x2; "
            "1 bond to hydrogen has no parameter and takes the generic X-H row (1.008 A): H-S.3; "
            "1 bend has no parameter and is held at its input angle: C.3-O.2-C.3; "
            "1 torsion has no parameter and takes the default barrier (0.2 kcal/mol, "
            "threefold): C.3-C.3-O.2-C.3");
  EXPECT_EQ(coverage.column(), "bonds 3, bends 1, torsions 1");
}

TEST(Coverage, BenzeneIsCovered) {
  const tools::Coverage coverage = tools::parameter_coverage(benzene());
  EXPECT_TRUE(coverage.complete());
  EXPECT_EQ(coverage.summary(), "");
  EXPECT_EQ(coverage.column(), "none");
}

} // namespace
