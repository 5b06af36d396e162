// A program body run in process: the output units point at memory for the call, nerror carries
// the program's banner, and the fatal ends of the program's own logic come back as a value.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include <pybind11/pybind11.h>

#include "common/termination.hpp"

namespace bindings {

inline constexpr std::string_view kelma_banner = "*** KELMA Error Termination ***";
inline constexpr std::string_view symmetry_banner = "*** SYMMETRY Error Termination ***";

struct CallOutput {
  std::string stdout_text; // unit 6
  std::string listing;     // unit 8
  std::optional<common::RunStop> stop;
};

// Runs body with units 6, 8 and 9 in memory; an InputError passes through to the caller (the
// module turns it into ValueError).
CallOutput call_program(std::string_view banner, const std::function<void()>& body);

// The parts of a call that every result has: "stdout", "listing" and "stop" (None, or a dict of
// the stop code and the numbered report when there was one).
pybind11::dict call_fields(const CallOutput& output);

} // namespace bindings
