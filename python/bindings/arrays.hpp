// numpy arrays in and out: coordinates as (n, 3) arrays of Angstrom, atom by atom as the
// programs keep them.
#pragma once

#include <span>
#include <vector>

#include <pybind11/numpy.h>

#include "molecule_calls.hpp"

namespace bindings {

using DoubleArray =
    pybind11::array_t<double, pybind11::array::c_style | pybind11::array::forcecast>;
using IntArray = pybind11::array_t<int, pybind11::array::c_style | pybind11::array::forcecast>;

// The coordinates of an (n, 3) array as x, y, z per atom (the package has checked that they are
// finite and fit the atom lines); ValueError for any other shape.
std::vector<double> coordinate_values(const DoubleArray& coordinates);

// One force-field type per atom; ValueError unless the array is one-dimensional.
std::vector<int> type_values(const IntArray& types);

// The rows of an (m, 3) array of atom, atom (0-based) and bond code; an empty array is no bond.
std::vector<BondRow> bond_values(const IntArray& bonds);

// An (n, 3) array of the 3n values.
DoubleArray coordinate_array(std::span<const double> xyz);

// Raises ValueError with the text.
[[noreturn]] void reject(const std::string& text);

} // namespace bindings
