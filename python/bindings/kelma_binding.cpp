#include "kelma_binding.hpp"

#include <optional>
#include <string>
#include <utility>

#include "arrays.hpp"
#include "kelma/driver.hpp"
#include "kelma/parameter_tables.hpp"
#include "kelma/units.hpp"
#include "molecule_calls.hpp"
#include "program_call.hpp"

namespace bindings {

namespace py = pybind11;

namespace {

// The (atom, atom, code) rows of the bond-code matrix, 0-based, first atom not above the second.
IntArray bond_rows(const std::vector<int>& conn, int natoms) {
  const auto n = static_cast<std::size_t>(natoms);
  std::vector<int> rows;
  for (std::size_t j = 0; j < n; ++j) {
    for (std::size_t i = 0; i <= j; ++i) {
      if (const int code = conn[i + j * n]; code != 0)
        rows.insert(rows.end(), {static_cast<int>(i), static_cast<int>(j), code});
    }
  }
  IntArray array({static_cast<py::ssize_t>(rows.size() / 3), py::ssize_t{3}});
  std::copy(rows.begin(), rows.end(), array.mutable_data());
  return array;
}

// The figures of every cycle as an (m, 3) array of energy (hartree), RMS force (hartree/bohr)
// and step (bohr), and which cycles went on by a line search.
std::pair<DoubleArray, py::array_t<bool>> cycle_arrays(const kelma::KelmaResult& result) {
  const auto m = static_cast<py::ssize_t>(result.cycles.size());
  DoubleArray figures({m, py::ssize_t{3}});
  py::array_t<bool> line_search(m);
  auto out = figures.mutable_unchecked<2>();
  auto searched = line_search.mutable_unchecked<1>();
  for (py::ssize_t k = 0; k < m; ++k) {
    const kelma::CycleFigures& cycle = result.cycles[static_cast<std::size_t>(k)];
    out(k, 0) = cycle.energy;
    out(k, 1) = cycle.rms_force;
    out(k, 2) = cycle.step;
    searched(k) = cycle.line_search;
  }
  return {figures, line_search};
}

py::dict optimise(const DoubleArray& coordinates, const IntArray& types, const IntArray& bonds,
                  int jobtype, double gtol, double etol, int nsteps, double vdwc, int print,
                  bool keep_texts) {
  MoleculeArrays molecule;
  molecule.xyz = coordinate_values(coordinates);
  molecule.types = type_values(types);
  molecule.bonds = bond_values(bonds);
  const KelmaSettings settings{jobtype, gtol, etol, nsteps, vdwc, print};
  const KelmaCall call = [&] {
    const py::gil_scoped_release unlocked;
    return call_kelma(molecule, settings, units_for(keep_texts));
  }();
  return kelma_fields(call);
}

py::dict read_input(const std::string& text) {
  auto [result, in] = read_keyword_input(kelma::termination_banner, text, &kelma::read_kelma_input);
  if (!in)
    return result;
  result["coordinates"] = coordinate_array(in->xyz);
  result["types"] = IntArray(static_cast<py::ssize_t>(in->itype.size()), in->itype.data());
  result["bonds"] = bond_rows(in->conn, in->natoms);
  result["settings"] = py::dict(py::arg("jobtype") = in->jobtype, py::arg("gtol") = in->gtol,
                                py::arg("etol") = in->etol, py::arg("nsteps") = in->nsteps,
                                py::arg("vdwc") = in->vdwc, py::arg("print_level") = in->print);
  return result;
}

} // namespace

py::dict kelma_fields(const KelmaCall& call) {
  py::dict result = call_fields(call.output);
  const auto [figures, line_search] = cycle_arrays(call.result);
  result["cycles"] = figures;
  result["line_search"] = line_search;
  result["cycle_count"] = call.result.cycle_count;
  result["converged"] = call.result.outcome == kelma::Outcome::converged;
  result["coordinates"] = coordinate_array(call.result.xyz);
  return result;
}

void add_kelma(py::module_& module) {
  module.attr("type_count") = kelma::type_count;
  module.attr("hartree_per_kcal") = kelma::hartree_per_kcal;
  module.def("optimise", &optimise, py::arg("coordinates"), py::arg("types"), py::arg("bonds"),
             py::arg("jobtype"), py::arg("gtol"), py::arg("etol"), py::arg("nsteps"),
             py::arg("vdwc"), py::arg("print_level"), py::arg("keep_texts"),
             "kelma's run on arrays: the figures of every cycle, the final coordinates in full "
             "precision, how it ended and, with keep_texts, its records and listing.");
  module.def("read_kelma_input", &read_input, py::arg("text"),
             "kelma's reader on a keyword input text.");
}

} // namespace bindings
