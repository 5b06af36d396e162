#include "force_field_binding.hpp"

#include <utility>
#include <vector>

#include "arrays.hpp"
#include "kelma/driver.hpp"
#include "kelma/energy.hpp"
#include "kelma/setup.hpp"
#include "kelma/topology.hpp"
#include "kelma/workspace.hpp"
#include "molecule_calls.hpp"
#include "program_call.hpp"

namespace bindings {

namespace py = pybind11;

namespace {

class ForceField {
public:
  // The set-up of the molecule's force field: the parameters of its pairs, bends, torsions and
  // out-of-plane bends. A numbered report of the set-up comes back in output.stop.
  ForceField(const MoleculeArrays& molecule, double vdwc, CallOutput& output)
      : natoms_(static_cast<int>(molecule.types.size())), vdwc_(vdwc), itype_(molecule.types),
        conn_(bond_matrix(molecule.bonds, natoms_)) {
    common::check_atom_count(natoms_, common::max_atoms);
    kelma::check_types(itype_);
    kelma::check_geometry(natoms_, molecule.xyz);
    int maxbend = 0;
    int maxtors = 0;
    kelma::ffcount(natoms_, conn_, maxbend, maxtors);
    ff_ = kelma::make_workspace(natoms_, maxbend, maxtors, 0).ff;
    output = run_body(
        kelma::termination_banner,
        [&](common::RunContext& run) {
          kelma::ffsetup(run, natoms_, maxbend, maxtors, 0, molecule.xyz, itype_, conn_, ff_);
        },
        common::UnitsTo::nowhere);
  }

  int atom_count() const { return natoms_; }

  // The energy (kcal/mol) and its gradient ((n, 3), kcal/mol/Angstrom) at the coordinates.
  std::pair<double, DoubleArray> energy_gradient(const DoubleArray& coordinates) const {
    const std::vector<double> xyz = coordinate_values(coordinates);
    if (xyz.size() != 3 * static_cast<std::size_t>(natoms_))
      reject("coordinates must hold the " + std::to_string(natoms_) + " atoms of the molecule");
    const auto n = static_cast<std::size_t>(natoms_);
    std::vector<double> dist(n * n);
    std::vector<double> grad(3 * n);
    double energy = 0.0;
    {
      const py::gil_scoped_release unlocked;
      energy = kelma::gradient_terms(natoms_, vdwc_, xyz, itype_, conn_, ff_, dist, grad).total;
    }
    return {energy, coordinate_array(grad)};
  }

private:
  int natoms_;
  double vdwc_;
  std::vector<int> itype_;
  std::vector<int> conn_;
  kelma::ForceFieldArrays ff_;
};

// The force field of the molecule and the fields of its set-up ("stop" for a numbered report).
py::tuple set_up(const DoubleArray& coordinates, const IntArray& types, const IntArray& bonds,
                 double vdwc) {
  MoleculeArrays molecule;
  molecule.xyz = coordinate_values(coordinates);
  molecule.types = type_values(types);
  molecule.bonds = bond_values(bonds);
  if (molecule.xyz.size() != 3 * molecule.types.size())
    reject("types must hold one force-field type per atom");
  CallOutput output;
  auto field = std::make_unique<ForceField>(molecule, vdwc, output);
  return py::make_tuple(std::move(field), call_fields(output));
}

} // namespace

void add_force_field(py::module_& module) {
  py::class_<ForceField>(module, "ForceField")
      .def_property_readonly("atom_count", &ForceField::atom_count)
      .def("energy_gradient", &ForceField::energy_gradient, py::arg("coordinates"),
           "The energy (kcal/mol) and its gradient ((n, 3), kcal/mol/Angstrom) at the "
           "coordinates (Angstrom).");
  module.def("force_field", &set_up, py::arg("coordinates"), py::arg("types"), py::arg("bonds"),
             py::arg("vdwc"),
             "kelma's force field set up from the molecule's geometry, and the fields of the "
             "set-up.");
}

} // namespace bindings
