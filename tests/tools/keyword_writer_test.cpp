#include "tools/core/keyword_writer.hpp"

#include <gtest/gtest.h>

#include <sstream>

#include "common/keyword_input.hpp"
#include "tools/core/files.hpp"
#include "tools/core/tool_error.hpp"

namespace {

tools::Molecule hydrogen_chloride() {
  tools::Molecule m;
  m.name = "HCl";
  m.atoms.push_back({"Cl", "Cl", 15, {0.0, 0.0, 0.0}});
  m.atoms.push_back({"H", "H", 13, {-0.25, 0.0, 1.2745}});
  m.bonds.push_back({1, 2, 1});
  return m;
}

TEST(KeywordInput, AtomLinesHoldElementAndTypeInTheirColumns) {
  const auto lines = tools::split_lines(tools::keyword_input(hydrogen_chloride(), {}, "hcl.mol2"));
  const auto at = std::find(lines.begin(), lines.end(), "$coordinates");
  ASSERT_NE(at, lines.end());
  EXPECT_EQ(at[1], "    0.0000000000    0.0000000000    0.0000000000     Cl 15");
  EXPECT_EQ(at[2], "   -0.2500000000    0.0000000000    1.2745000000     H  13");
  EXPECT_EQ(at[3], "$connectivity");
  EXPECT_EQ(at[4], "1 2 1");
  EXPECT_EQ(at[5], "$end");
}

// The same text read in kelma's order and in symmetry's order gives both their values.
TEST(KeywordInput, BothProgramsReadTheSameText) {
  tools::JobOptions options;
  ASSERT_TRUE(tools::set_job_option(options, "--gtol", "1e-4"));
  ASSERT_TRUE(tools::set_job_option(options, "--nsteps", "+50"));
  const std::string text = tools::keyword_input(hydrogen_chloride(), options, "hcl.mol2");
  int ival = 0;
  double rval = 0.0;
  std::string cval;
  common::RunContext run("", common::UnitsTo::memory);
  {
    std::istringstream in(text);
    common::InputDeck deck(in);
    EXPECT_EQ(common::read_integer_keyword(run, deck, "$natoms"), 2);
    common::rdcntrl(run, deck, 7, "$fftype", common::kind_text, ival, rval, cval);
    EXPECT_EQ(ival, 9);
    EXPECT_EQ(common::read_integer_keyword(run, deck, "$jobtype"), 0);
    EXPECT_EQ(common::read_real_keyword(run, deck, "$vdwc"), 8.0);
    EXPECT_EQ(common::read_integer_keyword(run, deck, "$print"), 1);
    EXPECT_EQ(common::read_real_keyword(run, deck, "$gtol"), 1e-4);
    EXPECT_EQ(common::read_real_keyword(run, deck, "$etol"), 1e-6);
    EXPECT_EQ(common::read_integer_keyword(run, deck, "$nsteps"), 50);
    std::vector<double> xyz(6);
    std::vector<int> types(2);
    std::vector<int> conn(4);
    common::getcoord2(deck, 2, xyz, types);
    common::getconn(deck, 2, conn);
    EXPECT_EQ(types, (std::vector<int>{15, 13}));
    EXPECT_EQ(xyz[5], 1.2745);
    EXPECT_EQ(conn, (std::vector<int>{0, 1, 1, 0}));
  }
  std::istringstream in(text);
  common::InputDeck deck(in);
  EXPECT_EQ(common::read_integer_keyword(run, deck, "$natoms"), 2);
  EXPECT_EQ(common::read_real_keyword(run, deck, "$thrsym"), 0.05);
  EXPECT_EQ(common::read_integer_keyword(run, deck, "$print"), 1);
  std::vector<double> xyz(6);
  std::vector<std::string> labels(2);
  common::getcoord1(deck, 2, xyz, labels);
  EXPECT_EQ(labels[0], "Cl      ");
  EXPECT_EQ(labels[1], "H       ");
}

TEST(KeywordInput, OptionValuesAreCheckedWhenSet) {
  tools::JobOptions options;
  EXPECT_FALSE(tools::set_job_option(options, "--colour", "red"));
  for (const auto& [flag, value] : {std::pair{"--gtol", "0"},
                                    {"--gtol", "nan"},
                                    {"--vdwc", "8.0x"},
                                    {"--nsteps", "1.5"},
                                    {"--nsteps", "9999"}, // past the four columns of the record
                                    {"--jobtype", "-1"},
                                    {"--thrsym", ""},
                                    {"--fftype", "a name longer than twenty"}})
    EXPECT_THROW(tools::set_job_option(options, flag, value), tools::ToolError) << flag << value;
  EXPECT_TRUE(tools::set_job_option(options, "--etol", "0"));
  EXPECT_EQ(options.etol, "0");
}

// 50 cycles per atom, never below 1000 nor above 9998.
TEST(KeywordInput, TheAutomaticCycleLimitFollowsTheAtomCount) {
  const auto nsteps = [](std::size_t atoms) {
    tools::Molecule m = hydrogen_chloride();
    m.atoms.resize(atoms, m.atoms[1]);
    std::istringstream in(tools::keyword_input(m, {}, "x"));
    common::InputDeck deck(in);
    common::RunContext run("", common::UnitsTo::memory);
    return common::read_integer_keyword(run, deck, "$nsteps");
  };
  EXPECT_EQ(nsteps(2), 1000);
  EXPECT_EQ(nsteps(146), 7300);
  EXPECT_EQ(nsteps(200), 9998);
}

// The opening comments: the name, the source and, for a start the tools built, how to build it
// again; a file's own coordinates get no such line.
TEST(KeywordInput, CommentsNameTheSourceAndHowTheStartWasBuilt) {
  tools::Molecule m = hydrogen_chloride();
  EXPECT_EQ(tools::split_lines(tools::keyword_input(m, {}, "hcl.mol2"))[2], "$natoms 2");
  m.start = "RDKit 2022.09.3 ETKDGv3, seed 42";
  const auto lines = tools::split_lines(tools::keyword_input(m, {}, "SMILES Cl"));
  EXPECT_EQ(
      std::vector<std::string>(lines.begin(), lines.begin() + 4),
      (std::vector<std::string>{"# HCl", "# SMILES Cl",
                                "# 3D start: RDKit 2022.09.3 ETKDGv3, seed 42", "$natoms 2"}));
}

TEST(KeywordInput, NamesCannotBecomeKeywords) {
  tools::Molecule m = hydrogen_chloride();
  m.name = "$natoms 7\n$print 9";
  const auto lines = tools::split_lines(tools::keyword_input(m, {}, "x"));
  EXPECT_EQ(lines[0], "# $natoms 7 $print 9");
  EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                          [](const std::string& l) { return l.starts_with("$natoms"); }),
            1);
}

} // namespace
