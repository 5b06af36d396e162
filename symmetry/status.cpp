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

bool failed(Status s) {
  return s != Status::ok && s != Status::zero_matrix && s != Status::missing_c3_axis_ih &&
         s != Status::missing_c3_axis_i;
}

void report(Status s) {
  const std::string_view text = status_text(s);
  if (text.empty())
    return;
  // The overflow warning names the capacity it ran into.
  const int capacity = s == Status::closure_overflow ? max_operations : 0;
  common::message(warning_heading, text, capacity, 0);
}

} // namespace symmetry
