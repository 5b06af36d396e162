// The command line of the two programs. Called without arguments they read the keyword input on
// standard input, as batch jobs call them; --help and --version answer on standard output;
// anything else is refused in one line.
#pragma once

#include <optional>
#include <string_view>

#include "common/termination.hpp"

namespace common {

// What a program says of itself.
struct ProgramText {
  std::string_view name;  // "kelma"
  std::string_view usage; // the --help text, ending in a line feed
};

// The exit status with which the program ends at once (0 after --help or --version, 2 after any
// other argument), or none when it is to read its input. Without arguments and with a terminal on
// standard input, one line on standard error says where the input is read from.
std::optional<int> command_line(int argc, const char* const* argv, const ProgramText& program);

// The main program: the command line, then the body run on a context of its own, with the
// termination banner and the units on their files.
int program_main(int argc, const char* const* argv, const ProgramText& program,
                 std::string_view banner, const ProgramBody& body);

} // namespace common
