#include "group_fit_binding.hpp"

#include <optional>
#include <string>
#include <vector>

#include <pybind11/stl.h>

#include "program_call.hpp"
#include "symmetry/chosen_group.hpp"
#include "symmetry/driver.hpp"
#include "symmetry/group_choice.hpp"
#include "symmetry/tolerance_scan.hpp"
#include "symmetry_binding.hpp"
#include "text.hpp"

namespace bindings {

namespace py = pybind11;

namespace {

// The program's run on the input, without records, the interpreter lock released meanwhile.
template <class Body> void run_quietly(const symmetry::SymmetryInput& in, Body body) {
  call_program(
      symmetry::termination_banner,
      [&](common::RunContext&) {
        symmetry::check_thrsym_spacing(in.thrsym, in.natoms, in.xyz, in.symbols);
        body();
      },
      common::UnitsTo::nowhere);
}

symmetry::SymmetryResult found_on(const symmetry::SymmetryInput& in) {
  symmetry::SymmetryInput copy = in;
  common::RunContext run("", common::UnitsTo::nowhere);
  return symmetry::run_symmetry_on_input(run, copy);
}

py::dict scan_row(const symmetry::ScanRow& row) {
  return py::dict(py::arg("tolerance") = row.tolerance, py::arg("refused") = row.refused,
                  py::arg("label") = text(row.label), py::arg("order") = row.order,
                  py::arg("degrees_of_freedom") = row.degrees,
                  py::arg("deviation") = deviation_fields(row.deviation),
                  py::arg("fell_back") = row.fallback != symmetry::Status::ok);
}

py::dict scan(const DoubleArray& coordinates, const std::vector<std::string>& elements,
              double thrsym, const std::optional<std::vector<double>>& ladder) {
  const symmetry::SymmetryInput in =
      symmetry_input(coordinate_values(coordinates), elements, thrsym);
  symmetry::ToleranceScan found;
  run_quietly(in, [&] {
    found = ladder ? symmetry::scan_tolerances(in, *ladder)
                   : symmetry::scan_tolerances(in, symmetry::default_scan_ladder);
  });
  py::list rows;
  for (const symmetry::ScanRow& row : found.rows)
    rows.append(scan_row(row));
  return py::dict(py::arg("rows") = rows, py::arg("label") = text(found.label),
                  py::arg("holds_from") = found.holds_from);
}

py::dict symmetrise(const DoubleArray& coordinates, const std::vector<std::string>& elements,
                    double thrsym, const std::string& label,
                    const std::optional<symmetry::Axis>& along) {
  const symmetry::SymmetryInput in =
      symmetry_input(coordinate_values(coordinates), elements, thrsym);
  symmetry::ChosenGroup chosen;
  std::string found_label;
  run_quietly(in, [&] {
    const symmetry::SymmetryResult found = found_on(in);
    found_label = found.label;
    chosen = symmetry::symmetrise_to(in, found, label, along);
  });
  py::dict fields(py::arg("refusal") = text(chosen.refusal), py::arg("choices") = chosen.choices,
                  py::arg("found") = text(found_label));
  if (chosen.refusal.empty())
    add_result_fields(fields, chosen.result, in.natoms);
  return fields;
}

py::dict weigh(const DoubleArray& coordinates, const std::vector<std::string>& elements,
               double thrsym) {
  const symmetry::SymmetryInput in =
      symmetry_input(coordinate_values(coordinates), elements, thrsym);
  symmetry::GroupChoice choice;
  std::string answer;
  run_quietly(in, [&] {
    const symmetry::SymmetryResult found = found_on(in);
    answer = found.label;
    choice = symmetry::choose_group(in, found);
  });
  py::dict fields(py::arg("answer") = text(answer), py::arg("replaced") = choice.replaced,
                  py::arg("tolerance") = choice.tolerance);
  add_result_fields(fields, choice.chosen, in.natoms);
  py::list near;
  for (const symmetry::HeldGroup& g : choice.near)
    near.append(py::dict(py::arg("label") = text(g.label), py::arg("order") = g.order,
                         py::arg("tolerance") = g.tolerance,
                         py::arg("deviation") = deviation_fields(g.deviation)));
  fields["near"] = near;
  return fields;
}

} // namespace

void add_group_fit(py::module_& module) {
  module.def("scan_tolerances", &scan, py::arg("coordinates"), py::arg("elements"),
             py::arg("thrsym"), py::arg("ladder"),
             "The group found at every tolerance of a ladder, and where the answer holds.");
  module.def("symmetrise_to", &symmetrise, py::arg("coordinates"), py::arg("elements"),
             py::arg("thrsym"), py::arg("label"), py::arg("along"),
             "The atoms symmetrised to the found group or a subgroup of it, or why not.");
  module.def("weigh_point_group", &weigh, py::arg("coordinates"), py::arg("elements"),
             py::arg("thrsym"),
             "symmetry's answer weighed against the groups a tighter search finds.");
}

} // namespace bindings
