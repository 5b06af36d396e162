#include "common/termination.hpp"

#include <cstdio>

#include "common/channels.hpp"

namespace common {

namespace {

// One line on standard error, written through the C stream as every other unit is.
void write_error_line(const std::string& line) {
  std::fputs(line.c_str(), stderr);
  std::fputc('\n', stderr);
}

std::string& banner_text() {
  static std::string text;
  return text;
}
} // namespace

void stop_run(std::string_view code) { throw RunStop{std::string(code)}; }

void input_error(const std::string& what) { throw InputError(what); }

void set_banner(std::string_view banner) { banner_text() = banner; }

const std::string& banner() { return banner_text(); }

int run_program(std::string_view program_name, std::string_view banner, void (*body)()) {
  set_banner(banner);
  int status = 0;
  try {
    body();
  } catch (const RunStop& stop) {
    close_all_units();
    write_error_line("STOP " + stop.code + " statement executed");
  } catch (const InputError& error) {
    write_error_line(std::string(program_name) + ": " + error.what());
    status = input_error_status;
  }
  close_all_units();
  return status;
}

} // namespace common
