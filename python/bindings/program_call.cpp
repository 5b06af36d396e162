#include "program_call.hpp"

#include <string>
#include <string_view>

#include "common/channels.hpp"
#include "text.hpp"

namespace bindings {

namespace py = pybind11;

namespace {

py::object report_fields(const std::optional<common::NumberedReport>& report) {
  if (!report)
    return py::none();
  return py::dict(py::arg("number") = report->number, py::arg("routine") = text(report->routine),
                  py::arg("text") = text(report->text),
                  py::arg("parameters") = py::make_tuple(report->ip1, report->ip2));
}

} // namespace

CallOutput run_body(std::string_view banner, const common::ProgramBody& body,
                    common::UnitsTo where) {
  CallOutput output;
  common::RunContext run(banner, where);
  try {
    body(run);
  } catch (const common::RunStop& stop) {
    output.stop = stop;
  }
  output.stdout_text = run.text(common::stdout_unit);
  output.listing = run.text(common::listing_unit);
  return output;
}

CallOutput call_program(std::string_view banner, const common::ProgramBody& body,
                        common::UnitsTo where) {
  const py::gil_scoped_release unlocked;
  return run_body(banner, body, where);
}

common::UnitsTo units_for(bool keep_texts) {
  return keep_texts ? common::UnitsTo::memory : common::UnitsTo::nowhere;
}

py::object stop_field(const std::optional<common::RunStop>& stop) {
  if (!stop)
    return py::none();
  return py::dict(py::arg("code") = text(stop->code),
                  py::arg("report") = report_fields(stop->report));
}

py::dict call_fields(const CallOutput& output) {
  py::dict fields;
  fields["stdout"] = text(output.stdout_text);
  fields["listing"] = text(output.listing);
  fields["stop"] = stop_field(output.stop);
  return fields;
}

} // namespace bindings
