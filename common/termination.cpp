#include "common/termination.hpp"

#include <utility>

#include "common/channels.hpp"

namespace common {

namespace {
std::string& banner_text() {
  static std::string text;
  return text;
}
} // namespace

std::string stop_line(std::string_view code) {
  return std::string(stop_prefix) + std::string(code) + std::string(stop_suffix);
}

void stop_run(std::string_view code) { throw RunStop{std::string(code), std::nullopt}; }

void stop_run(std::string_view code, NumberedReport report) {
  throw RunStop{std::string(code), std::move(report)};
}

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
    write_record(stderr_unit, stop_line(stop.code));
  } catch (const InputError& error) {
    write_record(stderr_unit, std::string(program_name) + ": " + error.what());
    status = input_error_status;
  }
  close_all_units();
  return status;
}

} // namespace common
