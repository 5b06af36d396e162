#include "kelma/result.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "common/channels.hpp"
#include "common/keyword_input.hpp"
#include "common/records.hpp"
#include "common/termination.hpp"
#include "kelma/driver.hpp"
#include "kelma/input.hpp"
#include "kelma/units.hpp"

namespace {

// A file of the source tree: an example or an end-to-end case.
std::string source_file(const std::string& path) {
  std::ifstream file(std::string(SOURCE_DIR) + "/" + path);
  EXPECT_TRUE(file) << path;
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

std::string chlorobenzene() { return source_file("examples/kelma/chlorobenzene.in"); }
const std::string cycle_limit = "tests/e2e/cases/kelma_cycle_limit/";

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);)
    out.push_back(line);
  return out;
}

kelma::KelmaInput read_input(common::RunContext& run, const std::string& text) {
  std::istringstream in(text);
  common::InputDeck deck(in);
  return kelma::read_kelma_input(run, deck);
}

kelma::KelmaResult optimise_text(common::RunContext& run, const std::string& text) {
  std::istringstream in(text);
  common::InputDeck deck(in);
  return kelma::optimise(run, deck);
}

std::string geometry_record(char mark, const std::vector<double>& xyz, std::size_t atom) {
  common::Record record;
  for (std::size_t c = 3 * atom; c < 3 * atom + 3; ++c)
    record.f(xyz[c], 16, 10);
  return mark + record.str();
}

// A cycle record of standard output (the F16.9 energy and F8.5 RMS fields) and the geometry block
// after it.
struct CycleRecord {
  std::string energy;
  std::string rmsg;
  std::vector<std::string> geometry;
};

// By cycle number; the repeat of the last one before the final block counts once.
std::map<int, CycleRecord> cycle_records(const std::vector<std::string>& out) {
  std::map<int, CycleRecord> records;
  CycleRecord* current = nullptr;
  for (const std::string& line : out) {
    if (line.rfind("**  ", 0) == 0) {
      current = &records[std::stoi(line.substr(4, 4))];
      *current = {line.substr(17, 16), line.substr(41, 8), {}};
    } else if (current != nullptr && line[0] == '@') {
      current->geometry.push_back(line);
    }
  }
  return records;
}

// Length in bohr of the move between two geometry blocks.
double move_length(const std::vector<std::string>& from, const std::vector<std::string>& to) {
  double sum = 0.0;
  for (std::size_t a = 0; a < from.size(); ++a) {
    for (std::size_t col = 1; col < 49; col += 16) {
      const double d = std::stod(to[a].substr(col, 16)) - std::stod(from[a].substr(col, 16));
      sum += d * d;
    }
  }
  return std::sqrt(sum) * kelma::bohr_per_angstrom;
}

TEST(Optimise, AConvergedRunGivesTheFiguresAndTheGeometryOfItsRecords) {
  // Chlorobenzene starts with a line search that keeps one trial step, then converges.
  common::RunContext run(kelma::termination_banner, common::UnitsTo::memory);
  kelma::KelmaInput in = read_input(run, chlorobenzene());
  const kelma::KelmaResult result = kelma::optimise(run, in);
  ASSERT_EQ(result.outcome, kelma::Outcome::converged);
  EXPECT_EQ(result.stop_code, "");
  EXPECT_EQ(result.xyz, in.xyz);
  const auto out = lines(run.text(common::stdout_unit));
  const auto records = cycle_records(out);
  ASSERT_EQ(static_cast<std::size_t>(result.cycle_count), result.cycles.size());
  ASSERT_TRUE(result.cycles[0].line_search);
  EXPECT_NEAR(result.cycles[0].step, 0.3, 1e-12);
  EXPECT_EQ(result.cycles.back().step, 0.0);

  std::size_t with_records = 0;
  for (std::size_t k = 0; k < result.cycles.size(); ++k) {
    const kelma::CycleFigures& c = result.cycles[k];
    EXPECT_EQ(c.cycle, static_cast<int>(k + 1));
    // A line-search cycle writes no records; every other cycle writes its figures, rounded.
    ASSERT_EQ(records.count(c.cycle), c.line_search ? 0u : 1u) << "cycle " << c.cycle;
    if (c.line_search)
      continue;
    ++with_records;
    const CycleRecord& r = records.at(c.cycle);
    EXPECT_EQ(common::Record().f(c.energy, 16, 9).str(), r.energy) << "cycle " << c.cycle;
    EXPECT_EQ(common::Record().f(c.rms_force, 8, 5).str(), r.rmsg) << "cycle " << c.cycle;
    // The step leads from the geometry of the cycle (the block of the one before, when that made
    // no line search) to the block of this one.
    if (k > 0 && !result.cycles[k - 1].line_search && k + 1 < result.cycles.size()) {
      EXPECT_NEAR(move_length(records.at(c.cycle - 1).geometry, r.geometry), c.step, 1e-8);
    }
  }
  EXPECT_EQ(records.size(), with_records);
  const std::size_t natoms = result.xyz.size() / 3;
  ASSERT_EQ(natoms, 12u);
  for (std::size_t a = 0; a < natoms; ++a)
    EXPECT_EQ(out[out.size() - natoms + a], geometry_record('!', result.xyz, a));
}

TEST(Optimise, TheCycleLimitEndsAtTheGeometryOfTheLastRecords) {
  // Propane with $nsteps 6: five accepted cycles, and the sixth stops the run.
  common::RunContext run(kelma::termination_banner, common::UnitsTo::memory);
  const kelma::KelmaResult result = optimise_text(run, source_file(cycle_limit + "input"));
  EXPECT_EQ(result.outcome, kelma::Outcome::cycle_limit);
  EXPECT_EQ(result.stop_code, "666");
  EXPECT_EQ(result.cycle_count, 6);
  ASSERT_EQ(result.cycles.size(), 6u);
  EXPECT_EQ(result.cycles.back().step, 0.0);
  // The records are the program's; its STOP line is left to the caller.
  const std::string out = run.text(common::stdout_unit);
  EXPECT_EQ(out, source_file(cycle_limit + "stdout"));
  EXPECT_EQ(run.text(common::stderr_unit), "");
  const auto records = lines(out);
  const std::size_t natoms = 11;
  ASSERT_EQ(result.xyz.size(), 3 * natoms);
  for (std::size_t a = 0; a < natoms; ++a)
    EXPECT_EQ(records[records.size() - natoms + a], geometry_record('@', result.xyz, a));
}

TEST(Optimise, StopsOfTheRunsOwnBecomeOutcomesWhileInputErrorsStillThrow) {
  const std::string cases = "tests/e2e/cases/";
  common::RunContext run(kelma::termination_banner, common::UnitsTo::memory);
  const kelma::KelmaResult report =
      optimise_text(run, source_file(cases + "kelma_missing_gtol/input"));
  EXPECT_EQ(report.outcome, kelma::Outcome::numbered_report);
  ASSERT_TRUE(report.report);
  EXPECT_EQ(report.report->number, 2);
  EXPECT_EQ(report.report->routine, "File IO routine <rdcntrl>");
  EXPECT_EQ(report.stop_code, kelma::termination_banner);
  EXPECT_TRUE(report.cycles.empty());
  EXPECT_TRUE(report.xyz.empty());
  EXPECT_EQ(run.text(common::listing_unit), source_file(cases + "kelma_missing_gtol/debug"));

  const kelma::KelmaResult workspace =
      optimise_text(run, source_file(cases + "kelma_workspace_beyond_capacity/input"));
  EXPECT_EQ(workspace.outcome, kelma::Outcome::workspace_stop);
  EXPECT_EQ(workspace.stop_code, "9");
  EXPECT_FALSE(workspace.report);

  EXPECT_THROW(optimise_text(run, source_file(cases + "kelma_reject_coincident_atoms/input")),
               common::InputError);
}

TEST(Optimise, ARunWithoutRecordsGivesTheResultOfARunWithThem) {
  // At $print 4 and $jobtype 1 every listing is on: parameters, Hessian notes, energy blocks,
  // cycles, line searches and coordinates.
  for (const std::string& text : {chlorobenzene(), source_file(cycle_limit + "input")}) {
    std::vector<kelma::KelmaResult> results;
    for (const common::UnitsTo where : {common::UnitsTo::memory, common::UnitsTo::nowhere}) {
      common::RunContext run(kelma::termination_banner, where);
      kelma::KelmaInput in = read_input(run, text);
      in.print = 4;
      in.jobtype = 1;
      results.push_back(kelma::optimise(run, in));
      for (const int unit : {common::stdout_unit, common::listing_unit, common::trace_unit})
        EXPECT_EQ(run.text(unit).empty(), where == common::UnitsTo::nowhere) << unit;
    }
    EXPECT_EQ(results[0].outcome, results[1].outcome);
    EXPECT_EQ(results[0].cycles, results[1].cycles);
    EXPECT_EQ(results[0].xyz, results[1].xyz);
  }
}

} // namespace
