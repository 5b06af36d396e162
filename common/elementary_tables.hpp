// The table values and constants of the elementary functions, each the double-double nearest to
// the exact value (written by common/elementary_tables.py).
#pragma once

#include <array>
#include <cstdint>

#include "common/double_double.hpp"

namespace common::elementary_tables {

// The circle is cut into steps of pi/64: sin(j pi/64) for j = 0 .. 32 (a quarter turn).
inline constexpr int sine_steps = 32;
extern const std::array<DoubleDouble, sine_steps + 1> sine_of_step;
// atan(j/64) for j = 0 .. 64.
inline constexpr int arctangent_steps = 64;
extern const std::array<DoubleDouble, arctangent_steps + 1> arctangent_of_step;

// asin(s) = s + s z P(z) for z = s^2 in [0, 1/4], cut into pieces of 1/64: about each centre P is
// p0 + dz (p[0] + dz (p[1] + ...)), dz = z - centre, the leading value as a double-double.
inline constexpr int arcsine_pieces = 16;
inline constexpr int arcsine_degree = 8;
struct ArcsinePiece {
  double centre;
  DoubleDouble p0;
  std::array<double, arcsine_degree> p;
};
extern const std::array<ArcsinePiece, arcsine_pieces> arcsine_piece;

// acos(c + d) = value + slope d + d^2 (p[0] + d (p[1] + ...)) about the points c = j/128 of
// [-1/2, 1/2], j = -64 .. 64, the value and the slope as double-doubles.
inline constexpr int arccosine_steps = 128;
inline constexpr int arccosine_reach = 64;
inline constexpr int arccosine_degree = 7;
struct ArccosinePoint {
  DoubleDouble value;
  DoubleDouble slope;
  std::array<double, arccosine_degree> p;
};
extern const std::array<ArccosinePoint, 2 * arccosine_reach + 1> arccosine_point;

extern const DoubleDouble half_pi;
extern const DoubleDouble pi;
// pi/64, the angle of one table step.
extern const DoubleDouble step_angle;
extern const DoubleDouble one_sixth;
extern const DoubleDouble one_third;
// 64/pi rounded, and pi/64 as four doubles whose first two have 33 significant bits, so that an
// integer below 2^20 times either is exact.
extern const double steps_per_radian;
extern const std::array<double, 4> radians_per_step;
// The binary digits of 64/pi, 64 to a word, the leading bit of the first word worth 2^4: enough
// for the reduction of the largest double.
inline constexpr int steps_per_radian_words = 19;
extern const std::array<std::uint64_t, steps_per_radian_words> steps_per_radian_bits;

} // namespace common::elementary_tables
