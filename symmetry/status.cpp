#include "symmetry/status.hpp"

#include "common/reports.hpp"
#include "symmetry/operations.hpp"

namespace symmetry {

std::string_view status_text(Status s) {
  switch (s) {
  case Status::zero_matrix:
    return "  Attempting to Diagonalize Zero Matrix";
  case Status::no_convergence:
    return "  Problems attaining Diagonalization threshold";
  case Status::closure_overflow:
    return "  Number of operations found greater than maximum";
  case Status::no_inverse:
    return "  Unable to find Inverse Operation";
  case Status::no_order:
    return "  Potential Problems with C3 axes";
  case Status::empty_shell:
    return "  Problems Identifying Cs Planes";
  case Status::unknown_group:
    return "  Symmetry Operations found correspond to no known group";
  case Status::missing_c3_axis_ih:
    return "  C3-axis for group Ih is missing";
  case Status::missing_c3_axis_i:
    return "  C3-axis for group I is missing";
  case Status::missing_c2_axis_th:
    return "  Cannot find C2-axis for group Th";
  case Status::missing_c2_axis_t:
    return "  Cannot find C2-axis for group T";
  default:
    return {};
  }
}

std::string_view failure_text(Status s) {
  switch (s) {
  case Status::ok:
    return {};
  case Status::zero_matrix:
    return "the moments of the atoms are all zero";
  case Status::no_convergence:
    return "a diagonalisation did not converge";
  case Status::too_short:
    return "a direction was too short to normalise";
  case Status::no_perpendicular:
    return "no frame could be built around an axis";
  case Status::no_atoms:
    return "there are no atoms";
  case Status::closure_overflow:
    return "the operations found make more than 120";
  case Status::closure_wrong_image:
    return "an operation carries an atom onto no like atom";
  case Status::no_inverse:
    return "an operation found has no inverse among the others";
  case Status::no_order:
    return "an operation found has no order below 100";
  case Status::no_unit_eigenvalue:
    return "the icosahedral reference axis was not found";
  case Status::no_pair:
    return "no two like atoms propose an axis";
  case Status::coincident_atoms:
    return "two like atoms lie too close together to give a direction: a molecule this small is "
           "below the fixed lengths of the search, so scale its coordinates up";
  case Status::empty_shell:
    return "a shell of atoms is empty";
  case Status::wrong_principal:
    return "the principal axis of the group does not map the atoms";
  case Status::line_broken:
    return "the nearly linear molecule is not linear within $thrsym";
  case Status::unknown_group:
    return "the operations found form no known group";
  case Status::missing_c3_axis_ih:
  case Status::missing_c3_axis_i:
    return "the icosahedral group lacks its reference three-fold axis";
  case Status::missing_c2_axis_th:
  case Status::missing_c2_axis_t:
    return "the tetrahedral group lacks a two-fold axis";
  case Status::conflicting_references:
  case Status::degenerate_reference:
    return "the group has no standard frame";
  case Status::no_image:
    return "the operations found do not carry every atom onto a like atom within $thrsym";
  }
  return {};
}

bool failed(Status s) {
  return s != Status::ok && s != Status::zero_matrix && s != Status::missing_c3_axis_ih &&
         s != Status::missing_c3_axis_i;
}

void report(common::RunContext& run, Status s) {
  const std::string_view text = status_text(s);
  if (text.empty() || !run.keeps_records())
    return;
  // The overflow warning names the capacity it ran into.
  const int capacity = s == Status::closure_overflow ? max_operations : 0;
  common::message(run, warning_heading, text, capacity, 0);
}

} // namespace symmetry
