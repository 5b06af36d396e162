// The tolerances of a symmetry run: the one the input gives ($thrsym), those derived from it and
// the fixed ones, built once per run and passed down to every routine that compares.
#pragma once

#include <algorithm>

namespace symmetry {

// The fields are const: a run's thresholds are fixed once its thrsym is given.
struct Thresholds {
  // $thrsym: an image lies on an atom when it is this close (by distance in the element search
  // and the refitting, in every component in the atom mapping); operation elements this close to
  // an exact value are snapped to it.
  const double thrsym = 0.0;
  // 0.1: caps group, so that a loose atom tolerance cannot merge distinct operations (two
  // operations of a group the search can find differ by far more).
  const double max_group_tolerance = 0.1;
  // Operation matrices this close (dif) are one operation.
  const double group = std::min(thrsym, max_group_tolerance);
  // 0.5: shells are cut at half the atom tolerance.
  const double shell_tolerance_factor = 0.5;
  // Like atoms whose centre distances differ by less than this share a shell.
  const double shell = shell_tolerance_factor * thrsym;

  // 0.001: atoms closer than this to the centroid are centre atoms.
  const double centre_distance = 0.001;
  // 0.001: an operation seen in the standard frame is the same as one of the list when every
  // element agrees to this; the frame then changes nothing and the atoms stay as they are.
  const double frame_agreement = 0.001;
  // 0.99: a refitted axis whose cosine with the accepted one is below this is no refinement.
  const double min_axis_agreement = 0.99;
  // -1e-6: a slightly negative square of the apothem of a candidate n-gon is rounding; below this
  // the pair is no side of an n-gon.
  const double apothem_slack = -1.0e-6;
  // 1e-8: symmetrised coordinates smaller than this are set to exactly 0.
  const double symvec_zero = 1.0e-8;
  // 0.001: a vector shorter than this has no direction to normalise (anorm).
  const double anorm_min_length = 0.001;
  // 1e-6: a coordinate axis whose part perpendicular to e3 is shorter than this does not complete
  // a frame around e3 (e1e2e3).
  const double e1e2e3_min_length = 1.0e-6;
  // 1e-14: Jacobi convergence for the symmetric parts of the operations, the icosahedral reference
  // and the refitting's quaternion matrix: their eigenvectors are axes, wanted to rounding.
  const double jacobi_eps = 1.0e-14;
  // 1e-10: Jacobi convergence for the second moments of the atoms (lipl): the best line and plane
  // only propose a linear group or a mirror plane, which the atoms then confirm within thrsym.
  const double lipl_eps = 1.0e-10;
  // 1e-9: an eigenvalue this close to 1 is the unit eigenvalue (ihgen).
  const double unit_eigenvalue_tolerance = 1.0e-9;
  // 1e-10: a list whose squares agree with its members this closely is an exact group already.
  const double exact_product_defect = 1.0e-10;
  // 1e-14: products this close to the list are exact to rounding (the fit to an exact group
  // stops there).
  const double rounding_defect = 1.0e-14;
};

// The thresholds of a run with the atom tolerance thrsym.
inline Thresholds make_thresholds(double thrsym) { return Thresholds{.thrsym = thrsym}; }

} // namespace symmetry
