#include "symmetry/input.hpp"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "common/termination.hpp"

namespace {

symmetry::SymmetryInput read(common::RunContext& run, const std::string& text) {
  std::istringstream in(text);
  common::InputDeck deck(in);
  return symmetry::read_symmetry_input(run, deck);
}

symmetry::SymmetryInput read(const std::string& text) {
  common::RunContext run("", common::UnitsTo::memory);
  return read(run, text);
}

const std::string atom_line = "    1.0000000000    2.0000000000    3.0000000000     He\n";

TEST(ReadSymmetryInput, ReadsTheThreeKeywordsAndTheAtoms) {
  const symmetry::SymmetryInput in =
      read("$natoms 1\n# comment\n$thrsym 0.01\n$print 4\n$coordinates\n" + atom_line);
  EXPECT_EQ(in.natoms, 1);
  EXPECT_EQ(in.thrsym, 0.01);
  EXPECT_EQ(in.print, 4);
  EXPECT_EQ(in.xyz, (std::vector<double>{1, 2, 3}));
  EXPECT_EQ(in.symbols, (std::vector<std::string>{"He      "}));
}

TEST(ReadSymmetryInput, RejectsWhatCannotBeUsed) {
  const std::string tail = "$print 0\n$coordinates\n" + atom_line;
  for (const std::string& text :
       {"$natoms 0\n$thrsym 0.01\n" + tail, "$natoms 501\n$thrsym 0.01\n" + tail,
        "$natoms 1\n$thrsym 0\n" + tail, "$natoms 1\n$thrsym -0.01\n" + tail,
        "$natoms 1\n$thrsym 1e999\n" + tail, "$natoms 1\n$thrsym abc\n" + tail,
        "$natoms 1\n$thrsym 0.01\n$print\n$coordinates\n" + atom_line,
        "$natoms 2\n$thrsym 0.01\n" + tail, std::string("$natoms 1\n$thrsym 0.01\n$print 0\n")}) {
    EXPECT_THROW(read(text), common::InputError) << text;
  }
}

// Atoms 1 and 2 coincide (no bound from them), atoms 1 and 3 are the closest like pair (3 apart),
// and the neon atom lies 0.5 from a helium atom without bounding anything.
std::string spaced_input(const std::string& thrsym) {
  return "$natoms 4\n$thrsym " + thrsym +
         "\n$print 0\n$coordinates\n"
         "    0.0000000000    0.0000000000    0.0000000000     He\n"
         "    0.0000000000    0.0000000000    0.0000000000     He\n"
         "    3.0000000000    0.0000000000    0.0000000000     He\n"
         "    0.5000000000    0.0000000000    0.0000000000     Ne\n";
}

std::string rejection(const std::string& text) {
  try {
    read(text);
  } catch (const common::InputError& e) {
    return e.what();
  }
  return "accepted";
}

TEST(ReadSymmetryInput, ToleranceMustStayBelowHalfTheClosestLikePair) {
  EXPECT_EQ(rejection(spaced_input("1.5")),
            "$thrsym 1.5 must be below 1.5, half the distance 3 between atoms 1 and 3 (both "
            "\"He\"): like atoms closer than twice $thrsym cannot be told apart");
  EXPECT_EQ(rejection(spaced_input("1e300")).substr(0, 34), "$thrsym 1e+300 must be below 1.5, ");
  EXPECT_EQ(rejection(spaced_input("1.4999999999999998")), "accepted");
  // One atom, or like atoms only at one point, set no bound.
  EXPECT_EQ(rejection("$natoms 1\n$thrsym 1e300\n$print 0\n$coordinates\n" + atom_line),
            "accepted");
  EXPECT_EQ(rejection("$natoms 2\n$thrsym 1e300\n$print 0\n$coordinates\n" + atom_line + atom_line),
            "accepted");
}

TEST(ClosestLikePair, ComparesWholeLabelsAndTakesTheFirstOfEqualPairs) {
  // " H" and "H " are different labels; the two pairs 1-3 and 2-4 are both 2 apart.
  const std::vector<std::string> labels{"H       ", " H      ", "H       ", " H      "};
  const std::vector<double> xyz{0, 0, 0, 0.1, 0, 0, 2, 0, 0, 2.1, 0, 0};
  const symmetry::LikePair pair = symmetry::closest_like_pair(4, xyz, labels);
  EXPECT_EQ(pair.first, 1);
  EXPECT_EQ(pair.second, 3);
  EXPECT_EQ(pair.distance, 2.0);
  EXPECT_EQ(symmetry::closest_like_pair(1, xyz, labels).first, 0);
}

TEST(ReadSymmetryInput, MissingKeywordIsTheNumberedReport) {
  common::RunContext run("", common::UnitsTo::memory);
  EXPECT_THROW(read(run, "$natoms 1\n$print 0\n$coordinates\n" + atom_line), common::RunStop);
  EXPECT_EQ(run.text(common::listing_unit), " ** Error no.  2 in File IO routine <rdcntrl> **\n"
                                            "  Unable to find Keyword $thrsym in <ffdata> file \n");
}

} // namespace
