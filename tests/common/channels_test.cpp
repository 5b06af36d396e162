#include "common/channels.hpp"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace {

// Every piece the unit hands over, in order.
struct Pieces {
  std::vector<std::string> got;
  explicit Pieces(int unit) : unit_(unit) {
    common::redirect_unit(unit, [this](std::string_view piece) { got.emplace_back(piece); });
  }
  ~Pieces() { common::redirect_unit(unit_, nullptr); }
  Pieces(const Pieces&) = delete;
  Pieces& operator=(const Pieces&) = delete;

private:
  int unit_;
};

TEST(Channels, RecordsReachTheUnitInOnePiecePerFlush) {
  Pieces trace(common::trace_unit);
  common::write_record(common::trace_unit, "**  first");
  common::write_lines(common::trace_unit, "@ a\n@ b\n");
  EXPECT_TRUE(trace.got.empty());
  common::flush_unit(common::trace_unit);
  common::flush_unit(common::trace_unit); // nothing new: no empty piece
  common::write_blank(common::trace_unit);
  common::flush_unit(common::trace_unit);
  EXPECT_EQ(trace.got, (std::vector<std::string>{"**  first\n@ a\n@ b\n", "\n"}));
}

TEST(Channels, RedirectingHandsOverWhatWasCollectedFirst) {
  std::vector<std::string> old_sink;
  common::redirect_unit(common::stdout_unit,
                        [&old_sink](std::string_view piece) { old_sink.emplace_back(piece); });
  common::write_record(common::stdout_unit, "before");
  {
    Pieces out(common::stdout_unit);
    EXPECT_EQ(old_sink, std::vector<std::string>{"before\n"});
    common::write_record(common::stdout_unit, "after");
  }
  EXPECT_EQ(old_sink.size(), 1u);
}

} // namespace
