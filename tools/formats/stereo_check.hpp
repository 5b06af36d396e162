// Whether new 3D coordinates keep the stereochemistry a molecule was given: every tetrahedral
// centre and double bond that the input specified, compared with what Open Babel perceives in
// the new coordinates.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace OpenBabel {
class OBMol;
}

namespace tools {

// Runs build on mol (which gives it new coordinates) and returns what of the stereochemistry
// mol specified before it the new coordinates break, one text each ("atom 5 inverted",
// "double bond 3=4 turned"); empty when they keep all of it. A centre that the new coordinates
// do not make a centre at all (the input named a centre that is none) breaks nothing.
std::vector<std::string> stereo_broken_by(OpenBabel::OBMol& mol,
                                          const std::function<void(OpenBabel::OBMol&)>& build);

} // namespace tools
