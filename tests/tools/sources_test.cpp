#include "tools/formats/sources.hpp"

#include <gtest/gtest.h>

#include <fstream>

#include "support/scratch_folder.hpp"
#include "tools/core/field_text.hpp"
#include "tools/core/tokens.hpp"
#include "tools/core/tool_error.hpp"

namespace {

namespace fs = std::filesystem;

TEST(KeywordInputReading, CountAndElements) {
  const std::string input = "# x\n$natoms 2\n$coordinates\n"
                            "    0.0000000000    0.0000000000    0.0000000000     Cl 15\n"
                            "    0.0000000000    0.0000000000    1.0000000000     H  13\n";
  EXPECT_EQ(tools::natoms_of(input), 2);
  EXPECT_EQ(tools::input_elements(input), (std::vector<std::string>{"Cl", "H"}));
  EXPECT_EQ(tools::natoms_of("$natomsx\n"), -1);
  EXPECT_THROW(tools::input_elements("$natoms 3\n$coordinates\n"), tools::ToolError);
}

// Only a .in file, or one whose first non-blank line is a keyword, stands as a keyword input;
// any other file goes to Open Babel, which refuses what it cannot read.
TEST(KeywordInputReading, OnlyKeywordFilesAreTakenAsTheyStand) {
  const support::ScratchFolder scratch("sources_test");
  const fs::path& folder = scratch.path();
  const std::string keywords = "\n$natoms 1\n$coordinates\n";
  std::ofstream(folder / "job") << keywords;
  std::ofstream(folder / "notes.nomolecule") << "# not a molecule\n$natoms 1\n";
  const auto molecules =
      tools::prepare_molecules({folder / "job", folder / "notes.nomolecule"}, {}, {});
  ASSERT_EQ(molecules.size(), 2u);
  EXPECT_EQ(molecules[0].input, keywords);
  EXPECT_TRUE(molecules[0].error.empty());
  EXPECT_TRUE(molecules[1].input.empty());
  EXPECT_EQ(molecules[1].error, "unknown format '.nomolecule' (-i FORMAT names one)");
}

TEST(Names, StemsAreSafeAndUnique) {
  std::vector<tools::PreparedMolecule> molecules(5);
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
  EXPECT_EQ(tools::fixed_decimals(0.125, 2), "0.12");
}

} // namespace
