// The 3D builders side by side on a file of molecules without 3D coordinates (SMILES, 2D SDF):
// RDKit's ETKDG as the tools build (tools/formats/coordinates_build) and Open Babel's gen3D at
// its fast level, as the tools built before. Each molecule gets its hydrogens and is built in a
// child process under the time limit; the stereochemistry of the input is checked as the tools
// check it. Writes one line per molecule on standard output,
//   index  name  outcome  wall_ms  cpu_ms  stereo_given  stereo_broken  coordinates_hash
// (outcome built, failed or timeout; cpu_ms the processor time of this process and of the build's
// child, which on a loaded machine says more than the wall time; the hash is FNV-1a of the
// coordinates at 1e-6 A) and the
// built molecules as SDF to OUT.sdf, for kelma through ffbatch.
// Usage: builds_3d rdkit|openbabel INPUT OUT.sdf [SECONDS]
#include <chrono>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>

#include <sys/resource.h>

#include <openbabel/atom.h>
#include <openbabel/mol.h>
#include <openbabel/obconversion.h>
#include <openbabel/obiter.h>
#include <openbabel/op.h>
#include <openbabel/stereo/stereo.h>

#include "tools/core/packet.hpp"
#include "tools/core/process.hpp"
#include "tools/core/tool_error.hpp"
#include "tools/formats/coordinates_build.hpp"
#include "tools/formats/stereo_check.hpp"

namespace {

using OpenBabel::OBMol;

constexpr int default_limit_seconds = 5;
// Open Babel's fast level, as the tools used it: a quick force-field clean-up, no rotor search.
constexpr const char* gen3d_speed = "2";
constexpr double hash_resolution = 1e6;

void gen3d(OBMol& mol, int seconds) {
  tools::IsolatedWorker worker(
      [&](std::string_view) {
        tools::PacketWriter packet;
        OpenBabel::OBOp* op = OpenBabel::OBOp::FindType("gen3D");
        if (op == nullptr || !op->Do(&mol, gen3d_speed) || mol.GetDimension() != 3)
          return packet.bytes();
        FOR_ATOMS_OF_MOL(atom, mol)
        for (const double c : {atom->x(), atom->y(), atom->z()})
          packet.put(c);
        return packet.bytes();
      },
      seconds);
  const tools::IsolatedResult result = worker.ask("");
  if (!result.failure.empty())
    throw tools::ToolError(result.failure);
  if (result.text.empty())
    throw tools::ToolError("gen3D failed");
  tools::PacketReader packet(result.text);
  FOR_ATOMS_OF_MOL(atom, mol) {
    const double x = packet.real();
    const double y = packet.real();
    atom->SetVector(x, y, packet.real());
  }
  mol.SetDimension(3);
}

// Processor time used so far by this process and its children that have ended, milliseconds.
double cpu_ms() {
  double total = 0.0;
  for (const int who : {RUSAGE_SELF, RUSAGE_CHILDREN}) {
    rusage usage{};
    getrusage(who, &usage);
    for (const timeval& t : {usage.ru_utime, usage.ru_stime})
      total += 1e3 * static_cast<double>(t.tv_sec) + 1e-3 * static_cast<double>(t.tv_usec);
  }
  return total;
}

std::uint64_t coordinates_hash(OBMol& mol) {
  std::uint64_t hash = 1469598103934665603ULL;
  FOR_ATOMS_OF_MOL(atom, mol)
  for (const double c : {atom->x(), atom->y(), atom->z()}) {
    const auto fixed = static_cast<std::int64_t>(std::llround(c * hash_resolution));
    for (int byte = 0; byte < 8; ++byte) {
      hash ^= static_cast<std::uint64_t>(fixed >> (8 * byte)) & 0xffU;
      hash *= 1099511628211ULL;
    }
  }
  return hash;
}

void build_one(OBMol& mol, int index, bool rdkit, int seconds, OpenBabel::OBConversion& out) {
  mol.AddHydrogens();
  OpenBabel::OBStereoFacade facade(&mol);
  const std::size_t given = facade.NumTetrahedralStereo() + facade.NumCisTransStereo();
  std::string outcome = "built";
  std::size_t broken = 0;
  const auto start = std::chrono::steady_clock::now();
  const double cpu_start = cpu_ms();
  try {
    broken = tools::stereo_broken_by(mol, [&](OBMol& built) {
               if (rdkit)
                 tools::build_coordinates(built, {tools::default_build_seed, seconds});
               else
                 gen3d(built, seconds);
             }).size();
  } catch (const tools::ToolError& e) {
    outcome = std::string(e.what()).find("longer") != std::string::npos ? "timeout" : "failed";
  }
  const double ms =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  std::printf("%d\t%s\t%s\t%.2f\t%.2f\t%zu\t%zu\t%016" PRIx64 "\n", index, mol.GetTitle(),
              outcome.c_str(), ms, cpu_ms() - cpu_start, given, broken,
              outcome == "built" ? coordinates_hash(mol) : std::uint64_t{0});
  std::fflush(stdout);
  if (outcome == "built")
    out.Write(&mol);
}

} // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::cerr << "usage: builds_3d rdkit|openbabel INPUT OUT.sdf [SECONDS]\n";
    return 2;
  }
  const bool rdkit = std::string(argv[1]) == "rdkit";
  const int seconds = argc > 4 ? std::stoi(argv[4]) : default_limit_seconds;
  OpenBabel::OBConversion in;
  OpenBabel::OBConversion out;
  std::ifstream input(argv[2]);
  std::ofstream output(argv[3]);
  if (!in.SetInFormat(in.FormatFromExt(argv[2])) || !out.SetOutFormat("sdf") || !input) {
    std::cerr << "builds_3d: cannot read " << argv[2] << "\n";
    return 2;
  }
  in.SetInStream(&input);
  out.SetOutStream(&output);
  OBMol mol;
  for (int index = 1; in.Read(&mol); ++index, mol.Clear())
    build_one(mol, index, rdkit, seconds, out);
  return 0;
}
