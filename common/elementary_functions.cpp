#include "common/elementary_functions.hpp"

#include <cstdint>
#include <limits>

#include "common/double_double.hpp"
#include "common/elementary_tables.hpp"

namespace common::portable {

namespace {

using namespace elementary_tables;

constexpr double not_a_number = std::numeric_limits<double>::quiet_NaN();
// Adding and subtracting 1.5 2^52 rounds a double below 2^51 to the nearest integer.
constexpr double integer_shifter = 0x1.8p52;
// Below these, sin x = x, cos x = 1 and atan x = x once rounded: the next terms lie under a
// quarter of an ulp.
constexpr double tiny_sine_argument = 0x1p-27;
constexpr double tiny_cosine_argument = 0x1p-27;
constexpr double tiny_arctangent_argument = 0x1p-27;
// Above this, pi/2 - 1/x lies within a quarter ulp above the double nearest to pi/2.
constexpr double huge_arctangent_argument = 0x1p54;
// acos takes its angle through the sine sqrt(1 - x^2) above this |x|, where 1 - x^2 would cancel.
constexpr double acos_sine_form_start = 0.7071;
// One eighth of a turn, in table steps of pi/64.
constexpr int steps_per_octant = 16;
constexpr int steps_per_turn = 4 * 2 * steps_per_octant;

// x = k pi/64 + r with r in [-pi/128, pi/128] as a double-double; the products of k with the
// first pieces of pi/64 are exact, the differences with x exact by Sterbenz's lemma, and what the
// last pieces add is summed with its rounding errors.
struct Reduced {
  std::int64_t k;
  DoubleDouble r;
};

Reduced reduce(double x) {
  const double k = (x * steps_per_radian + integer_shifter) - integer_shifter;
  const DoubleDouble p1 = two_product(k, radians_per_step[0]);
  const DoubleDouble p2 = two_product(k, radians_per_step[1]);
  const DoubleDouble p3 = two_product(k, radians_per_step[2]);
  const double t = x - p1.hi;
  const DoubleDouble a = two_sum(t, -p2.hi);
  const DoubleDouble c = two_sum(a.hi, -p3.hi);
  const double tail = (a.lo + c.lo) - (p1.lo + p2.lo + p3.lo + k * radians_per_step[3]);
  return {static_cast<std::int64_t>(k), two_sum(c.hi, tail)};
}

// sin(r) and cos(r) for |r| <= pi/128 to about 2^-78 relative: the Taylor series, with the first
// correction carried in double-double and the low part of r taken in to first order.
struct SineCosine {
  DoubleDouble sine;
  DoubleDouble cosine;
};

SineCosine sine_cosine_near_zero(DoubleDouble r) {
  const double x = r.hi;
  const DoubleDouble z = two_product(x, x);
  const double zh = z.hi;
  // sin x = x + x^3 (-1/6 + z/120 - z^2/5040 + z^3/362880 - z^4/39916800).
  const double sine_tail =
      zh * (1.0 / 120 - zh * (1.0 / 5040 - zh * (1.0 / 362880 - zh * (1.0 / 39916800))));
  const DoubleDouble cube = add(two_product(x, zh), {x * z.lo, 0.0});
  const DoubleDouble sine_correction = multiply(cube, add(negate(one_sixth), {sine_tail, 0.0}));
  const double sine_low = sine_correction.lo + r.lo * (1.0 - 0.5 * zh);
  const DoubleDouble sine = fast_two_sum(x, sine_correction.hi + sine_low);
  // cos x = 1 - z/2 + z^2 (1/24 - z/720 + z^2/40320 - z^3/3628800).
  const double cosine_tail =
      zh * zh * (1.0 / 24 - zh * (1.0 / 720 - zh * (1.0 / 40320 - zh * (1.0 / 3628800))));
  const DoubleDouble head = fast_two_sum(1.0, -0.5 * zh);
  const DoubleDouble cosine =
      fast_two_sum(head.hi, head.lo + ((cosine_tail - 0.5 * z.lo) - r.lo * x));
  return {sine, cosine};
}

// sin and cos of k pi/64: a quarter turn of table steps, turned by the quadrant of k.
SineCosine sine_cosine_of_step(std::int64_t k) {
  const auto step = static_cast<int>(k & (steps_per_turn - 1));
  const int quadrant = step / sine_steps;
  const int j = step % sine_steps;
  const DoubleDouble s = sine_of_step[static_cast<std::size_t>(j)];
  const DoubleDouble c = sine_of_step[static_cast<std::size_t>(sine_steps - j)];
  switch (quadrant) {
  case 0:
    return {s, c};
  case 1:
    return {c, negate(s)};
  case 2:
    return {negate(s), negate(c)};
  default:
    return {negate(c), s};
  }
}

// sin(x) and cos(x) from sin(a + r) = sin a cos r + cos a sin r with a = k pi/64. Where sin or
// cos of a is zero the result is the other product alone, so no cancellation arises.
SineCosine sine_cosine(double x) {
  const Reduced reduced = reduce(x);
  const SineCosine a = sine_cosine_of_step(reduced.k);
  const SineCosine r = sine_cosine_near_zero(reduced.r);
  return {add(multiply(a.sine, r.cosine), multiply(a.cosine, r.sine)),
          add(multiply(a.cosine, r.cosine), negate(multiply(a.sine, r.sine)))};
}

bool reducible(double x) { return x < reduction_limit && x > -reduction_limit; }

// atan(t) for t in [0, 1] (a little beyond is fine): atan t = atan c + atan u with c = j/64 the
// nearest table point and u = (t - c) / (1 + t c), |u| <= 1/128, whose series converges fast.
DoubleDouble arctangent_unit(DoubleDouble t) {
  const double j = (t.hi * arctangent_steps + integer_shifter) - integer_shifter;
  const double c = j / arctangent_steps;
  const DoubleDouble numerator = fast_two_sum(t.hi - c, t.lo);
  const DoubleDouble tc = multiply(t, c);
  const DoubleDouble denominator = add({1.0, 0.0}, tc);
  const DoubleDouble u = divide(numerator, denominator);
  const double x = u.hi;
  const DoubleDouble z = two_product(x, x);
  const double zh = z.hi;
  // atan x = x + x^3 (-1/3 + z/5 - z^2/7 + z^3/9 - z^4/11 + z^5/13).
  const double tail =
      zh * (1.0 / 5 - zh * (1.0 / 7 - zh * (1.0 / 9 - zh * (1.0 / 11 - zh * (1.0 / 13)))));
  const DoubleDouble cube = add(two_product(x, zh), {x * z.lo, 0.0});
  const DoubleDouble correction = multiply(cube, add(negate(one_third), {tail, 0.0}));
  const DoubleDouble series = fast_two_sum(x, correction.hi + (correction.lo + u.lo * (1.0 - zh)));
  return add(arctangent_of_step[static_cast<std::size_t>(j)], series);
}

} // namespace

double sin(double x) {
  if (!reducible(x))
    return not_a_number;
  if (x < tiny_sine_argument && x > -tiny_sine_argument)
    return x;
  const DoubleDouble s = sine_cosine(x).sine;
  return s.hi + s.lo;
}

double cos(double x) {
  if (!reducible(x))
    return not_a_number;
  if (x < tiny_cosine_argument && x > -tiny_cosine_argument)
    return 1.0;
  const DoubleDouble c = sine_cosine(x).cosine;
  return c.hi + c.lo;
}

double tan(double x) {
  if (!reducible(x))
    return not_a_number;
  if (x < tiny_sine_argument && x > -tiny_sine_argument)
    return x;
  const SineCosine sc = sine_cosine(x);
  const DoubleDouble t = divide(sc.sine, sc.cosine);
  return t.hi + t.lo;
}

double atan(double x) {
  if (x != x)
    return x;
  const double a = x < 0.0 ? -x : x;
  if (a < tiny_arctangent_argument)
    return x;
  DoubleDouble angle;
  if (a >= huge_arctangent_argument) {
    angle = half_pi;
  } else if (a <= 1.0) {
    angle = arctangent_unit({a, 0.0});
  } else {
    // atan a = pi/2 - atan(1/a), with 1/a to double-double through its exact residue.
    const double q = 1.0 / a;
    const double residue = std::fma(-q, a, 1.0);
    angle = add(half_pi, negate(arctangent_unit(fast_two_sum(q, residue / a))));
  }
  const double result = angle.hi + angle.lo;
  return x < 0.0 ? -result : result;
}

double acos(double x) {
  if (!(x >= -1.0 && x <= 1.0))
    return not_a_number;
  if (x == 1.0)
    return 0.0;
  if (x == -1.0)
    return pi.hi;
  const double a = x < 0.0 ? -x : x;
  DoubleDouble angle;
  if (a <= acos_sine_form_start) {
    // acos x = pi/2 - atan(x / sqrt(1 - x^2)); 1 - x^2 stays above one half.
    const DoubleDouble square = two_product(a, a);
    const DoubleDouble sine = square_root(add(two_sum(1.0, -square.hi), {-square.lo, 0.0}));
    const DoubleDouble t = arctangent_unit(divide({a, 0.0}, sine));
    angle = add(half_pi, x < 0.0 ? t : negate(t));
  } else {
    // Near +-1 the sine comes from (1 - a)(1 + a), where 1 - a is exact, and acos |x| =
    // atan(sqrt(1 - a^2) / a) keeps full relative accuracy down to the smallest angles.
    const DoubleDouble sine = square_root(multiply(two_sum(1.0, a), 1.0 - a));
    const DoubleDouble t = arctangent_unit(divide(sine, {a, 0.0}));
    angle = x < 0.0 ? add(pi, negate(t)) : t;
  }
  return angle.hi + angle.lo;
}

double hypot(double x, double y) {
  const DoubleDouble sum = add(two_product(x, x), two_product(y, y));
  if (sum.hi == 0.0)
    return 0.0;
  const DoubleDouble root = square_root(sum);
  return root.hi + root.lo;
}

} // namespace common::portable
