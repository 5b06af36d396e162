#include "common/channels.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "common/reports.hpp"
#include "common/run_context.hpp"
#include "common/termination.hpp"
#include "support/scratch_folder.hpp"

namespace {

// Every piece the unit of the run hands over, in order.
struct Pieces {
  std::vector<std::string> got;
  Pieces(common::RunContext& run, int unit) : run_(run), unit_(unit) {
    run.send_to(unit, [this](std::string_view piece) { got.emplace_back(piece); });
  }
  ~Pieces() { run_.send_to(unit_, nullptr); }
  Pieces(const Pieces&) = delete;
  Pieces& operator=(const Pieces&) = delete;

private:
  common::RunContext& run_;
  int unit_;
};

TEST(Channels, RecordsReachTheUnitInOnePiecePerFlush) {
  common::RunContext run("", common::UnitsTo::memory);
  Pieces trace(run, common::trace_unit);
  run.write_record(common::trace_unit, "**  first");
  run.write_lines(common::trace_unit, "@ a\n@ b\n");
  EXPECT_TRUE(trace.got.empty());
  run.flush_unit(common::trace_unit);
  run.flush_unit(common::trace_unit); // nothing new: no empty piece
  run.write_blank(common::trace_unit);
  run.flush_unit(common::trace_unit);
  EXPECT_EQ(trace.got, (std::vector<std::string>{"**  first\n@ a\n@ b\n", "\n"}));
}

TEST(Channels, RedirectingHandsOverWhatWasCollectedFirst) {
  common::RunContext run("", common::UnitsTo::memory);
  std::vector<std::string> old_sink;
  run.send_to(common::stdout_unit,
              [&old_sink](std::string_view piece) { old_sink.emplace_back(piece); });
  run.write_record(common::stdout_unit, "before");
  {
    Pieces out(run, common::stdout_unit);
    EXPECT_EQ(old_sink, std::vector<std::string>{"before\n"});
    run.write_record(common::stdout_unit, "after");
  }
  EXPECT_EQ(old_sink.size(), 1u);
  // Restored, the unit keeps its text in memory again.
  run.write_record(common::stdout_unit, "kept");
  EXPECT_EQ(run.text(common::stdout_unit), "kept\n");
}

TEST(RunContext, RunsKeepTheirOwnUnitsAndBanner) {
  common::RunContext first("*** KELMA Error Termination ***", common::UnitsTo::memory);
  common::RunContext second("*** SYMMETRY Error Termination ***", common::UnitsTo::memory);
  first.write_record(common::stdout_unit, "one");
  second.write_record(common::listing_unit, "two");
  first.open_listing(); // in memory the listing has no file to open
  first.write_record(common::listing_unit, "three");
  EXPECT_THROW(common::nerror(second, 1, "r", "t", 0, 0), common::RunStop);
  EXPECT_EQ(first.text(common::stdout_unit), "one\n");
  EXPECT_EQ(first.text(common::listing_unit), "three\n");
  EXPECT_EQ(second.text(common::stdout_unit), "");
  EXPECT_EQ(second.text(common::listing_unit), "two\n ** Error no.  1 in r **\n  t\n");
  try {
    common::nerror(first, 2, "r", "t", 0, 0);
  } catch (const common::RunStop& stop) {
    EXPECT_EQ(stop.code, "*** KELMA Error Termination ***");
  }
}

TEST(RunContext, ARunStopsOnItsOwnStandardError) {
  common::RunContext run("*** KELMA Error Termination ***", common::UnitsTo::memory);
  const int status = common::run_program(run, "kelma", [](common::RunContext& r) {
    r.write_record(common::stdout_unit, "record");
    common::stop_run("666");
  });
  EXPECT_EQ(status, 0);
  EXPECT_EQ(run.text(common::stdout_unit), "record\n");
  EXPECT_EQ(run.text(common::stderr_unit), "STOP 666 statement executed\n");
  common::RunContext rejected("", common::UnitsTo::memory);
  EXPECT_EQ(common::run_program(rejected, "kelma",
                                [](common::RunContext&) { common::input_error("bad line"); }),
            common::input_error_status);
  EXPECT_EQ(rejected.text(common::stderr_unit), "kelma: bad line\n");
}

} // namespace

TEST(RunContext, UnitsThatGoNowhereKeepNothingAndOpenNoFile) {
  const support::ScratchFolder scratch("nowhere_units");
  const std::filesystem::path& folder = scratch.path();
  {
    const support::InFolder here(folder);
    common::RunContext run("", common::UnitsTo::nowhere);
    EXPECT_FALSE(run.keeps_records());
    run.open_listing();
    run.write_record(common::trace_unit, "@ dropped");
    run.write_record(common::listing_unit, "dropped");
    run.close_all_units();
    EXPECT_EQ(run.text(common::trace_unit), "");
  }
  EXPECT_FALSE(std::filesystem::exists(folder / common::trace_file));
  EXPECT_FALSE(std::filesystem::exists(folder / common::listing_file));
  EXPECT_FALSE(std::filesystem::exists(folder / common::unnamed_listing_file));
}
