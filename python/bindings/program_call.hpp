// A program body run in process: the output units point at memory for the call, nerror carries
// the program's banner, and the fatal ends of the program's own logic come back as a value.
#pragma once

#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>

#include <pybind11/pybind11.h>

#include "common/keyword_input.hpp"
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

// A program's reader on a keyword input text: the fields of the call, and the input when the
// reader got to its end.
template <class Input>
std::pair<pybind11::dict, std::optional<Input>>
read_keyword_input(std::string_view banner, const std::string& text,
                   Input (*reader)(common::InputDeck&)) {
  std::istringstream stream(text);
  std::optional<Input> in;
  const CallOutput output = call_program(banner, [&] {
    common::InputDeck deck(stream);
    in = reader(deck);
  });
  return {call_fields(output), std::move(in)};
}

} // namespace bindings
