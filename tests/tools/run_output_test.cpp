#include "tools/core/run_output.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <tuple>

#include "common/keyword_input.hpp"
#include "common/run_context.hpp"
#include "kelma/driver.hpp"
#include "tools/core/run_outcome.hpp"
#include "tools/core/tool_error.hpp"
#include "tools/core/vec3.hpp"

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
  auto line = tools::classify_run("kelma", exited(0), {converged, "", ""});
  EXPECT_EQ(line.outcome, "converged");
  EXPECT_EQ(line.cycles, "2");
  EXPECT_EQ(line.energy, "0.000827312");
  EXPECT_EQ(line.rms, "0.00010");
  EXPECT_EQ(line.seconds, "0.12");
  EXPECT_TRUE(tools::succeeded(line));

  const std::string_view unfinished = converged.substr(0, converged.rfind("**"));
  line = tools::classify_run("kelma", exited(0), {unfinished, "STOP 666 statement executed\n", ""});
  EXPECT_EQ(line.outcome, "cycle limit");
  EXPECT_EQ(line.cycles, "2");
  EXPECT_EQ(
      line.detail,
      "stopped at the cycle limit after cycle 2, with the RMS force at 0.00010 "
      "hartree/bohr and the energy changing by -0.014000898 hartree in the last cycle; a larger "
      "--nsteps may converge it");
  EXPECT_FALSE(tools::succeeded(line));

  const std::string report = "STOP *** KELMA Error Termination *** statement executed\n";
  const std::string listing = " ** Error no. 2 in File IO routine <rdcntrl> **\n"
                              "  Unable to find Keyword $nsteps in <ffdata> file\n";
  line = tools::classify_run("kelma", exited(0), {"", report, listing});
  EXPECT_EQ(line.outcome, "numbered report");
  EXPECT_EQ(line.detail, "the input has no $nsteps keyword");
  // The workspace report writes records of its own on standard output.
  line = tools::classify_run("kelma", exited(0),
                             {"\n  ***ERROR*** Insufficient\n", "STOP 9 statement executed\n", ""});
  EXPECT_EQ(line.outcome, "numbered report");
  EXPECT_EQ(line.detail, "the run ended with STOP 9 statement executed");
  line = tools::classify_run("kelma", exited(2), {"", "line 3: $natoms: unreadable\n", ""});
  EXPECT_EQ(line.outcome, "input error");
  EXPECT_EQ(line.detail, "line 3: $natoms: unreadable");
  EXPECT_EQ(tools::classify_run("kelma", exited(0), {}).outcome, "failed: no final geometry");
  EXPECT_EQ(tools::classify_run("kelma", exited(1), {}).outcome, "failed: exit status 1");
  tools::ChildResult killed = exited(-1);
  killed.signal = 11;
  EXPECT_EQ(tools::classify_run("kelma", killed, {}).outcome, "failed: signal 11");
  killed.signal = 9;
  killed.timed_out = true;
  killed.timeout_seconds = 5;
  line = tools::classify_run("kelma", killed, {});
  EXPECT_EQ(line.outcome, "timeout");
  EXPECT_EQ(line.detail, "killed after 0.12 s, the --timeout of 5 s");

  line = tools::classify_run("symmetry", exited(0), {point_group, "", ""});
  EXPECT_EQ(line.outcome, "point group c2v");
  EXPECT_EQ(line.detail, "C2v, 2 totally symmetric degrees of freedom");
  EXPECT_EQ(line.cycles, "-");
  EXPECT_TRUE(tools::succeeded(line));
}

TEST(Classify, OverflowingDegreesOfFreedomAreCountedForC1) {
  std::string output = "*Point Group: c1          Degrees of freedom: ***\n";
  for (int atom = 0; atom < 336; ++atom)
    output += "!    0.0000000000    0.0000000000    0.0000000000\n";
  EXPECT_EQ(tools::classify_run("symmetry", exited(0), {output, "", ""}).detail,
            "C1, 1002 (printed as ***) totally symmetric degrees of freedom");
}

// Water scaled by 1e-4 with its tolerance, at $print 1: the search fails on hydrogens 1.5e-4 apart
// and only the listing says that the group is the fallback.
constexpr std::string_view scaled_water = R"(*Point Group: c1          Degrees of freedom:   3
!   -0.0000294755   -0.0000229879   -0.0000113331
!    0.0000343926    0.0000219544   -0.0000666830
!   -0.0000049171    0.0000010336    0.0000780162
)";
constexpr std::string_view fallback_listing =
    "**WARNING** Error determining Point Group - Switching off Symmetry\n"
    "**WARNING** Error determining Point Group - Switching off Symmetry\n";

TEST(Classify, AFallbackToC1SaysSoWithWhatShowsItsCause) {
  // Atoms 1 and 2 (O and H) lie 9.572124e-5 apart, the closest pair.
  const std::string crowded = "atoms 1 and 2 lie 9.57212409E-05 apart, closer than the search's "
                              "smallest length 0.001: scale the coordinates up";
  auto line = tools::classify_run("symmetry", exited(0), {scaled_water, "", fallback_listing});
  EXPECT_EQ(line.outcome, "point group c1");
  EXPECT_EQ(line.detail, "point group search failed: fell back to c1 (" + crowded +
                             "); C1, 3 totally symmetric degrees of freedom");
  EXPECT_EQ(tools::symmetry_warning(line), line.detail);
  EXPECT_TRUE(tools::succeeded(line));

  // At $print 0 there is no listing: the crowded atoms alone tell of it.
  line = tools::classify_run("symmetry", exited(0), {scaled_water, "", ""});
  EXPECT_EQ(line.detail, "C1, 3 totally symmetric degrees of freedom; " + crowded);
  EXPECT_EQ(tools::symmetry_warning(line), line.detail);

  // A molecule of ordinary size: the numerical warnings of the listing, each once.
  constexpr std::string_view spread = R"(*Point Group: c1          Degrees of freedom:   3
!    0.0000000000    0.0000000000    0.0000000000
!    1.0000000000    0.0000000000    0.0000000000
!    0.0000000000    2.0000000000    0.0000000000
)";
  const std::string warnings = " **WARNING** in SYMMETRY module\n"
                               "   Number of operations found greater than maximum 120 0\n"
                               " **WARNING** in SYMMETRY module\n"
                               "   Unable to find Inverse Operation\n"
                               " **WARNING** in SYMMETRY module\n"
                               "   Number of operations found greater than maximum 120 0\n" +
                               std::string(fallback_listing);
  EXPECT_EQ(tools::classify_run("symmetry", exited(0), {spread, "", warnings}).detail,
            "point group search failed: fell back to c1 (the listing warns: Number of operations "
            "found greater than maximum; Unable to find Inverse Operation); C1, 3 totally "
            "symmetric degrees of freedom");
  EXPECT_EQ(tools::classify_run("symmetry", exited(0), {spread, "", fallback_listing}).detail,
            "point group search failed: fell back to c1 (the listing names no cause); C1, 3 "
            "totally symmetric degrees of freedom");
  // A group found stands whatever the listing holds, and warns of nothing.
  line = tools::classify_run("symmetry", exited(0), {point_group, "", warnings});
  EXPECT_EQ(line.detail, "C2v, 2 totally symmetric degrees of freedom");
  EXPECT_EQ(tools::symmetry_warning(line), "");
}

TEST(Classify, GroupNamesInWords) {
  EXPECT_EQ(tools::group_name("d*h "), "D-infinity-h");
  EXPECT_EQ(tools::group_name("c*v"), "C-infinity-v");
  EXPECT_EQ(tools::group_name("ih  "), "Ih");
  EXPECT_EQ(tools::group_name("d3d "), "D3d");
}

TEST(Status, LinesRoundTripThroughText) {
  const tools::StatusLine line{
      "ethanol", "9",    "kelma", "cycle limit",         "200", "0.1", "0.2",
      "1.50",    "none", "none",  "stopped at cycle 200"};
  const auto again = tools::parse_status(tools::status_tsv_line(line));
  EXPECT_EQ(tools::status_tsv_line(again), tools::status_tsv_line(line));
  EXPECT_EQ(again.outcome, "cycle limit");
  EXPECT_THROW(tools::parse_status("ethanol\t9"), tools::ToolError);
}

TEST(StatusTable, ColumnsByNameWhereverTheyStandAndWhateverIsAdded) {
  const auto rows = tools::read_status_table("outcome\tmolecule\tlater\tdetail\n"
                                             "converged\tbenzene\tx\tnew\n"
                                             "skipped\twater\n");
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].molecule, "benzene");
  EXPECT_EQ(rows[0].outcome, "converged");
  EXPECT_EQ(rows[0].detail, "new"); // past a column this version does not know
  EXPECT_EQ(rows[1].detail, "-");   // a short line lacks its last columns
  EXPECT_EQ(rows[1].cycles, "-");   // a column the table does not have
  // The table the batch writes reads back whole.
  const tools::StatusLine line{"ethanol", "9", "kelma", "converged", "20", "0.1",
                               "0.2",     "1", "none",  "none",      "-"};
  const auto back =
      tools::read_status_table(tools::status_header() + "\n" + tools::status_tsv_line(line) + "\n");
  ASSERT_EQ(back.size(), 1u);
  EXPECT_EQ(tools::status_tsv_line(back[0]), tools::status_tsv_line(line));
}

TEST(StatusTable, DamagedTablesAreRefusedWithTheLine) {
  EXPECT_THROW(tools::read_status_table(""), tools::ToolError);
  EXPECT_THROW(tools::read_status_table("atoms\toutcome\n3\tconverged\n"), tools::ToolError);
  try {
    tools::read_status_table("molecule\toutcome\nwater\tconverged\textra\n");
    FAIL() << "a line wider than the header was taken";
  } catch (const tools::ToolError& e) {
    EXPECT_STREQ(e.what(), "line 2: more fields than the header names");
  }
}

} // namespace

namespace {

// kelma on an example input with its cycle limit set to nsteps, its records kept in memory.
struct RecordedRun {
  std::string output;
  kelma::KelmaResult result;
};

RecordedRun run_example(const std::string& name, int nsteps) {
  std::ifstream file(std::string(EXAMPLES_DIR) + "/kelma/" + name);
  std::stringstream text;
  for (std::string line; std::getline(file, line);)
    text << (line.starts_with("$nsteps") ? "$nsteps " + std::to_string(nsteps) : line) << "\n";
  common::RunContext run(kelma::termination_banner, common::UnitsTo::memory);
  common::InputDeck deck(text);
  RecordedRun out;
  out.result = kelma::optimise(run, deck);
  out.output = run.text(common::stdout_unit);
  return out;
}

} // namespace

// The records a status reads, taken from the result, are the ones the run printed: at the cycle
// limit after line searches and after accepted steps, and at convergence.
TEST(RunOutput, TheResultShowsWhatTheRecordsShow) {
  int stopped = 0;
  for (const char* name : {"benzene.in", "chlorobenzene.in", "n_methylacetamide.in"}) {
    for (const int nsteps : {1, 2, 3, 5, 8, 13, 200}) {
      SCOPED_TRACE(std::string(name) + " $nsteps " + std::to_string(nsteps));
      const RecordedRun run = run_example(name, nsteps);
      stopped += run.result.outcome == kelma::Outcome::cycle_limit ? 1 : 0;
      const tools::RunOutput printed = tools::parse_run_output(run.output);
      const tools::RunOutput taken = tools::recorded_output(run.result);
      ASSERT_EQ(taken.cycles.size(), std::min<std::size_t>(printed.cycles.size(), 2));
      for (std::size_t k = 1; k <= taken.cycles.size(); ++k) {
        const tools::CycleRecord& a = printed.cycles[printed.cycles.size() - k];
        const tools::CycleRecord& b = taken.cycles[taken.cycles.size() - k];
        EXPECT_EQ(std::tie(a.cycle, a.energy, a.rms), std::tie(b.cycle, b.energy, b.rms));
      }
      EXPECT_EQ(printed.last_geometry, taken.last_geometry);
      EXPECT_EQ(printed.final_geometry, taken.final_geometry);
    }
  }
  EXPECT_GE(stopped, 12); // the small limits stop the runs
}
