#include "arrays.hpp"

#include <string>

#include "common/keyword_input.hpp"

namespace bindings {

namespace py = pybind11;

void reject(const std::string& text) { throw py::value_error(text); }

std::vector<double> coordinate_values(const DoubleArray& coordinates) {
  if (coordinates.ndim() != 2 || coordinates.shape(1) != 3)
    reject("coordinates must be an (n, 3) array");
  return {coordinates.data(), coordinates.data() + coordinates.size()};
}

std::vector<int> type_values(const IntArray& types) {
  if (types.ndim() != 1)
    reject("types must hold one force-field type per atom");
  return {types.data(), types.data() + types.size()};
}

std::vector<BondRow> bond_values(const IntArray& bonds) {
  if (bonds.size() == 0)
    return {};
  if (bonds.ndim() != 2 || bonds.shape(1) != 3)
    reject("bonds must be an (m, 3) array of atom, atom, bond code");
  const auto rows = bonds.unchecked<2>();
  std::vector<BondRow> values;
  for (py::ssize_t row = 0; row < rows.shape(0); ++row)
    values.push_back({rows(row, 0), rows(row, 1), rows(row, 2)});
  return values;
}

DoubleArray coordinate_array(std::span<const double> xyz) {
  DoubleArray array({static_cast<py::ssize_t>(xyz.size() / 3), py::ssize_t{3}});
  std::copy(xyz.begin(), xyz.end(), array.mutable_data());
  return array;
}

} // namespace bindings
