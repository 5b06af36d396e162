#include "common/reports.hpp"

#include <gtest/gtest.h>

#include "common/termination.hpp"
#include "common/vectors.hpp"
#include "support/channel_capture.hpp"

namespace {

TEST(Nerror, WritesTwoRecordsAndStopsWithTheBanner) {
  test_support::ChannelCapture capture;
  common::set_banner("*** SYMMETRY Error Termination ***");
  try {
    common::nerror(1, "Force Field module", "More Bends in System than Dimensioned for", 0, 0);
    FAIL() << "nerror returned";
  } catch (const common::RunStop& stop) {
    EXPECT_EQ(stop.code, "*** SYMMETRY Error Termination ***");
  }
  EXPECT_EQ(capture.listing(), " ** Error no.  1 in Force Field module **\n"
                               "  More Bends in System than Dimensioned for\n");
}

TEST(Nerror, ParametersAppearWhenEitherIsNonZero) {
  test_support::ChannelCapture capture;
  EXPECT_THROW(common::nerror(3, "r", "text", 0, 5), common::RunStop);
  EXPECT_EQ(capture.listing(), " ** Error no.  3 in r **\n  text parameters: 0 5\n");
}

TEST(Message, WritesHeadingAndText) {
  test_support::ChannelCapture capture;
  common::message("**WARNING** in SYMMETRY module", "  Unable to find Inverse Operation", 0, 0);
  common::message("head", "text", -1, 2);
  EXPECT_EQ(capture.listing(),
            " **WARNING** in SYMMETRY module\n   Unable to find Inverse Operation\n"
            " head\n text -1 2\n");
}

TEST(Memchk, ReturnsWhenTheRequestFits) {
  test_support::ChannelCapture capture;
  common::memchk(100, 100, 5, "KELMA");
  EXPECT_EQ(capture.stdout_text(), "");
}

TEST(Memchk, ReportsAShortageAndStopsWithNine) {
  test_support::ChannelCapture capture;
  try {
    common::memchk(10, 11, 5, "KELMA");
    FAIL() << "memchk returned";
  } catch (const common::RunStop& stop) {
    EXPECT_EQ(stop.code, "9");
  }
  EXPECT_EQ(capture.stdout_text(),
            "\n  ***ERROR*** Insufficient Scratch Memory in Subroutine        KELMA\n"
            "     Available:           10   Requested:           11\n");
}

TEST(Prntmat, PrintsBlocksOfSixColumns) {
  test_support::ChannelCapture capture;
  std::vector<double> a(9);
  common::setdiagmat(3, 1.0, a);
  a[3] = -2.5; // element (1, 2)
  common::prntmat(3, 3, 3, a);
  EXPECT_EQ(capture.listing(), "\n\n"
                               "     1.000000   -2.500000    0.000000\n"
                               "     0.000000    1.000000    0.000000\n"
                               "     0.000000    0.000000    1.000000\n");
}

TEST(Prntmat, SplitsEightColumnsIntoSixAndTwoAndHonoursMaxcol) {
  std::vector<double> a(8);
  for (int j = 0; j < 8; ++j)
    a[static_cast<std::size_t>(j)] = j + 1;
  {
    test_support::ChannelCapture capture;
    common::prntmat(8, 1, 8, a);
    EXPECT_EQ(capture.listing(),
              "\n\n"
              "     1.000000    2.000000    3.000000    4.000000    5.000000    6.000000\n"
              "\n\n"
              "     7.000000    8.000000\n");
  }
  test_support::ChannelCapture capture;
  common::prntmat(8, 1, 0, a);
  EXPECT_EQ(capture.listing(), "");
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
