#include "common/command_line.hpp"

#include <cstdio>
#include <string>
#include <unistd.h>

#ifndef PROJECT_VERSION
#error "PROJECT_VERSION is set by the build"
#endif

namespace common {

namespace {

void put(std::FILE* stream, std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), stream);
}

} // namespace

std::optional<int> command_line(int argc, const char* const* argv, const ProgramText& program) {
  if (argc <= 1) {
    if (isatty(STDIN_FILENO) != 0) {
      put(stderr, std::string(program.name) +
                      ": reading the keyword input from standard input (end it with Ctrl-D; " +
                      std::string(program.name) + " --help tells more)\n");
    }
    return std::nullopt;
  }
  const std::string_view argument = argv[1];
  if (argc == 2 && argument == "--help") {
    put(stdout, program.usage);
    return 0;
  }
  if (argc == 2 && argument == "--version") {
    put(stdout, std::string(program.name) + " " + PROJECT_VERSION + "\n");
    return 0;
  }
  put(stderr, std::string(program.name) + ": unexpected argument '" + std::string(argument) +
                  "': the keyword input is read from standard input (" + std::string(program.name) +
                  " --help)\n");
  return input_error_status;
}

int program_main(int argc, const char* const* argv, const ProgramText& program,
                 std::string_view banner, const ProgramBody& body) {
  if (const std::optional<int> status = command_line(argc, argv, program))
    return *status;
  // The units write whole blocks themselves: the C library's buffer would only split them.
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  RunContext run(banner);
  return run_program(run, program.name, body);
}

} // namespace common
