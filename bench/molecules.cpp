#include "bench/molecules.hpp"

#include "common/vectors.hpp"
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>
#include <string_view>

namespace bench {

namespace {

using common::Vec3;

constexpr double cc_bond = 1.54;
constexpr double ch_bond = 1.09;
// Half the tetrahedral angle, radians.
constexpr double half_tetrahedral = 0.9553166181245093;
constexpr int carbon_type = 1;
constexpr int hydrogen_type = 13;

Vec3 add(const Vec3& a, const Vec3& b, double s) {
  return {a[0] + s * b[0], a[1] + s * b[1], a[2] + s * b[2]};
}

Vec3 unit(const Vec3& a) {
  const double r = std::sqrt(a[0] * a[0] + a[1] * a[1] + a[2] * a[2]);
  return {a[0] / r, a[1] / r, a[2] / r};
}

// Carbon k of the zigzag in the xy plane; k = -1 and k = carbons are the positions a further
// carbon would take, where the terminal hydrogens point.
Vec3 carbon(int k) {
  const double step = cc_bond * std::sin(half_tetrahedral);
  const double rise = cc_bond * std::cos(half_tetrahedral);
  return {k * step, (k % 2 != 0) ? rise : 0.0, 0.0};
}

// The hydrogens of carbon k: two off the plane, on the far side of the bisector of its carbon
// bonds, and at a chain end one more where the next carbon would be.
std::vector<Vec3> hydrogens(int k, int carbons) {
  const Vec3 c = carbon(k);
  const Vec3 back = unit(add(carbon(k - 1), c, -1.0));
  const Vec3 ahead = unit(add(carbon(k + 1), c, -1.0));
  const Vec3 outward = unit(add(back, ahead, 1.0));
  std::vector<Vec3> list;
  for (const double side : {1.0, -1.0}) {
    const Vec3 d = {-outward[0] * std::cos(half_tetrahedral),
                    -outward[1] * std::cos(half_tetrahedral), side * std::sin(half_tetrahedral)};
    list.push_back(add(c, d, ch_bond));
  }
  if (k == 0)
    list.push_back(add(c, back, ch_bond));
  if (k == carbons - 1)
    list.push_back(add(c, ahead, ch_bond));
  return list;
}

std::string atom_line(const Atom& a) {
  std::array<char, 96> line{};
  std::snprintf(line.data(), line.size(), "%16.10f%16.10f%16.10f     %-2s%3d\n", a.x, a.y, a.z,
                a.element, a.type);
  return line.data();
}

std::string symmetry_input(const std::vector<Atom>& atoms, double thrsym) {
  std::ostringstream text;
  text << "$natoms " << atoms.size() << "\n$thrsym " << thrsym << "\n$print 0\n$coordinates\n";
  for (const Atom& a : atoms)
    text << atom_line(a);
  text << "$end\n";
  return text.str();
}

} // namespace

Molecule alkane(int carbons) {
  Molecule m;
  for (int k = 0; k < carbons; ++k) {
    const Vec3 c = carbon(k);
    m.atoms.push_back({c[0], c[1], c[2], "C", carbon_type});
    if (k + 1 < carbons)
      m.bonds.push_back({k + 1, k + 2});
  }
  for (int k = 0; k < carbons; ++k) {
    for (const Vec3& h : hydrogens(k, carbons)) {
      m.atoms.push_back({h[0], h[1], h[2], "H", hydrogen_type});
      m.bonds.push_back({k + 1, static_cast<int>(m.atoms.size())});
    }
  }
  return m;
}

std::string kelma_input(const Molecule& molecule, const KelmaJob& job) {
  std::ostringstream text;
  text << "$natoms " << molecule.atoms.size() << "\n$fftype Tripos 5.2\n$jobtype " << job.jobtype
       << "\n$vdwc " << job.vdwc << "\n$print " << job.print << "\n$gtol " << job.gtol << "\n$etol "
       << job.etol << "\n$nsteps " << job.nsteps << "\n$coordinates\n";
  for (const Atom& a : molecule.atoms)
    text << atom_line(a);
  text << "$connectivity\n";
  for (const Bond& b : molecule.bonds)
    text << b.i << ' ' << b.j << " 1\n";
  text << "$end\n";
  return text.str();
}

std::string alkane_input(int carbons, const KelmaJob& job) {
  return kelma_input(alkane(carbons), job);
}

std::string mol2_text(const Molecule& molecule, const std::string& name) {
  std::ostringstream text;
  text << "@<TRIPOS>MOLECULE\n"
       << name << '\n'
       << molecule.atoms.size() << ' ' << molecule.bonds.size() << " 0 0 0\nSMALL\nNO_CHARGES\n\n"
       << "@<TRIPOS>ATOM\n";
  std::array<char, 128> line{};
  for (std::size_t n = 0; n < molecule.atoms.size(); ++n) {
    const Atom& a = molecule.atoms[n];
    const bool hydrogen = std::string_view(a.element) == "H";
    std::snprintf(line.data(), line.size(), "%7zu %s%-4zu %12.6f %12.6f %12.6f %-5s 1 MOL 0.0\n",
                  n + 1, a.element, n + 1, a.x, a.y, a.z, hydrogen ? "H" : "C.3");
    text << line.data();
  }
  text << "@<TRIPOS>BOND\n";
  for (std::size_t n = 0; n < molecule.bonds.size(); ++n)
    text << n + 1 << ' ' << molecule.bonds[n].i << ' ' << molecule.bonds[n].j << " 1\n";
  return text.str();
}

std::string fcc_cluster_input(double thrsym) {
  constexpr int reach = 5;
  constexpr int radius_squared = 19; // in half lattice constants: 489 lattice points
  constexpr double half_lattice = 1.8;
  std::vector<Atom> atoms;
  for (int i = -reach; i <= reach; ++i) {
    for (int j = -reach; j <= reach; ++j) {
      for (int k = -reach; k <= reach; ++k) {
        if ((i + j + k) % 2 != 0 || i * i + j * j + k * k > radius_squared)
          continue;
        atoms.push_back({i * half_lattice, j * half_lattice, k * half_lattice, "Ar", 0});
      }
    }
  }
  return symmetry_input(atoms, thrsym);
}

std::string scattered_cluster_input(int natoms, double thrsym) {
  std::mt19937 generator(12345);
  std::uniform_real_distribution<double> coordinate(-10.0, 10.0);
  std::vector<Atom> atoms;
  for (int n = 0; n < natoms; ++n) {
    const double x = coordinate(generator);
    const double y = coordinate(generator);
    const double z = coordinate(generator);
    atoms.push_back({x, y, z, "Ar", 0});
  }
  return symmetry_input(atoms, thrsym);
}

std::string read_file(const std::filesystem::path& path) {
  std::ifstream in(path);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<std::filesystem::path> example_inputs(const std::string& program) {
  const std::filesystem::path folder =
      std::filesystem::path(BENCH_SOURCE_DIR) / ".." / "examples" / program;
  std::vector<std::filesystem::path> files;
  if (!std::filesystem::is_directory(folder))
    return files;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().extension() == ".in")
      files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

} // namespace bench
