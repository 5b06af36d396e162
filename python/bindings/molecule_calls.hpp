// kelma and symmetry on a molecule given as arrays: what the package's single calls run, and what
// a worker process of a batch runs for each molecule. Nothing here touches the interpreter, so a
// process forked from Python may run it.
#pragma once

#include <string>
#include <vector>

#include "kelma/input.hpp"
#include "kelma/result.hpp"
#include "program_call.hpp"
#include "symmetry/input.hpp"
#include "symmetry/result.hpp"

namespace bindings {

// A bond as (atom, atom, code) with 0-based atoms.
struct BondRow {
  int i = 0;
  int j = 0;
  int code = 0;
};

// A molecule as both programs take it: coordinates in Angstrom, atom by atom.
struct MoleculeArrays {
  std::vector<std::string> elements; // at most two characters each
  std::vector<int> types;            // force-field types 1-32
  std::vector<double> xyz;           // 3 per atom
  std::vector<BondRow> bonds;
};

// The keyword values of a kelma run.
struct KelmaSettings {
  int jobtype = 0;
  double gtol = 0.0;
  double etol = 0.0;
  int nsteps = 0;
  double vdwc = 0.0;
  int print = 0;
};

struct KelmaCall {
  CallOutput output;
  kelma::KelmaResult result; // xyz: the start when the run stopped before its first cycle
};

struct SymmetryCall {
  CallOutput output; // a stop leaves result as made for the atoms
  symmetry::SymmetryResult result;
  int natoms = 0;
};

// The bond-code matrix as getconn fills it; InputError for a bond of an atom outside the molecule.
std::vector<int> bond_matrix(const std::vector<BondRow>& bonds, int natoms);

// kelma on the molecule, its units where asked. InputError for input the program rejects.
KelmaCall call_kelma(const MoleculeArrays& molecule, const KelmaSettings& settings,
                     common::UnitsTo where);

// symmetry's input from the atoms, their element symbols and the tolerance (checked as the program
// checks $thrsym; the spacing bound is the caller's to check, inside the call). InputError for a
// count of atoms or elements the program rejects.
symmetry::SymmetryInput symmetry_input(const std::vector<double>& xyz,
                                       const std::vector<std::string>& elements, double thrsym);

// symmetry on the coordinates and elements. InputError for input the program rejects (the
// tolerance included).
SymmetryCall call_symmetry(const std::vector<double>& xyz, const std::vector<std::string>& elements,
                           double thrsym, int print, common::UnitsTo where);

} // namespace bindings
