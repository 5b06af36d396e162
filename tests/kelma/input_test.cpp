#include "kelma/input.hpp"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "common/termination.hpp"

namespace {

const char* const header =
    "# water\n$natoms 3\n$thrsym 0.01\n$fftype Tripos 5.2\n$jobtype 1\n$vdwc 8.0\n$print 2\n"
    "$gtol 0.0005\n$etol 1.0e-6\n$nsteps 50\n";

const char* const atoms = "$coordinates\n"
                          "    0.0000000000    0.0000000000    0.1173000000     O   8\n"
                          "    0.0000000000    0.7572000000   -0.4692000000     H  13\n"
                          "    0.0000000000   -0.7572000000   -0.4692000000     H    \n"
                          "$connectivity\n1 2 1\n1 3 1\n$end\n";

kelma::KelmaInput read(common::RunContext& run, const std::string& text) {
  std::istringstream in(text);
  common::InputDeck deck(in);
  return kelma::read_kelma_input(run, deck);
}

kelma::KelmaInput read(const std::string& text) {
  common::RunContext run("", common::UnitsTo::memory);
  return read(run, text);
}

TEST(KelmaInput, ReadsTheEightKeywordsAtomsAndBonds) {
  const kelma::KelmaInput in = read(std::string(header) + atoms);
  EXPECT_EQ(in.natoms, 3);
  EXPECT_EQ(in.fftype.substr(0, in.fftype_length), "Tripos5.2");
  EXPECT_EQ(in.jobtype, 1);
  EXPECT_EQ(in.vdwc, 8.0);
  EXPECT_EQ(in.print, 2);
  EXPECT_EQ(in.gtol, 0.0005);
  EXPECT_EQ(in.etol, 1.0e-6);
  EXPECT_EQ(in.nsteps, 50);
  EXPECT_EQ(in.xyz[4], 0.7572);
  EXPECT_EQ(in.itype, (std::vector<int>{8, 13, 0}));
  EXPECT_EQ(in.conn, (std::vector<int>{0, 1, 1, 1, 0, 0, 1, 0, 0}));
}

TEST(KelmaInput, RejectsWhatCannotBeUsed) {
  const std::string text = std::string(header) + atoms;
  const auto replaced = [&](const std::string& from, const std::string& to) {
    std::string t = text;
    t.replace(t.find(from), from.size(), to);
    return t;
  };
  for (const std::string& bad :
       {replaced("$natoms 3", "$natoms 0"), replaced("$natoms 3", "$natoms 501"),
        replaced("$jobtype 1", "$jobtype -1"), replaced("H  13", "H  33"),
        replaced("1 3 1", "1 4 1"), replaced("$end", "$ned")}) {
    EXPECT_THROW(read(bad), common::InputError) << bad;
  }
}

TEST(KelmaInput, MissingKeywordIsTheNumberedReport) {
  common::RunContext run("", common::UnitsTo::memory);
  std::string text = std::string(header) + atoms;
  text.erase(text.find("$fftype"), 1);
  EXPECT_THROW(read(run, text), common::RunStop);
  EXPECT_NE(run.text(common::listing_unit).find("Unable to find Keyword $fftype in <ffdata> file"),
            std::string::npos);
}

// Coordinates beyond a million Angstrom are refused earlier, by the atom-line reader.
TEST(Geometry, CoincidentAtomsAreRejected) {
  std::vector<double> xyz{0, 0, 0, 1, 0, 0, 0, 1, 0};
  EXPECT_NO_THROW(kelma::check_geometry(3, xyz));
  xyz[6] = 1;
  xyz[7] = 0;
  EXPECT_THROW(kelma::check_geometry(3, xyz), common::InputError);
}

} // namespace
