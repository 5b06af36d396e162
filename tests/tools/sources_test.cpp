#include "tools/sources.hpp"

#include <gtest/gtest.h>

#include "tools/text.hpp"
#include "tools/xyz.hpp"

namespace {

TEST(Xyz, FramesWithNamesAndElementTypes) {
  const auto frames = tools::read_xyz("3\nwater\nO 0 0 0.1\nh 0.76 0 -0.47\nH -0.76 0 -0.47\n"
                                      "2\nbroken\nC 0 0 0\n");
  ASSERT_EQ(frames.size(), 2u);
  EXPECT_TRUE(frames[0].error.empty());
  EXPECT_EQ(frames[0].molecule.name, "water");
  EXPECT_EQ(frames[0].molecule.atoms[1].element, "H");
  EXPECT_EQ(frames[0].molecule.atoms[0].ff_type, 8);
  EXPECT_FALSE(frames[0].molecule.has_bonds);
  EXPECT_EQ(frames[1].error, "the file ends inside the frame");
  EXPECT_EQ(tools::read_xyz("3\nw\nO 0 0 x\nH 0 0 0\nH 1 0 0\n")[0].error,
            "line 3: unreadable atom line");
}

TEST(Xyz, WrittenFramesReadBack) {
  const std::string text = tools::xyz_text("w", {"O", "Cl"}, {{0, 0, 0.5}, {1, 2, 3}});
  EXPECT_EQ(text, "2\nw\nO     0.0000000000    0.0000000000    0.5000000000\n"
                  "Cl    1.0000000000    2.0000000000    3.0000000000\n");
  EXPECT_EQ(tools::read_xyz(text)[0].molecule.atoms[1].xyz[2], 3.0);
}

TEST(KeywordInputReading, CountAndElements) {
  const std::string input = "# x\n$natoms 2\n$coordinates\n"
                            "    0.0000000000    0.0000000000    0.0000000000     Cl 15\n"
                            "    0.0000000000    0.0000000000    1.0000000000     H  13\n";
  EXPECT_EQ(tools::natoms_of(input), 2);
  EXPECT_EQ(tools::input_elements(input), (std::vector<std::string>{"Cl", "H"}));
  EXPECT_EQ(tools::natoms_of("$natomsx\n"), -1);
  EXPECT_THROW(tools::input_elements("$natoms 3\n$coordinates\n"), tools::ToolError);
}

TEST(Names, StemsAreSafeAndUnique) {
  std::vector<tools::Prepared> molecules(5);
  molecules[0].name = "ethanol";
  molecules[1].name = "ethanol";
  molecules[2].name = "../etc/passwd";
  molecules[3].name = "";
  molecules[4].name = "status.tsv";
  EXPECT_EQ(tools::unique_stems(molecules, {"status.tsv"}),
            (std::vector<std::string>{"ethanol", "ethanol_2", "mol.._etc_passwd", "mol",
                                      "status.tsv_2"}));
}

TEST(Text, StrictNumbersAndShellWords) {
  double r = 0.0;
  int i = 0;
  EXPECT_TRUE(tools::parse_double("1.5e-3", r));
  EXPECT_EQ(r, 1.5e-3);
  EXPECT_FALSE(tools::parse_double("1.5x", r));
  EXPECT_FALSE(tools::parse_double("inf", r));
  EXPECT_FALSE(tools::parse_int("3000000000", i));
  EXPECT_EQ(tools::shell_quote("a b'c"), "'a b'\\''c'");
  EXPECT_EQ(tools::fixed(0.125, 2), "0.12");
}

} // namespace
