#include "molecule_calls.hpp"

#include <string>

#include "common/keyword_input.hpp"
#include "kelma/driver.hpp"
#include "symmetry/driver.hpp"

namespace bindings {

namespace {

// The stop of a result that did not converge, as a run's stop.
std::optional<common::RunStop> result_stop(const kelma::KelmaResult& result) {
  if (result.outcome == kelma::Outcome::converged)
    return std::nullopt;
  return common::RunStop{result.stop_code, result.report};
}

// The element labels as getcoord1 makes them: the symbols as given (the package has checked that
// each fits the two columns), padded to 8.
std::vector<std::string> element_labels(const std::vector<std::string>& elements, int natoms) {
  if (elements.size() != static_cast<std::size_t>(natoms))
    throw common::InputError("elements must hold one symbol per atom");
  std::vector<std::string> labels;
  for (std::string label : elements) {
    label.resize(common::label_length, ' ');
    labels.push_back(label);
  }
  return labels;
}

int atom_count(const std::vector<double>& xyz) {
  const auto natoms = static_cast<int>(xyz.size() / 3);
  common::check_atom_count(natoms, common::max_atoms);
  return natoms;
}

} // namespace

std::vector<int> bond_matrix(const std::vector<BondRow>& bonds, int natoms) {
  const auto n = static_cast<std::size_t>(natoms);
  std::vector<int> conn(n * n, 0);
  for (std::size_t row = 0; row < bonds.size(); ++row) {
    const BondRow& bond = bonds[row];
    if (bond.i < 0 || bond.i >= natoms || bond.j < 0 || bond.j >= natoms) {
      throw common::InputError("bond " + std::to_string(row + 1) + ": atom index outside 0.." +
                               std::to_string(natoms - 1));
    }
    const auto i = static_cast<std::size_t>(bond.i);
    const auto j = static_cast<std::size_t>(bond.j);
    conn[i + j * n] = bond.code;
    conn[j + i * n] = bond.code;
  }
  return conn;
}

KelmaCall call_kelma(const MoleculeArrays& molecule, const KelmaSettings& settings,
                     common::UnitsTo where) {
  kelma::KelmaInput in;
  in.natoms = atom_count(molecule.xyz);
  kelma::check_jobtype(settings.jobtype);
  in.jobtype = settings.jobtype;
  in.vdwc = settings.vdwc;
  in.print = settings.print;
  in.gtol = settings.gtol;
  in.etol = settings.etol;
  in.nsteps = settings.nsteps;
  in.xyz = molecule.xyz;
  if (molecule.types.size() != static_cast<std::size_t>(in.natoms))
    throw common::InputError("types must hold one force-field type per atom");
  in.itype = molecule.types;
  kelma::check_types(in.itype);
  in.conn = bond_matrix(molecule.bonds, in.natoms);
  KelmaCall call;
  call.output = run_body(
      kelma::termination_banner,
      [&](common::RunContext& run) { call.result = kelma::optimise(run, in); }, where);
  call.output.stop = result_stop(call.result);
  if (call.result.xyz.empty())
    call.result.xyz = in.xyz;
  return call;
}

symmetry::SymmetryInput symmetry_input(const std::vector<double>& xyz,
                                       const std::vector<std::string>& elements, double thrsym) {
  symmetry::SymmetryInput in;
  in.natoms = atom_count(xyz);
  symmetry::check_thrsym(thrsym);
  in.thrsym = thrsym;
  in.xyz = xyz;
  in.symbols = element_labels(elements, in.natoms);
  return in;
}

SymmetryCall call_symmetry(const std::vector<double>& xyz, const std::vector<std::string>& elements,
                           double thrsym, int print, common::UnitsTo where) {
  symmetry::SymmetryInput in = symmetry_input(xyz, elements, thrsym);
  in.print = print;
  SymmetryCall call;
  call.natoms = in.natoms;
  call.output = run_body(
      symmetry::termination_banner,
      [&](common::RunContext& run) {
        symmetry::check_thrsym_spacing(thrsym, in.natoms, in.xyz, in.symbols);
        call.result = symmetry::run_symmetry_on_input(run, in);
      },
      where);
  return call;
}

} // namespace bindings
