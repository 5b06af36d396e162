#include "tools/formats/coordinates_build.hpp"

#include <GraphMol/DistGeomHelpers/Embedder.h>
#include <GraphMol/GraphMol.h>
#include <GraphMol/MolOps.h>
#include <RDGeneral/RDLog.h>
#include <RDGeneral/versions.h>
#include <openbabel/atom.h>
#include <openbabel/mol.h>
#include <openbabel/obiter.h>
#include <sys/resource.h>

#include <csignal>
#include <string>

#include "tools/core/packet.hpp"
#include "tools/core/process.hpp"
#include "tools/core/tool_error.hpp"
#include "tools/formats/rdkit_graph.hpp"

namespace tools {

namespace {

constexpr int coordinates_3d = 3;
constexpr int no_conformer = -1;

// The build is limited in processor time, so that whether a molecule is built does not depend on
// what else the machine runs; the wall clock only stops a child that waits instead of working,
// at this many times the limit.
constexpr int wall_clock_allowance = 10;

// In the build's child, whose processor time starts at 0 with the fork: SIGXCPU ends it once it
// has worked `seconds`, without a core file.
void limit_processor_time(int seconds) {
  const rlimit no_core{0, 0};
  ::setrlimit(RLIMIT_CORE, &no_core);
  const auto soft = static_cast<rlim_t>(seconds);
  const rlimit processor{soft, soft + 1};
  ::setrlimit(RLIMIT_CPU, &processor);
}

// RDKit's own advice for molecules whose first embedding fails (large rings, cages): start
// from random coordinates instead of the eigenvectors of the distance matrix.
BuildRecipe embed(RDKit::RWMol& graph, int seed) {
  RDKit::DGeomHelpers::EmbedParameters parameters = RDKit::DGeomHelpers::ETKDGv3;
  parameters.randomSeed = seed;
  BuildRecipe recipe{seed, false};
  if (RDKit::DGeomHelpers::EmbedMolecule(graph, parameters) != no_conformer)
    return recipe;
  parameters.useRandomCoords = true;
  recipe.random_start = true;
  if (RDKit::DGeomHelpers::EmbedMolecule(graph, parameters) != no_conformer)
    return recipe;
  throw ToolError("RDKit could not embed the molecule in 3D");
}

// In the child: the recipe and the coordinates atom by atom, or why there are none.
std::string embedded(RDKit::RWMol& graph, int seed) {
  PacketWriter packet;
  try {
    const RDLog::LogStateSetter quiet; // warnings would interleave with the tools' own lines
    const BuildRecipe recipe = embed(graph, seed);
    packet.put(std::string());
    packet.put(recipe.random_start ? 1 : 0);
    for (const RDGeom::Point3D& point : graph.getConformer().getPositions())
      for (const double c : {point.x, point.y, point.z})
        packet.put(c);
  } catch (const std::exception& e) {
    packet.put(std::string(e.what()));
  }
  return packet.bytes();
}

BuildRecipe take_coordinates(OpenBabel::OBMol& mol, std::string_view answer, int seed) {
  PacketReader packet(answer);
  if (const std::string error = packet.text(); !error.empty())
    throw ToolError(error);
  BuildRecipe recipe{seed, packet.integer() != 0};
  FOR_ATOMS_OF_MOL(atom, mol) {
    const double x = packet.real();
    const double y = packet.real();
    atom->SetVector(x, y, packet.real());
  }
  mol.SetDimension(coordinates_3d);
  return recipe;
}

// RDKit reads its library of torsion preferences (some hundreds of SMARTS) at the first
// embedding of a process. Done once here, before any child is forked, every build's child
// inherits the library instead of reading it again, which took half of a usual build.
bool torsion_library_read() {
  const RDLog::LogStateSetter quiet;
  RDKit::RWMol ethane;
  for (int k = 0; k < 2; ++k)
    ethane.addAtom(new RDKit::Atom(6), false, true);
  ethane.addBond(0U, 1U, RDKit::Bond::SINGLE);
  ethane.updatePropertyCache(false);
  RDKit::MolOps::sanitizeMol(ethane);
  RDKit::DGeomHelpers::EmbedParameters parameters = RDKit::DGeomHelpers::ETKDGv3;
  parameters.randomSeed = default_build_seed;
  return RDKit::DGeomHelpers::EmbedMolecule(ethane, parameters) != no_conformer;
}

} // namespace

std::string BuildRecipe::text() const {
  return std::string("RDKit ") + RDKit::rdkitVersion + " ETKDGv3, seed " + std::to_string(seed) +
         (random_start ? ", from random coordinates" : "");
}

BuildRecipe build_coordinates(OpenBabel::OBMol& mol, const BuildSettings& settings) {
  [[maybe_unused]] static const bool library_read = torsion_library_read();
  const std::unique_ptr<RDKit::RWMol> graph = rdkit_graph(mol);
  const int limit = settings.time_limit_seconds;
  IsolatedWorker builder(
      [&](std::string_view) {
        limit_processor_time(limit);
        return embedded(*graph, settings.seed);
      },
      limit * wall_clock_allowance);
  const IsolatedResult result = builder.ask("");
  if (result.signal == SIGXCPU)
    throw ToolError("the 3D build took longer than " + std::to_string(limit) +
                    " s of processor time (--build-timeout sets the limit)");
  if (!result.failure.empty())
    throw ToolError("the 3D build " + result.failure + " (--build-timeout sets the limit)");
  return take_coordinates(mol, result.text, settings.seed);
}

} // namespace tools
