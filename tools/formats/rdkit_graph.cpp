#include "tools/formats/rdkit_graph.hpp"

#include <algorithm>
#include <array>
#include <vector>

#include <GraphMol/GraphMol.h>
#include <GraphMol/MolOps.h>
#include <openbabel/atom.h>
#include <openbabel/bond.h>
#include <openbabel/mol.h>
#include <openbabel/obiter.h>
#include <openbabel/stereo/cistrans.h>
#include <openbabel/stereo/stereo.h>
#include <openbabel/stereo/tetrahedral.h>

#include "tools/core/tool_error.hpp"

namespace tools {

namespace {

using OpenBabel::OBMol;
using OpenBabel::OBStereo;
using Ids = std::vector<unsigned long>;

// Everything but the valence check: Open Babel takes hypervalent forms (a nitro group written
// N(=O)=O) that RDKit's check refuses, and the build needs only rings, hybridisation and
// aromaticity. No clean-up either: it would rewrite such groups, and the graph must stay as given.
constexpr unsigned int sanitising = RDKit::MolOps::SANITIZE_ALL ^
                                    RDKit::MolOps::SANITIZE_PROPERTIES ^
                                    RDKit::MolOps::SANITIZE_CLEANUP;

RDKit::Bond::BondType bond_type(unsigned int order) {
  switch (order) {
  case 2:
    return RDKit::Bond::DOUBLE;
  case 3:
    return RDKit::Bond::TRIPLE;
  case 4:
    return RDKit::Bond::QUADRUPLE;
  default:
    return RDKit::Bond::SINGLE;
  }
}

void add_atoms(OBMol& mol, RDKit::RWMol& graph) {
  FOR_ATOMS_OF_MOL(ob_atom, mol) {
    auto atom = std::make_unique<RDKit::Atom>(static_cast<int>(ob_atom->GetAtomicNum()));
    atom->setFormalCharge(ob_atom->GetFormalCharge());
    atom->setNoImplicit(true);
    atom->setNumExplicitHs(static_cast<unsigned int>(ob_atom->GetImplicitHCount()));
    graph.addAtom(atom.release(), false, true);
  }
}

void add_bonds(OBMol& mol, RDKit::RWMol& graph) {
  FOR_BONDS_OF_MOL(bond, mol)
  graph.addBond(bond->GetBeginAtomIdx() - 1, bond->GetEndAtomIdx() - 1,
                bond_type(bond->GetBondOrder()));
}

unsigned long id_of(OBMol& mol, unsigned int rdkit_index) {
  return mol.GetAtom(static_cast<int>(rdkit_index) + 1)->GetId();
}

unsigned int rdkit_index(OBMol& mol, unsigned long id) { return mol.GetAtomById(id)->GetIdx() - 1; }

// The Open Babel ids of an atom's neighbours in RDKit's order of its bonds, which is the order
// its chiral tags refer to.
Ids neighbour_ids(OBMol& mol, const RDKit::RWMol& graph, const RDKit::Atom& atom) {
  Ids ids;
  for (const auto& bond : graph.atomBonds(&atom))
    ids.push_back(id_of(mol, bond->getOtherAtomIdx(atom.getIdx())));
  return ids;
}

// Whether (a, b, c) is a rotation of refs, the same turn.
bool same_turn(const std::array<unsigned long, 3>& abc, const OBStereo::Refs& refs) {
  for (std::size_t shift = 0; shift < 3; ++shift)
    if (abc[0] == refs[shift] && abc[1] == refs[(shift + 1) % 3] && abc[2] == refs[(shift + 2) % 3])
      return true;
  return false;
}

// RDKit's tag says how the second to fourth neighbours turn seen from the first; a missing
// fourth (a lone pair, an implicit hydrogen) counts as the last. Open Babel may still name an
// added hydrogen by its implicit reference.
void set_centre(OBMol& mol, RDKit::RWMol& graph, OpenBabel::OBTetrahedralStereo& centre) {
  const OpenBabel::OBTetrahedralStereo::Config given = centre.GetConfig();
  RDKit::Atom& atom = *graph.getAtomWithIdx(rdkit_index(mol, given.center));
  Ids order = neighbour_ids(mol, graph, atom);
  if (order.size() == 3)
    order.push_back(OBStereo::ImplicitRef);
  if (order.size() != 4)
    return;
  for (unsigned long& id : order)
    if (id != given.from && std::find(given.refs.begin(), given.refs.end(), id) == given.refs.end())
      id = OBStereo::ImplicitRef;
  const auto seen = centre.GetConfig(order[0], OBStereo::Clockwise, OBStereo::ViewFrom);
  atom.setChiralTag(same_turn({order[1], order[2], order[3]}, seen.refs)
                        ? RDKit::Atom::CHI_TETRAHEDRAL_CW
                        : RDKit::Atom::CHI_TETRAHEDRAL_CCW);
}

// The first neighbour of end_atom other than across that the double bond's references name.
const RDKit::Atom* reference_of(OBMol& mol, const RDKit::RWMol& graph, const RDKit::Atom& atom,
                                unsigned int across, const OBStereo::Refs& refs) {
  for (const auto& neighbour : graph.atomNeighbors(&atom))
    if (neighbour->getIdx() != across &&
        std::find(refs.begin(), refs.end(), id_of(mol, neighbour->getIdx())) != refs.end())
      return neighbour;
  return nullptr;
}

void set_double_bond(OBMol& mol, RDKit::RWMol& graph, OpenBabel::OBCisTransStereo& stereo) {
  const auto given = stereo.GetConfig();
  const unsigned int begin = rdkit_index(mol, given.begin);
  const unsigned int end = rdkit_index(mol, given.end);
  RDKit::Bond* bond = graph.getBondBetweenAtoms(begin, end);
  const RDKit::Atom* first =
      reference_of(mol, graph, *graph.getAtomWithIdx(begin), end, given.refs);
  const RDKit::Atom* second =
      reference_of(mol, graph, *graph.getAtomWithIdx(end), begin, given.refs);
  if (bond == nullptr || first == nullptr || second == nullptr)
    return;
  bond->setStereoAtoms(first->getIdx(), second->getIdx());
  bond->setStereo(stereo.IsCis(id_of(mol, first->getIdx()), id_of(mol, second->getIdx()))
                      ? RDKit::Bond::STEREOCIS
                      : RDKit::Bond::STEREOTRANS);
}

// The centres' ranks are assigned before the double bonds are set: RDKit's assignment clears
// a double bond's cis or trans when no bond directions go with it.
void add_stereo(OBMol& mol, RDKit::RWMol& graph) {
  OpenBabel::OBStereoFacade facade(&mol);
  for (OpenBabel::OBTetrahedralStereo* centre : facade.GetAllTetrahedralStereo())
    if (centre->GetConfig().specified)
      set_centre(mol, graph, *centre);
  RDKit::MolOps::assignStereochemistry(graph, true, true);
  for (OpenBabel::OBCisTransStereo* bond : facade.GetAllCisTransStereo())
    if (bond->GetConfig().specified)
      set_double_bond(mol, graph, *bond);
}

} // namespace

std::unique_ptr<RDKit::RWMol> rdkit_graph(OBMol& mol) {
  auto graph = std::make_unique<RDKit::RWMol>();
  add_atoms(mol, *graph);
  add_bonds(mol, *graph);
  try {
    graph->updatePropertyCache(false);
    unsigned int failed = 0;
    RDKit::MolOps::sanitizeMol(*graph, failed, sanitising);
    add_stereo(mol, *graph);
  } catch (const std::exception& e) {
    throw ToolError(std::string("RDKit cannot take the molecule: ") + e.what());
  }
  return graph;
}

} // namespace tools
