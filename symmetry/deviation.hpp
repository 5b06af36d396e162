// How far a symmetrised molecule stands from the atoms it was made from: the displacement of the
// symmetrisation, the worst image of an operation and the continuous symmetry measure.
#pragma once

#include <span>

#include "symmetry/result.hpp"

namespace symmetry {

// The deviation of result (its frame, operations, equivalent atoms and symmetrised xyz) from the
// n atoms of input (3 x n, as given, before centring). Every atom p of the input is brought into
// the frame of result as rotation (p - centre). Neither result nor input is changed.
Deviation measure_deviation(int n, std::span<const double> input, const SymmetryResult& result);

} // namespace symmetry
