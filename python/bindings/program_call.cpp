#include "program_call.hpp"

#include <array>
#include <string>
#include <string_view>

#include "common/channels.hpp"
#include "text.hpp"

namespace bindings {

namespace py = pybind11;

namespace {

constexpr std::array<int, 3> captured_units{common::stdout_unit, common::listing_unit,
                                            common::trace_unit};

// Points the units at the texts for its lifetime, so that an exception restores them too; what
// a unit still holds reaches its text when the unit is restored.
class UnitsInMemory {
public:
  explicit UnitsInMemory(std::array<std::string, 3>& sinks) {
    for (std::size_t k = 0; k < captured_units.size(); ++k) {
      std::string& text = sinks[k];
      common::redirect_unit(captured_units[k], [&text](std::string_view chunk) { text += chunk; });
    }
  }
  ~UnitsInMemory() {
    for (const int unit : captured_units)
      common::redirect_unit(unit, nullptr);
  }
  UnitsInMemory(const UnitsInMemory&) = delete;
  UnitsInMemory& operator=(const UnitsInMemory&) = delete;
};

py::object report_fields(const std::optional<common::NumberedReport>& report) {
  if (!report)
    return py::none();
  return py::dict(py::arg("number") = report->number, py::arg("routine") = text(report->routine),
                  py::arg("text") = text(report->text),
                  py::arg("parameters") = py::make_tuple(report->ip1, report->ip2));
}

} // namespace

CallOutput call_program(std::string_view banner, const std::function<void()>& body) {
  std::array<std::string, 3> sinks;
  CallOutput output;
  {
    const UnitsInMemory in_memory(sinks);
    common::set_banner(banner);
    try {
      body();
    } catch (const common::RunStop& stop) {
      output.stop = stop;
    }
  }
  output.stdout_text = sinks[0];
  output.listing = sinks[1];
  return output;
}

py::dict call_fields(const CallOutput& output) {
  py::dict fields;
  fields["stdout"] = text(output.stdout_text);
  fields["listing"] = text(output.listing);
  fields["stop"] =
      output.stop ? py::object(py::dict(py::arg("code") = text(output.stop->code),
                                        py::arg("report") = report_fields(output.stop->report)))
                  : py::object(py::none());
  return fields;
}

} // namespace bindings
