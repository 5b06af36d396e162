#include "symmetry_binding.hpp"

#include <algorithm>
#include <string>
#include <string_view>

#include <pybind11/stl.h>

#include "arrays.hpp"
#include "common/keyword_input.hpp"
#include "program_call.hpp"
#include "symmetry/driver.hpp"
#include "text.hpp"

namespace bindings {

namespace py = pybind11;

namespace {

DoubleArray operation_array(const symmetry::SymmetryResult& result) {
  DoubleArray array({static_cast<py::ssize_t>(result.count), py::ssize_t{3}, py::ssize_t{3}});
  auto out = array.mutable_unchecked<3>();
  for (int m = 0; m < result.count; ++m) {
    for (int i = 0; i < 3; ++i) {
      for (int j = 0; j < 3; ++j)
        out(m, i, j) = result.ops[static_cast<std::size_t>(m)][static_cast<std::size_t>(i + 3 * j)];
    }
  }
  return array;
}

// neqatm as (operation, atom) with 0-based atoms.
IntArray equivalent_atoms(const symmetry::SymmetryResult& result, int natoms) {
  IntArray array({static_cast<py::ssize_t>(result.count), static_cast<py::ssize_t>(natoms)});
  auto out = array.mutable_unchecked<2>();
  for (int m = 0; m < result.count; ++m) {
    for (int i = 0; i < natoms; ++i)
      out(m, i) = result.neqatm[static_cast<std::size_t>(i + natoms * m)] - 1;
  }
  return array;
}

// A 3 x 3 matrix stored column by column as a numpy (3, 3) array.
DoubleArray matrix_array(const symmetry::Operation& matrix) {
  DoubleArray array({py::ssize_t{3}, py::ssize_t{3}});
  auto out = array.mutable_unchecked<2>();
  for (std::size_t i = 0; i < 3; ++i) {
    for (std::size_t j = 0; j < 3; ++j)
      out(i, j) = matrix[i + 3 * j];
  }
  return array;
}

std::string_view kind_name(symmetry::ElementKind kind) {
  switch (kind) {
  case symmetry::ElementKind::rotation_axis:
    return "rotation axis";
  case symmetry::ElementKind::mirror_plane:
    return "mirror plane";
  case symmetry::ElementKind::improper_axis:
    return "improper axis";
  case symmetry::ElementKind::inversion_centre:
    return "inversion centre";
  }
  return "";
}

// The elements as (kind, order, direction) tuples, the direction an axis or a plane's normal.
py::list element_list(const symmetry::SymmetryResult& result) {
  py::list list;
  for (const symmetry::SymmetryElement& element : result.elements) {
    DoubleArray direction(py::ssize_t{3});
    std::copy(element.direction.begin(), element.direction.end(), direction.mutable_data());
    list.append(py::make_tuple(kind_name(element.kind), element.order, direction));
  }
  return list;
}

} // namespace

py::dict deviation_fields(const symmetry::Deviation& deviation) {
  return py::dict(py::arg("rms") = deviation.rms, py::arg("largest") = deviation.largest,
                  py::arg("image") = deviation.image, py::arg("csm") = deviation.csm,
                  py::arg("constraints") = deviation.constraints);
}

void add_result_fields(py::dict& fields, const symmetry::SymmetryResult& result, int natoms) {
  fields["label"] = text(result.label);
  fields["operations"] = operation_array(result);
  fields["equivalent_atoms"] = equivalent_atoms(result, natoms);
  fields["coordinates"] = coordinate_array(result.xyz);
  fields["centre"] = coordinate_array(result.centre);
  fields["rotation"] = matrix_array(result.rotation);
  fields["elements"] = element_list(result);
  fields["degrees_of_freedom"] = result.degrees;
  fields["fallback"] = text(symmetry::fallback_text(result));
  fields["deviation"] = deviation_fields(result.deviation);
}

py::dict symmetry_fields(const SymmetryCall& call) {
  py::dict result = call_fields(call.output);
  if (!call.output.stop)
    add_result_fields(result, call.result, call.natoms);
  return result;
}

namespace {

py::dict point_group(const DoubleArray& coordinates, const std::vector<std::string>& elements,
                     double thrsym, int print, bool keep_texts) {
  const std::vector<double> xyz = coordinate_values(coordinates);
  const SymmetryCall call = [&] {
    const py::gil_scoped_release unlocked;
    return call_symmetry(xyz, elements, thrsym, print, units_for(keep_texts));
  }();
  return symmetry_fields(call);
}

py::dict read_input(const std::string& text) {
  auto [result, in] =
      read_keyword_input(symmetry::termination_banner, text, &symmetry::read_symmetry_input);
  if (!in)
    return result;
  std::vector<std::string> elements;
  for (const std::string& label : in->symbols)
    elements.push_back(label.substr(0, common::label_width));
  result["coordinates"] = coordinate_array(in->xyz);
  result["elements"] = texts(elements);
  result["settings"] = py::dict(py::arg("thrsym") = in->thrsym, py::arg("print_level") = in->print);
  return result;
}

} // namespace

void add_symmetry(py::module_& module) {
  module.def("point_group", &point_group, py::arg("coordinates"), py::arg("elements"),
             py::arg("thrsym"), py::arg("print_level"), py::arg("keep_texts"),
             "symmetry's run on arrays: the group, its operations, elements and frame, and the "
             "symmetrised atoms; with keep_texts its records and listing.");
  module.def("read_symmetry_input", &read_input, py::arg("text"),
             "symmetry's reader on a keyword input text.");
}

} // namespace bindings
