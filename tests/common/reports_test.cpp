#include "common/reports.hpp"

#include <gtest/gtest.h>

#include "common/termination.hpp"
#include "common/vectors.hpp"

namespace {

TEST(Nerror, WritesTwoRecordsAndStopsWithTheBanner) {
  common::RunContext run("*** SYMMETRY Error Termination ***", common::UnitsTo::memory);
  try {
    common::nerror(run, 1, "Force Field module", "More Bends in System than Dimensioned for", 0, 0);
    FAIL() << "nerror returned";
  } catch (const common::RunStop& stop) {
    EXPECT_EQ(stop.code, "*** SYMMETRY Error Termination ***");
  }
  EXPECT_EQ(run.text(common::listing_unit), " ** Error no.  1 in Force Field module **\n"
                                            "  More Bends in System than Dimensioned for\n");
}

TEST(Nerror, ParametersAppearWhenEitherIsNonZero) {
  common::RunContext run("", common::UnitsTo::memory);
  EXPECT_THROW(common::nerror(run, 3, "r", "text", 0, 5), common::RunStop);
  EXPECT_EQ(run.text(common::listing_unit), " ** Error no.  3 in r **\n  text parameters: 0 5\n");
}

TEST(Message, WritesHeadingAndText) {
  common::RunContext run("", common::UnitsTo::memory);
  common::message(run, "**WARNING** in SYMMETRY module", "  Unable to find Inverse Operation", 0,
                  0);
  common::message(run, "head", "text", -1, 2);
  EXPECT_EQ(run.text(common::listing_unit),
            " **WARNING** in SYMMETRY module\n   Unable to find Inverse Operation\n"
            " head\n text -1 2\n");
}

TEST(Memchk, ReturnsWhenTheRequestFits) {
  common::RunContext run("", common::UnitsTo::memory);
  common::memchk(run, 100, 100, 5, "KELMA");
  EXPECT_EQ(run.text(common::stdout_unit), "");
}

TEST(Memchk, ReportsAShortageAndStopsWithNine) {
  common::RunContext run("", common::UnitsTo::memory);
  try {
    common::memchk(run, 10, 11, 5, "KELMA");
    FAIL() << "memchk returned";
  } catch (const common::RunStop& stop) {
    EXPECT_EQ(stop.code, "9");
  }
  EXPECT_EQ(run.text(common::stdout_unit),
            "\n  ***ERROR*** Insufficient Scratch Memory in Subroutine        KELMA\n"
            "     Available:           10   Requested:           11\n");
}

TEST(Prntmat, PrintsBlocksOfSixColumns) {
  common::RunContext run("", common::UnitsTo::memory);
  std::vector<double> a(9);
  common::setdiagmat(3, 1.0, a);
  a[3] = -2.5; // element (1, 2)
  common::prntmat(run, 3, 3, 3, a);
  EXPECT_EQ(run.text(common::listing_unit), "\n\n"
                                            "     1.000000   -2.500000    0.000000\n"
                                            "     0.000000    1.000000    0.000000\n"
                                            "     0.000000    0.000000    1.000000\n");
}

TEST(Prntmat, SplitsEightColumnsIntoSixAndTwoAndHonoursMaxcol) {
  std::vector<double> a(8);
  for (int j = 0; j < 8; ++j)
    a[static_cast<std::size_t>(j)] = j + 1;
  {
    common::RunContext run("", common::UnitsTo::memory);
    common::prntmat(run, 8, 1, 8, a);
    EXPECT_EQ(run.text(common::listing_unit),
              "\n\n"
              "     1.000000    2.000000    3.000000    4.000000    5.000000    6.000000\n"
              "\n\n"
              "     7.000000    8.000000\n");
  }
  common::RunContext run("", common::UnitsTo::memory);
  common::prntmat(run, 8, 1, 0, a);
  EXPECT_EQ(run.text(common::listing_unit), "");
}

TEST(Vectors, SmallRoutines) {
  std::vector<double> a{1.0, 2.0, 3.0};
  std::vector<double> b{4.0, 5.0, 6.0};
  EXPECT_EQ(common::sprod(a, b), 32.0);
  double c[3];
  common::cross(a.data(), b.data(), c);
  EXPECT_EQ(c[0], -3.0);
  EXPECT_EQ(c[1], 6.0);
  EXPECT_EQ(c[2], -3.0);
  std::vector<double> one(1, 7.0);
  common::setdiagmat(1, 2.5, one);
  EXPECT_EQ(one[0], 2.5);
  // y = A x with A = [[1, 2], [3, 4]] column by column.
  std::vector<double> m{1.0, 3.0, 2.0, 4.0};
  std::vector<double> y{9.0, 9.0};
  common::matvec(2, m, std::vector<double>{1.0, 1.0}, y);
  EXPECT_EQ(y[0], 3.0);
  EXPECT_EQ(y[1], 7.0);
  common::vscal(2.0, b);
  EXPECT_EQ(b[2], 12.0);
}

} // namespace
