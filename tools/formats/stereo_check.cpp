#include "tools/formats/stereo_check.hpp"

#include <openbabel/atom.h>
#include <openbabel/bond.h>
#include <openbabel/mol.h>
#include <openbabel/stereo/cistrans.h>
#include <openbabel/stereo/stereo.h>
#include <openbabel/stereo/tetrahedral.h>

namespace tools {

namespace {

using OpenBabel::OBMol;
using TetrahedralConfig = OpenBabel::OBTetrahedralStereo::Config;
using CisTransConfig = OpenBabel::OBCisTransStereo::Config;

struct Given {
  std::vector<TetrahedralConfig> centres;
  std::vector<CisTransConfig> double_bonds;
};

Given given_stereo(OBMol& mol) {
  Given given;
  OpenBabel::OBStereoFacade facade(&mol);
  for (OpenBabel::OBTetrahedralStereo* centre : facade.GetAllTetrahedralStereo())
    if (const TetrahedralConfig config = centre->GetConfig(); config.specified)
      given.centres.push_back(config);
  for (OpenBabel::OBCisTransStereo* bond : facade.GetAllCisTransStereo())
    if (const CisTransConfig config = bond->GetConfig(); config.specified)
      given.double_bonds.push_back(config);
  return given;
}

std::string number_of(OBMol& mol, unsigned long id) {
  return std::to_string(mol.GetAtomById(id)->GetIdx());
}

// The stereochemistry that the coordinates of built show, against the given one.
std::vector<std::string> departures(OBMol& built, const Given& given) {
  OpenBabel::StereoFrom3D(&built, true);
  OpenBabel::OBStereoFacade facade(&built, false);
  std::vector<std::string> broken;
  for (const TetrahedralConfig& config : given.centres) {
    if (!facade.HasTetrahedralStereo(config.center))
      continue;
    const TetrahedralConfig found = facade.GetTetrahedralStereo(config.center)->GetConfig();
    if (found.specified && !(found == config))
      broken.push_back("atom " + number_of(built, config.center) + " inverted");
  }
  for (const CisTransConfig& config : given.double_bonds) {
    const OpenBabel::OBBond* bond =
        built.GetBond(built.GetAtomById(config.begin), built.GetAtomById(config.end));
    if (bond == nullptr || !facade.HasCisTransStereo(bond->GetId()))
      continue;
    const CisTransConfig found = facade.GetCisTransStereo(bond->GetId())->GetConfig();
    if (found.specified && !(found == config))
      broken.push_back("double bond " + number_of(built, config.begin) + "=" +
                       number_of(built, config.end) + " turned");
  }
  return broken;
}

} // namespace

std::vector<std::string> stereo_broken_by(OBMol& mol, const std::function<void(OBMol&)>& build) {
  const Given given = given_stereo(mol);
  build(mol);
  if (given.centres.empty() && given.double_bonds.empty())
    return {};
  // Perceived on a copy: mol keeps the stereochemistry it was given.
  OBMol built(mol);
  return departures(built, given);
}

} // namespace tools
