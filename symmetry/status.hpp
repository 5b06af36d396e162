// The warnings the symmetry routines write on the listing.
#pragma once

namespace symmetry {

// Heading of every warning of the symmetry routines.
inline constexpr const char* warning_heading = "**WARNING** in SYMMETRY module";

} // namespace symmetry
