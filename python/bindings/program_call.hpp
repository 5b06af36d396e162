// A program body run in process on a run context of its own whose units are kept in memory: nerror
// carries the program's banner, and the fatal ends of the program's own logic come back as a
// value. From Python the body runs without the interpreter lock, so Python threads run molecules
// at once; a worker process forked from Python runs it without touching the interpreter at all.
#pragma once

#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>

#include <pybind11/pybind11.h>

#include "common/keyword_input.hpp"
#include "common/run_context.hpp"
#include "common/termination.hpp"

namespace bindings {

struct CallOutput {
  std::string stdout_text; // unit 6
  std::string listing;     // unit 8
  std::optional<common::RunStop> stop;
};

// Runs body on a run whose units go where (memory, or nowhere for a caller that wants only the
// structured result). An InputError passes through to the caller (the module turns it into
// ValueError). Touches no Python object, so a forked worker may call it.
CallOutput run_body(std::string_view banner, const common::ProgramBody& body,
                    common::UnitsTo where = common::UnitsTo::memory);

// run_body with the interpreter lock released: body must touch no Python object.
CallOutput call_program(std::string_view banner, const common::ProgramBody& body,
                        common::UnitsTo where = common::UnitsTo::memory);

// Where the units of a call go: memory when the caller keeps the records or the listing.
common::UnitsTo units_for(bool keep_texts);

// The "stop" field of a call: None, or a dict of the stop code and the numbered report.
pybind11::object stop_field(const std::optional<common::RunStop>& stop);

// The parts of a call that every result has: "stdout", "listing" and "stop" (None, or a dict of
// the stop code and the numbered report when there was one).
pybind11::dict call_fields(const CallOutput& output);

// A program's reader on a keyword input text: the fields of the call, and the input when the
// reader got to its end.
template <class Input>
std::pair<pybind11::dict, std::optional<Input>>
read_keyword_input(std::string_view banner, const std::string& text,
                   Input (*reader)(common::RunContext&, common::InputDeck&)) {
  std::istringstream stream(text);
  std::optional<Input> in;
  const CallOutput output = call_program(banner, [&](common::RunContext& run) {
    common::InputDeck deck(stream);
    in = reader(run, deck);
  });
  return {call_fields(output), std::move(in)};
}

} // namespace bindings
