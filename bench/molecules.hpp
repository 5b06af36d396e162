// Molecules for the benchmarks, generated so that every size is at hand without data files.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace bench {

// Keyword settings of a generated kelma input.
struct KelmaJob {
  int jobtype = 0;
  int print = 0;
  double vdwc = 8.0;
  double gtol = 0.0005;
  double etol = 1.0e-6;
  int nsteps = 2000;
};

struct Atom {
  double x, y, z;
  const char* element;
  int type; // force-field type
};

struct Bond {
  int i, j; // 1-based atom numbers, bond code 1
};

struct Molecule {
  std::vector<Atom> atoms;
  std::vector<Bond> bonds;
};

// The straight-chain alkane CnH2n+2 (carbons type 1, hydrogens type 13) in the ideal staggered
// zigzag: C-C 1.54, C-H 1.09 Angstrom, tetrahedral angles. Carbons first, then the hydrogens
// carbon by carbon.
Molecule alkane(int carbons);

// The kelma input of a molecule.
std::string kelma_input(const Molecule& molecule, const KelmaJob& job);

// alkane(carbons) as kelma input.
std::string alkane_input(int carbons, const KelmaJob& job);

// A molecule as a Tripos MOL2 file (atom types C.3 and H, single bonds).
std::string mol2_text(const Molecule& molecule, const std::string& name);

// The symmetry input of atoms on the face-centred cubic lattice within a sphere around one lattice
// point (point group Oh): 489 atoms for the radius used here.
std::string fcc_cluster_input(double thrsym);

// The symmetry input of natoms atoms scattered without symmetry (C1) through a box.
std::string scattered_cluster_input(int natoms, double thrsym);

// The text of a file.
std::string read_file(const std::filesystem::path& path);

// The .in files of examples/<program>, sorted by name (none when the folder is missing).
std::vector<std::filesystem::path> example_inputs(const std::string& program);

} // namespace bench
