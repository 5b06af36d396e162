// ffreport's reading of a batch: the atoms of SDF records.
#include <gtest/gtest.h>

#include <cstdio>

#include "tools/report/sdf_atoms.hpp"

namespace {

struct Atom {
  const char* symbol;
  double x, y, z;
};

const std::vector<Atom> water{
    {"O", 0.0, 0.0, 0.1173}, {"H", 0.0, 0.7572, -0.4692}, {"H", 0.0, -0.7572, -0.4692}};

// A V2000 record as Open Babel writes one, bonds left out.
std::string v2000(const std::string& title, const std::vector<Atom>& atoms) {
  std::string text = title + "\n OpenBabel\n\n";
  char line[96];
  std::snprintf(line, sizeof line, "%3zu  0  0  0  0  0  0  0  0  0999 V2000\n", atoms.size());
  text += line;
  for (const Atom& a : atoms) {
    std::snprintf(line, sizeof line, "%10.4f%10.4f%10.4f %-3s 0  0  0  0  0  0  0  0  0  0  0  0\n",
                  a.x, a.y, a.z, a.symbol);
    text += line;
  }
  return text + "M  END\n$$$$\n";
}

TEST(SdfAtoms, BothConnectionTablesAndADamagedRecordBetweenThem) {
  const std::string v3000 = "big\n OpenBabel\n\n  0  0  0     0  0            999 V3000\n"
                            "M  V30 BEGIN CTAB\nM  V30 COUNTS 2 1 0 0 0\nM  V30 BEGIN ATOM\n"
                            "M  V30 1 Cl 1.5 -2.25 0 0\nM  V30 2 C 0 0 0 0\nM  V30 END ATOM\n"
                            "M  V30 END CTAB\nM  END\n$$$$\n";
  const std::string damaged = "bad\n\n\n  1  0  0  0  0  0  0  0  0  0999 V2000\n"
                              "    0.0000    x.0000    0.0000 O   0\n";
  // The last record lacks its "$$$$" line, as a file cut short would.
  std::string last = v2000("last", water);
  last.resize(last.size() - 5);
  const auto records =
      tools::read_sdf_atoms(v2000("water", water) + v3000 + damaged + "$$$$\n" + last);
  ASSERT_EQ(records.size(), 4u);
  EXPECT_EQ(records[0].title, "water");
  EXPECT_EQ(records[0].symbols, (std::vector<std::string>{"O", "H", "H"}));
  EXPECT_DOUBLE_EQ(records[0].positions[1][1], 0.7572);
  EXPECT_EQ(records[1].symbols, (std::vector<std::string>{"Cl", "C"}));
  EXPECT_DOUBLE_EQ(records[1].positions[0][1], -2.25);
  EXPECT_EQ(records[2].error, "atom 1 cannot be read");
  EXPECT_TRUE(records[2].positions.empty());
  EXPECT_EQ(records[3].positions.size(), 3u);
}

} // namespace
