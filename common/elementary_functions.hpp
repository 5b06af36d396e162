// The trigonometric functions (and the length of a plane vector) both programs compute with, built
// from IEEE 754 additions, multiplications, divisions, square roots and fused multiply-adds only,
// so that a run gives the same bits on every processor (the C library picks other code, with other
// last bits, on other machines). Each carries its result to about 2^-75 relative in double-double
// arithmetic before the one final rounding: the returned double is correctly rounded except in rare
// cases, and never more than one ulp off.
#pragma once

namespace common::portable {

// sin, cos and tan reduce their argument by multiples of pi/64: below this magnitude (where the
// programs' angles, of a few turns, lie) with pi/64 cut into a few doubles, at and above it with
// the binary digits of 64/pi in integer arithmetic.
inline constexpr double reduction_limit = 32768.0;

// sin, cos and acos, the functions of the force field's every bend and torsion, each compiled twice
// over: with exact products formed by Dekker's splitting, which runs on every processor, and
// with fused multiply-adds. Both give the same bits (an exact product has one value); the fused
// form, the faster, runs where the processor has the instruction. fused_usable is set once, as
// the program starts, from what the C library finds usable (so that the tunable that masks the
// instruction selects the split form too); read before then it is false, which is also right.
namespace variants {
extern const bool fused_usable;
double sin_split(double x);
double sin_fused(double x);
double cos_split(double x);
double cos_fused(double x);
double acos_split(double x);
double acos_fused(double x);
} // namespace variants

// sin(x), cos(x), tan(x) for every finite x; NaN for infinite or NaN x.
inline double sin(double x) {
  return variants::fused_usable ? variants::sin_fused(x) : variants::sin_split(x);
}
inline double cos(double x) {
  return variants::fused_usable ? variants::cos_fused(x) : variants::cos_split(x);
}
double tan(double x);
// atan(x) in [-pi/2, pi/2] for every x.
double atan(double x);
// acos(x) in [0, pi] for x in [-1, 1]; NaN outside.
inline double acos(double x) {
  return variants::fused_usable ? variants::acos_fused(x) : variants::acos_split(x);
}
// sqrt(x^2 + y^2) for |x| and |y| between 2^-480 and 2^480 (or zero), where the squares neither
// overflow nor lose bits below the smallest normal double. The C library's hypot rounds
// otherwise on other processors (arm64's gives other last bits than x86-64's).
double hypot(double x, double y);

} // namespace common::portable
