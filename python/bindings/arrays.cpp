#include "arrays.hpp"

#include <cmath>
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
  static constexpr const char* axis_names[] = {"x", "y", "z"};
  const std::vector<double> xyz(coordinates.data(), coordinates.data() + coordinates.size());
  for (std::size_t k = 0; k < xyz.size(); ++k) {
    const std::string where =
        "atom " + std::to_string(k / 3 + 1) + ": " + axis_names[k % 3] + " coordinate";
    if (!std::isfinite(xyz[k]))
      reject(where + " is not a number");
    if (std::fabs(xyz[k]) > common::max_coordinate)
      reject(where + " beyond 1.0e6");
  }
  return xyz;
}

DoubleArray coordinate_array(std::span<const double> xyz) {
  DoubleArray array({static_cast<py::ssize_t>(xyz.size() / 3), py::ssize_t{3}});
  std::copy(xyz.begin(), xyz.end(), array.mutable_data());
  return array;
}

} // namespace bindings
