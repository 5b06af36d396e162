#include "tools_binding.hpp"

#include "common/worker_pool.hpp"
#include "text.hpp"
#include "tools/core/keyword_writer.hpp"
#include "tools/core/run_output.hpp"
#include "tools/core/status.hpp"
#include "tools/formats/sources.hpp"

namespace bindings {

namespace py = pybind11;

namespace {

py::dict job_defaults() {
  const tools::JobOptions defaults;
  return py::dict(py::arg("jobtype") = defaults.jobtype, py::arg("vdwc") = defaults.vdwc,
                  py::arg("print") = defaults.print, py::arg("gtol") = defaults.gtol,
                  py::arg("etol") = defaults.etol, py::arg("nsteps") = defaults.nsteps,
                  py::arg("thrsym") = defaults.thrsym);
}

py::dict outcome_words() {
  using tools::Outcome;
  py::dict words;
  for (const auto& [name, outcome] :
       {std::pair{"converged", Outcome::converged}, std::pair{"cycle_limit", Outcome::cycle_limit},
        std::pair{"numbered_report", Outcome::numbered_report},
        std::pair{"input_error", Outcome::input_error}, std::pair{"timeout", Outcome::timeout},
        std::pair{"point_group", Outcome::point_group},
        std::pair{"not_symmetrised", Outcome::not_symmetrised},
        std::pair{"skipped", Outcome::skipped}, std::pair{"failed", Outcome::failed}})
    words[name] = text(tools::outcome_words(outcome));
  return words;
}

py::dict result_fields() {
  return py::dict(
      py::arg("energy") = tools::energy_field, py::arg("energy_kcal") = tools::energy_kcal_field,
      py::arg("rms_force") = tools::rms_force_field, py::arg("cycles") = tools::cycles_field,
      py::arg("converged") = tools::converged_field,
      py::arg("point_group") = tools::point_group_field, py::arg("yes") = tools::field_yes,
      py::arg("no") = tools::field_no);
}

} // namespace

void add_tools(py::module_& module) {
  module.attr("job_defaults") = job_defaults();
  module.attr("default_timeout_seconds") = tools::default_preparation_seconds;
  module.attr("outcome_words") = outcome_words();
  module.attr("result_fields") = result_fields();
  module.def("available_cpus", &common::available_cpus,
             "The CPUs this process may run on: the tools' number of workers.");
  module.def(
      "automatic_cycle_limit",
      [](std::size_t atoms) { return tools::automatic_cycle_limit(atoms); }, py::arg("atoms"),
      "The cycle limit of nsteps \"auto\": 50 per atom, 1000 to 9998.");
}

} // namespace bindings
