// Symmetry operations: 3 x 3 matrices stored column by column, and the fixed capacities.
#pragma once

#include <array>

#include "common/keyword_input.hpp"

namespace symmetry {

inline constexpr int max_operations = 120;
using common::max_atoms;

// Element (i, j), 1-based, sits at index (i - 1) + 3 (j - 1).
using Operation = std::array<double, 9>;

inline constexpr Operation identity_operation{1.0, 0.0, 0.0, 0.0, 1.0, 0.0, 0.0, 0.0, 1.0};

} // namespace symmetry
