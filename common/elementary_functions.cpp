#include "common/elementary_functions.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#if defined(__x86_64__)
// The C library's view of the processor's features. The header is written in C (its functions
// return _Bool), which GCC takes in C++ and clang does not.
#if defined(__clang__)
#define _Bool bool
#endif
#include <sys/platform/x86.h>
#if defined(__clang__)
#undef _Bool
#endif
#endif

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

// x = k pi/64 + r with r in [-pi/128, pi/128] as a double-double.
struct Reduced {
  std::int64_t k;
  DoubleDouble r;
};

// Below reduction_limit: the products of k with the first pieces of pi/64 are exact, the
// differences with x exact by Sterbenz's lemma, and what the last pieces add is summed with its
// rounding errors.
Reduced reduce_moderate(double x) {
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

__extension__ using Wide = unsigned __int128;

// Word j of the digits of 64/pi; the words before the first are zero.
std::uint64_t digits_word(int j) {
  return j < 0 ? 0 : steps_per_radian_bits[static_cast<std::size_t>(j)];
}

// Bits [low, low + 64) of a number held in 64-bit words, least significant first.
template <std::size_t n> std::uint64_t bits_at(const std::array<std::uint64_t, n>& words, int low) {
  const auto word = static_cast<std::size_t>(low / 64);
  const int shift = low % 64;
  const std::uint64_t next = word + 1 < n ? words[word + 1] : 0;
  return shift == 0 ? words[word] : (words[word] >> shift) | (next << (64 - shift));
}

// The 192-bit fraction f (bits worth 2^-1 .. 2^-192, most significant word first) as a
// double-double: its leading 53 bits, then the next 53.
DoubleDouble fraction_value(const std::array<std::uint64_t, 3>& f) {
  // Least significant word first, below them a zero word so that bits under 2^-192 read as zero.
  const std::array<std::uint64_t, 4> words{0, f[2], f[1], f[0]};
  constexpr int fraction_bits = 192;
  constexpr int lowest = 64;
  constexpr std::uint64_t mantissa_mask = (std::uint64_t{1} << 53) - 1;
  int top = lowest + fraction_bits - 1;
  while (top >= lowest + 2 * 53 && (bits_at(words, top) & 1) == 0)
    --top;
  // The fraction is never that small for a double's x; stop with what there is.
  const int exponent = top - lowest - fraction_bits;
  const double hi = static_cast<double>(bits_at(words, top - 52) & mantissa_mask);
  const double lo = static_cast<double>(bits_at(words, top - 105) & mantissa_mask);
  return fast_two_sum(std::ldexp(hi, exponent - 52), std::ldexp(lo, exponent - 105));
}

// At and beyond reduction_limit: x = m 2^e with an integer m below 2^53, and x 64/pi taken modulo
// 128 from the product of m with five words of the digits of 64/pi, chosen so that the bits worth
// 2^6 .. 2^-192 of the product are exact but for the last 53 (the words before add multiples of
// 128, the words after less than the last bit). Integer arithmetic: the same on every machine.
Reduced reduce_large(double x) {
  const double a = x < 0.0 ? -x : x;
  const auto bits = std::bit_cast<std::uint64_t>(a);
  const int e = static_cast<int>(bits >> 52) - 1075;
  const std::uint64_t m = (bits & ((std::uint64_t{1} << 52) - 1)) | (std::uint64_t{1} << 52);
  // The unit bit of x 64/pi falls at bit 315 - e + 64 first of the product; first is chosen to put
  // it between bits 192 and 255.
  const int first = (e - 60) >= 0 ? (e - 60) / 64 : -((60 - e + 63) / 64);
  std::array<std::uint64_t, 6> product{};
  std::uint64_t carry = 0;
  for (int i = 0; i < 5; ++i) {
    const Wide p = static_cast<Wide>(m) * digits_word(first + 4 - i) + carry;
    product[static_cast<std::size_t>(i)] = static_cast<std::uint64_t>(p);
    carry = static_cast<std::uint64_t>(p >> 64);
  }
  product[5] = carry;
  const int unit = 315 - e + 64 * first;
  std::int64_t k = static_cast<std::int64_t>(bits_at(product, unit) & (steps_per_turn - 1));
  std::array<std::uint64_t, 3> f{bits_at(product, unit - 64), bits_at(product, unit - 128),
                                 bits_at(product, unit - 192)};
  double sign = 1.0;
  if (f[0] >> 63) {
    // A fraction of one half or more: round k up and take 1 - f, in two's complement.
    ++k;
    sign = -1.0;
    f = {~f[0], ~f[1], ~f[2]};
    for (std::size_t i = 3; i-- > 0;)
      if (++f[i] != 0)
        break;
  }
  const DoubleDouble r = multiply(fraction_value(f), step_angle);
  const double s = x < 0.0 ? -sign : sign;
  return {x < 0.0 ? -k : k, {s * r.hi, s * r.lo}};
}

Reduced reduce(double x) {
  return x < reduction_limit && x > -reduction_limit ? reduce_moderate(x) : reduce_large(x);
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

// sin and cos of k pi/64 from a quarter turn of table steps j: in quadrant q, sin is +-sin or
// +-cos of j pi/64 (cos j pi/64 = sin (32 - j) pi/64) and cos the other, with the signs of the
// quadrant. Indices and signs are selected without branches, which the turns of a molecule's
// angles would mispredict; a sign is applied as an exact multiplication by +-1.
[[gnu::always_inline]] inline SineCosine sine_cosine_of_step(std::int64_t k) {
  constexpr std::array<double, 4> sine_sign{1.0, 1.0, -1.0, -1.0};
  constexpr std::array<double, 4> cosine_sign{1.0, -1.0, -1.0, 1.0};
  const auto step = static_cast<int>(k & (steps_per_turn - 1));
  const auto quadrant = static_cast<std::size_t>(step / sine_steps);
  const int j = step % sine_steps;
  const int sine_index = (quadrant & 1) != 0 ? sine_steps - j : j;
  const DoubleDouble s = sine_of_step[static_cast<std::size_t>(sine_index)];
  const DoubleDouble c = sine_of_step[static_cast<std::size_t>(sine_steps - sine_index)];
  const double ss = sine_sign[quadrant];
  const double cs = cosine_sign[quadrant];
  return {{ss * s.hi, ss * s.lo}, {cs * c.hi, cs * c.lo}};
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

bool finite(double x) { return x - x == 0.0; }

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

// The fast paths carry their result as hi + lo to within a bound err, about 2^-61 of it; when
// hi + lo rounds to the same double at both ends of [lo - err, lo + err], that double is the
// correctly rounded result. Otherwise (a few times in a thousand) the careful path decides.
struct Estimate {
  double hi;
  double lo;
  double err;
};

bool decided(const Estimate& e) { return e.hi + (e.lo - e.err) == e.hi + (e.lo + e.err); }

double magnitude(double x) { return x < 0.0 ? -x : x; }

// Bounds of the fast paths' errors, relative to the result and to the table value that
// multiplies cos(r) - 1.
constexpr double fast_relative_error = 0x1p-62;
constexpr double fast_table_error = 0x1p-61;
constexpr double fast_arcsine_error = 0x1p-63;
constexpr double fast_table_arccosine_error = 0x1p-65;

// sin(x) (sine true) or cos(x) for |x| < reduction_limit in double arithmetic: r = x - k pi/64
// as a + rl, then sin(a + r) and cos(a + r) from the table with the small terms of sin r and
// cos r - 1 in plain doubles.
template <Products how>
[[gnu::always_inline]] inline Estimate sine_or_cosine_fast(double x, bool sine) {
  const double k = (x * steps_per_radian + integer_shifter) - integer_shifter;
  const double t = x - k * radians_per_step[0];
  const DoubleDouble r = two_sum(t, -(k * radians_per_step[1]));
  const double a = r.hi;
  const double rl = (r.lo - k * radians_per_step[2]) - k * radians_per_step[3];
  const double z = a * a;
  // sin r = a + sine_low, cos r = 1 + cosine_low.
  const double sine_low =
      rl + a * z * (-1.0 / 6 + z * (1.0 / 120 - z * (1.0 / 5040 - z * (1.0 / 362880))));
  const double cosine_low =
      z * (-0.5 + z * (1.0 / 24 - z * (1.0 / 720 - z * (1.0 / 40320)))) - a * rl;
  const SineCosine step = sine_cosine_of_step(static_cast<std::int64_t>(k));
  // sin x = S cos r + C sin r, cos x = C cos r - S sin r: with (P, Q) = (S, C) or (C, -S), the
  // result is P cos r + Q sin r.
  const DoubleDouble p = sine ? step.sine : step.cosine;
  const DoubleDouble q = sine ? step.cosine : negate(step.sine);
  const DoubleDouble product = two_product<how>(q.hi, a);
  const DoubleDouble head = two_sum(p.hi, product.hi);
  const double lo =
      ((head.lo + product.lo) + (p.lo + q.lo * a + q.hi * sine_low)) + p.hi * cosine_low;
  return {head.hi, lo,
          fast_table_error * magnitude(p.hi) + fast_relative_error * magnitude(head.hi)};
}

// asin(s) - s = s z P(z) for z = s^2 <= 1/4, from sz = s z as a double-double.
template <Products how>
[[gnu::always_inline]] inline DoubleDouble arcsine_correction(DoubleDouble sz, double z) {
  // Pieces of width 1/64: z 64 is the piece's number (z = 1/4 falls in the last).
  const int j = std::min(static_cast<int>(z * (4 * arcsine_pieces)), arcsine_pieces - 1);
  const ArcsinePiece& piece = arcsine_piece[static_cast<std::size_t>(j)];
  const double dz = z - piece.centre;
  // Estrin's scheme: three levels of products instead of Horner's chain of eight.
  const auto& c = piece.p;
  const double dz2 = dz * dz;
  const double low = (c[0] + dz * c[1]) + dz2 * (c[2] + dz * c[3]);
  const double high = (c[4] + dz * c[5]) + dz2 * (c[6] + dz * c[7]);
  const double q = low + (dz2 * dz2) * high;
  return multiply<how>(sz, fast_two_sum(piece.p0.hi, piece.p0.lo + dz * q));
}

// acos(x) for |x| <= 1/2 from the nearest table point c = j/128: acos(c + d) = acos c + slope d +
// d^2 q(d), with d = x - c exact (|d| <= 1/256, a multiple of the ulp of x) and the product of
// the slope with d exact but for the slope's own low part. The terms of q lie below 2^-17 of the
// result and are summed in plain doubles; the first term left out, below 2^-69.
template <Products how> [[gnu::always_inline]] inline Estimate arccosine_near_zero(double x) {
  const double j = (x * arccosine_steps + integer_shifter) - integer_shifter;
  const double d = x - j * (1.0 / arccosine_steps);
  const ArccosinePoint& point =
      arccosine_point[static_cast<std::size_t>(static_cast<int>(j) + arccosine_reach)];
  const auto& c = point.p;
  const double d2 = d * d;
  // Estrin's scheme, as for the arcsine's pieces.
  const double q =
      ((c[0] + d * c[1]) + d2 * (c[2] + d * c[3])) + (d2 * d2) * ((c[4] + d * c[5]) + d2 * c[6]);
  const DoubleDouble product = two_product<how>(point.slope.hi, d);
  const DoubleDouble sum = two_sum(point.value.hi, product.hi);
  const double lo = sum.lo + (point.value.lo + ((product.lo + point.slope.lo * d) + d2 * q));
  return {sum.hi, lo, fast_table_arccosine_error * sum.hi};
}

// acos(x) for |x| < 1: from the table up to |x| = 1/2; beyond, 2 asin(s) with s = sqrt((1 -
// |x|)/2) (exact under the root), or pi less it for negative x.
template <Products how> [[gnu::always_inline]] inline Estimate arccosine_fast(double x) {
  const double a = magnitude(x);
  if (a <= 0.5)
    return arccosine_near_zero<how>(x);
  const double w = 0.5 - 0.5 * a;
  const double s = std::sqrt(w);
  const double s_low = root_residue<how>(w, s) / (2.0 * s);
  // With sqrt(w) = s + s_low exactly enough, asin(sqrt(w)) = s + s_low + (s + s_low) w P(w).
  const DoubleDouble sw = two_product<how>(s, w);
  const DoubleDouble correction = arcsine_correction<how>({sw.hi, sw.lo + s_low * w}, w);
  const DoubleDouble arcsine = two_sum(s, correction.hi);
  const double arcsine_low = arcsine.lo + (correction.lo + s_low);
  if (x > 0.0)
    return {2.0 * arcsine.hi, 2.0 * arcsine_low, fast_arcsine_error * 2.0 * arcsine.hi};
  const DoubleDouble sum = two_sum(pi.hi, -2.0 * arcsine.hi);
  return {sum.hi, sum.lo + (pi.lo - 2.0 * arcsine_low), fast_arcsine_error * sum.hi};
}

// sin(x) or cos(x) for |x| >= tiny, by the double-double path.
[[gnu::noinline]] double careful_sine_or_cosine(double x, bool sine) {
  const SineCosine sc = sine_cosine(x);
  const DoubleDouble r = sine ? sc.sine : sc.cosine;
  return r.hi + r.lo;
}

// sin(x) or cos(x): the fast path where its rounding test decides, else the careful path; the
// small arguments' own answer (x, or 1); NaN for infinite or NaN x.
template <Products how> [[gnu::always_inline]] inline double sine_or_cosine(double x, bool sine) {
  const double tiny = sine ? tiny_sine_argument : tiny_cosine_argument;
  const double a = magnitude(x);
  if (a >= tiny && a < reduction_limit) {
    const Estimate e = sine_or_cosine_fast<how>(x, sine);
    return decided(e) ? e.hi + e.lo : careful_sine_or_cosine(x, sine);
  }
  if (!finite(x))
    return not_a_number;
  if (a < tiny)
    return sine ? x : 1.0;
  return careful_sine_or_cosine(x, sine);
}

// acos(x) for |x| < 1 by the double-double path: through atan of the tangent.
[[gnu::noinline]] double careful_arccosine(double x) {
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

// acos(x): inside (-1, 1) the fast path where its rounding test decides, else the careful
// path; the ends exactly; NaN beyond them and for NaN.
template <Products how> [[gnu::always_inline]] inline double arccosine(double x) {
  if (magnitude(x) < 1.0) {
    const Estimate e = arccosine_fast<how>(x);
    return decided(e) ? e.hi + e.lo : careful_arccosine(x);
  }
  if (x == 1.0)
    return 0.0;
  if (x == -1.0)
    return pi.hi;
  return not_a_number;
}

} // namespace

double tan(double x) {
  if (!finite(x))
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
    const DoubleDouble qa = two_product(q, a);
    const double residue = (1.0 - qa.hi) - qa.lo;
    angle = add(half_pi, negate(arctangent_unit(fast_two_sum(q, residue / a))));
  }
  const double result = angle.hi + angle.lo;
  return x < 0.0 ? -result : result;
}

double hypot(double x, double y) {
  const DoubleDouble sum = add(two_product(x, x), two_product(y, y));
  if (sum.hi == 0.0)
    return 0.0;
  const DoubleDouble root = square_root(sum);
  return root.hi + root.lo;
}

namespace variants {

// x86-64 processors have had fused multiply-adds since 2013, but the baseline build may not use
// them: there the fused forms are compiled for the instruction and chosen where the C library
// finds it usable. Elsewhere it is part of the baseline where the compiler says it is fast
// (arm64), and the split forms run where it is not.
#if defined(__x86_64__)
const bool fused_usable = CPU_FEATURE_ACTIVE(FMA);
#define FUSED_PRODUCTS [[gnu::target("fma")]]
#elif defined(__FP_FAST_FMA)
const bool fused_usable = true;
#define FUSED_PRODUCTS
#else
const bool fused_usable = false;
#define FUSED_PRODUCTS
#endif

double sin_split(double x) { return sine_or_cosine<Products::split>(x, true); }
double cos_split(double x) { return sine_or_cosine<Products::split>(x, false); }
double acos_split(double x) { return arccosine<Products::split>(x); }
FUSED_PRODUCTS double sin_fused(double x) { return sine_or_cosine<Products::fused>(x, true); }
FUSED_PRODUCTS double cos_fused(double x) { return sine_or_cosine<Products::fused>(x, false); }
FUSED_PRODUCTS double acos_fused(double x) { return arccosine<Products::fused>(x); }

#undef FUSED_PRODUCTS

} // namespace variants

} // namespace common::portable
