// Points the output units 6, 8 and 9 at memory while a benchmark runs whole programs.
#pragma once

#include <string>
#include <string_view>

#include "common/channels.hpp"

namespace bench {

class OutputSink {
public:
  OutputSink() {
    for (const int unit : units)
      common::redirect_unit(unit, [this](std::string_view chunk) { text_ += chunk; });
  }
  ~OutputSink() {
    for (const int unit : units)
      common::redirect_unit(unit, nullptr);
  }
  OutputSink(const OutputSink&) = delete;
  OutputSink& operator=(const OutputSink&) = delete;

  // Drops what the last run wrote, so that the buffer does not grow across iterations.
  void clear() { text_.clear(); }

private:
  static constexpr int units[] = {common::stdout_unit, common::listing_unit, common::trace_unit};
  std::string text_;
};

} // namespace bench
