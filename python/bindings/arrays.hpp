// numpy arrays in and out: coordinates as (n, 3) arrays of Angstrom, atom by atom as the
// programs keep them.
#pragma once

#include <span>
#include <vector>

#include <pybind11/numpy.h>

namespace bindings {

using DoubleArray =
    pybind11::array_t<double, pybind11::array::c_style | pybind11::array::forcecast>;
using IntArray = pybind11::array_t<int, pybind11::array::c_style | pybind11::array::forcecast>;

// Number of atoms of an (n, 3) array; ValueError for any other shape, and the programs' input
// error for a count outside 1 .. max_atoms.
int atom_count(const DoubleArray& coordinates);

// The coordinates as x, y, z per atom (the package has checked that they are finite and fit the
// atom lines).
std::vector<double> coordinate_values(const DoubleArray& coordinates);

// An (n, 3) array of the 3n values.
DoubleArray coordinate_array(std::span<const double> xyz);

// Raises ValueError with the text.
[[noreturn]] void reject(const std::string& text);

} // namespace bindings
