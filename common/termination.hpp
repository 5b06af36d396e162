// How a run ends. A fatal end of the program's own logic (numbered report, workspace report,
// cycle limit) throws RunStop, which only the main program catches: it writes the STOP line on
// standard error and exits with status 0. Input that cannot be read throws InputError: a
// one-line diagnostic on standard error and exit status 2.
#pragma once

#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "common/run_context.hpp"

namespace common {

inline constexpr int input_error_status = 2;

// The STOP line on standard error is stop_prefix, the stop code, then stop_suffix.
inline constexpr std::string_view stop_prefix = "STOP ";
inline constexpr std::string_view stop_suffix = " statement executed";

// Stop codes of the programs' own fatal ends (a numbered report stops with the banner as code).
inline constexpr std::string_view memory_stop_code = "9";   // the workspace check
inline constexpr std::string_view cycle_limit_code = "666"; // kelma's cycle limit

// The STOP line of a stop code, without its line end.
std::string stop_line(std::string_view code);

// What nerror reported, for callers that run a program body in process.
struct NumberedReport {
  int number = 0;
  std::string routine;
  std::string text;
  int ip1 = 0;
  int ip2 = 0;
};

struct RunStop {
  std::string code; // the text between "STOP " and " statement executed"
  std::optional<NumberedReport> report;
};

class InputError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// Ends the run with "STOP <code> statement executed" on standard error, exit status 0.
[[noreturn]] void stop_run(std::string_view code);

// The same after the numbered report, which the stop carries.
[[noreturn]] void stop_run(std::string_view code, NumberedReport report);

// Ends the run with an input-layer diagnostic.
[[noreturn]] void input_error(const std::string& what);

// A program body: one run on the context it is given.
using ProgramBody = std::function<void(RunContext&)>;

// Runs a program body on run as the main program does: catches the two ways of ending early
// (the STOP line or the diagnostic, named after the program, on the run's standard error), closes
// the run's units and returns the exit status.
int run_program(RunContext& run, std::string_view program_name, const ProgramBody& body);

} // namespace common
