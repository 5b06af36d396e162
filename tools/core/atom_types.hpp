// The force field's atom type numbers stand for Sybyl atom types.
#pragma once

#include <string>
#include <string_view>

namespace tools {

// The type number of a Sybyl type: exact when the force field knows the type, otherwise the
// nearest type (exact false, with the Sybyl type it stands in for) and 32 when nothing is near.
struct TypeMatch {
  int number = 0;
  bool exact = false;
  std::string_view stands_in_for; // the Sybyl type of number, for the report
};
TypeMatch sybyl_type_number(std::string_view sybyl_type);

} // namespace tools
