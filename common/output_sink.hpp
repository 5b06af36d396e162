// Points the output units 6, 8 and 9 at memory for the life of the object: a benchmark that runs
// whole programs, a tool that runs a program's routines in memory.
#pragma once

#include <string>
#include <string_view>

#include "common/channels.hpp"

namespace common {

class OutputSink {
public:
  OutputSink() {
    for (const int unit : units)
      redirect_unit(unit, [this](std::string_view chunk) { text_ += chunk; });
  }
  ~OutputSink() {
    for (const int unit : units)
      redirect_unit(unit, nullptr);
  }
  OutputSink(const OutputSink&) = delete;
  OutputSink& operator=(const OutputSink&) = delete;

  // Drops what the last run wrote, so that the buffer does not grow across iterations.
  void clear() { text_.clear(); }

private:
  static constexpr int units[] = {stdout_unit, listing_unit, trace_unit};
  std::string text_;
};

} // namespace common
