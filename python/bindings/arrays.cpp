#include "arrays.hpp"

#include <string>

#include "common/keyword_input.hpp"

namespace bindings {

namespace py = pybind11;

void reject(const std::string& text) { throw py::value_error(text); }

int atom_count(const DoubleArray& coordinates) {
  if (coordinates.ndim() != 2 || coordinates.shape(1) != 3)
    reject("coordinates must be an (n, 3) array");
  const auto natoms = static_cast<int>(coordinates.shape(0));
  common::check_atom_count(natoms, common::max_atoms);
  return natoms;
}

std::vector<double> coordinate_values(const DoubleArray& coordinates) {
  return {coordinates.data(), coordinates.data() + coordinates.size()};
}

DoubleArray coordinate_array(std::span<const double> xyz) {
  DoubleArray array({static_cast<py::ssize_t>(xyz.size() / 3), py::ssize_t{3}});
  std::copy(xyz.begin(), xyz.end(), array.mutable_data());
  return array;
}

} // namespace bindings
