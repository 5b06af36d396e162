#include "tools/run_output.hpp"

#include <gtest/gtest.h>

#include "tools/batch.hpp"

namespace {

constexpr std::string_view converged = R"(**     1  Energy:     0.014828210   RMSG: 0.02881
@    0.0141626157   -0.0248993510   -0.0095405910
@    0.0096250483   -0.0085318663    1.5487415109
**     2  Energy:     0.000827312   RMSG: 0.00010
@    1.0000000000    2.0000000000    3.0000000000
@   -1.0000000000   -2.0000000000   -3.0000000000
**     2  Energy:     0.000827312   RMSG: 0.00010
!    1.0000000000    2.0000000000    3.0000000000
!   -1.0000000000   -2.0000000000   -3.0000000000
)";

constexpr std::string_view point_group = R"(*Point Group: c2v         Degrees of freedom:   2
!    0.0000000000    0.0000000000   -0.3905881844
!    0.7569503273    0.0000000000    0.1952940922
)";

TEST(RunOutput, KelmaCyclesOnceEachAndTheFinalGeometry) {
  const auto run = tools::parse_run_output(converged);
  ASSERT_EQ(run.cycles.size(), 2u);
  EXPECT_EQ(run.cycles[0].cycle, 1);
  EXPECT_EQ(run.cycles[0].energy, "0.014828210");
  EXPECT_EQ(run.cycles[1].rms, "0.00010");
  ASSERT_EQ(run.final_geometry.size(), 2u);
  EXPECT_EQ(run.final_geometry[1], (tools::Vec3{-1.0, -2.0, -3.0}));
  ASSERT_EQ(run.last_geometry.size(), 2u);
  EXPECT_EQ(run.last_geometry[0], (tools::Vec3{1.0, 2.0, 3.0}));
  EXPECT_TRUE(run.point_group.empty());
}

TEST(RunOutput, SymmetryGroupAndCoordinates) {
  const auto run = tools::parse_run_output(point_group);
  EXPECT_EQ(run.point_group, "c2v");
  EXPECT_EQ(run.degrees_of_freedom, "2");
  EXPECT_EQ(run.final_geometry.size(), 2u);
}

TEST(RunOutput, DamagedRecordsAreRejected) {
  EXPECT_THROW(tools::parse_run_output("!    ****************    0.0    0.0\n"), tools::ToolError);
  EXPECT_THROW(tools::parse_run_output("**  xx  Energy: 1.0   RMSG: 0.1\n"), tools::ToolError);
  EXPECT_THROW(tools::parse_run_output("$natoms 3\n"), tools::ToolError);
}

tools::ChildResult exited(int status) {
  tools::ChildResult child;
  child.started = true;
  child.exit_status = status;
  child.seconds = 0.125;
  return child;
}

TEST(Classify, EveryWayARunCanEnd) {
  auto line = tools::classify_run("kelma", exited(0), converged, "");
  EXPECT_EQ(line.outcome, "converged");
  EXPECT_EQ(line.cycles, "2");
  EXPECT_EQ(line.energy, "0.000827312");
  EXPECT_EQ(line.rms, "0.00010");
  EXPECT_EQ(line.seconds, "0.12");
  EXPECT_TRUE(tools::succeeded(line));

  const std::string_view unfinished = converged.substr(0, converged.rfind("**"));
  line = tools::classify_run("kelma", exited(0), unfinished, "STOP 666 statement executed\n");
  EXPECT_EQ(line.outcome, "cycle limit");
  EXPECT_EQ(line.cycles, "2");
  EXPECT_FALSE(tools::succeeded(line));

  const std::string report = "STOP *** KELMA Error Termination *** statement executed\n";
  EXPECT_EQ(tools::classify_run("kelma", exited(0), "", report).outcome, "numbered report");
  // The workspace report writes records of its own on standard output.
  EXPECT_EQ(tools::classify_run("kelma", exited(0), "\n  ***ERROR*** Insufficient\n",
                                "STOP 9 statement executed\n")
                .outcome,
            "numbered report");
  EXPECT_EQ(tools::classify_run("kelma", exited(2), "", "bad $natoms\n").outcome, "input error");
  EXPECT_EQ(tools::classify_run("kelma", exited(0), "", "").outcome, "failed: no final geometry");
  EXPECT_EQ(tools::classify_run("kelma", exited(1), "", "").outcome, "failed: exit status 1");
  tools::ChildResult killed = exited(-1);
  killed.signal = 11;
  EXPECT_EQ(tools::classify_run("kelma", killed, "", "").outcome, "failed: signal 11");

  line = tools::classify_run("symmetry", exited(0), point_group, "");
  EXPECT_EQ(line.outcome, "point group c2v");
  EXPECT_EQ(line.cycles, "-");
  EXPECT_TRUE(tools::succeeded(line));
}

TEST(Status, LinesRoundTripThroughText) {
  const tools::StatusLine line{"ethanol", "9", "kelma", "cycle limit", "200", "0.1", "0.2", "1.50"};
  const auto again = tools::parse_status(tools::status_text(line));
  EXPECT_EQ(tools::status_text(again), tools::status_text(line));
  EXPECT_EQ(again.outcome, "cycle limit");
  EXPECT_THROW(tools::parse_status("ethanol\t9"), tools::ToolError);
}

} // namespace
