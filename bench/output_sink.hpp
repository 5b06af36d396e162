// Points the output units 6, 8 and 9 at memory while a benchmark runs whole programs.
#pragma once

#include <sstream>

#include "common/channels.hpp"

namespace bench {

class OutputSink {
public:
  OutputSink() {
    for (const int unit : units)
      common::redirect_unit(unit, &text_);
  }
  ~OutputSink() {
    for (const int unit : units)
      common::redirect_unit(unit, nullptr);
  }
  OutputSink(const OutputSink&) = delete;
  OutputSink& operator=(const OutputSink&) = delete;

  // Drops what the last run wrote, so that the buffer does not grow across iterations.
  void clear() { text_.str({}); }

private:
  static constexpr int units[] = {common::stdout_unit, common::listing_unit, common::trace_unit};
  std::ostringstream text_;
};

} // namespace bench
