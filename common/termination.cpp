#include "common/termination.hpp"

#include <utility>

namespace common {

std::string stop_line(std::string_view code) {
  return std::string(stop_prefix) + std::string(code) + std::string(stop_suffix);
}

void stop_run(std::string_view code) { throw RunStop{std::string(code), std::nullopt}; }

void stop_run(std::string_view code, NumberedReport report) {
  throw RunStop{std::string(code), std::move(report)};
}

void input_error(const std::string& what) { throw InputError(what); }

int run_program(RunContext& run, std::string_view program_name, const ProgramBody& body) {
  int status = 0;
  try {
    body(run);
  } catch (const RunStop& stop) {
    run.close_all_units();
    run.write_record(stderr_unit, stop_line(stop.code));
  } catch (const InputError& error) {
    run.write_record(stderr_unit, std::string(program_name) + ": " + error.what());
    status = input_error_status;
  }
  run.close_all_units();
  return status;
}

} // namespace common
