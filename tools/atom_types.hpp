// The force field's atom type numbers stand for Sybyl atom types; its bond codes for the MOL2
// bond types 1, 2, 3, am, ar.
#pragma once

#include <optional>
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

// The type an element takes when only the element is known (XYZ input): its sp3 or plain type.
int element_type_number(std::string_view element);

// "C.ar" -> "C", "Cl" -> "Cl", "LP" -> "LP".
std::string element_of_sybyl(std::string_view sybyl_type);

// "C", "cl", "CL" -> "Cl": an element symbol in its usual case.
std::string normalise_element(std::string_view symbol);

// MOL2 bond type to bond code 1-5; none for "nc" (not connected) and unknown types.
std::optional<int> bond_code(std::string_view mol2_bond_type);

} // namespace tools
