// Unevaluated sums of two doubles (hi + lo, |lo| at most half an ulp of hi) and the few exact
// building blocks the elementary functions carry their intermediate results in. Only additions,
// multiplications, divisions and square roots are used, each of which IEEE 754 rounds the same way
// on every machine, so results do not depend on the processor.
#pragma once

#include <cmath>

namespace common {

// How an exact product is formed: by Dekker's splitting (seventeen operations, on any processor)
// or by one fused multiply-add. Both give the same bits, since an exact product has one value; the
// fused form is for code compiled for processors that have the instruction (elsewhere std::fma is
// a call into the C library, emulated in software where the processor lacks it).
enum class Products { split, fused };

// hi + lo, about 106 significant bits.
struct DoubleDouble {
  double hi;
  double lo;
};

// a + b exactly, when |a| >= |b| or a is zero.
inline DoubleDouble fast_two_sum(double a, double b) {
  const double s = a + b;
  return {s, b - (s - a)};
}

// a + b exactly, whatever their magnitudes.
inline DoubleDouble two_sum(double a, double b) {
  const double s = a + b;
  const double bb = s - a;
  return {s, (a - (s - bb)) + (b - bb)};
}

// a = hi + lo with hi holding the leading 26 bits (Veltkamp); for |a| below 2^995.
inline DoubleDouble split(double a) {
  constexpr double splitter = 134217729.0; // 2^27 + 1
  const double c = splitter * a;
  const double hi = c - (c - a);
  return {hi, a - hi};
}

// a b exactly, while the product and its error stay clear of underflow and overflow.
template <Products how = Products::split> inline DoubleDouble two_product(double a, double b) {
  const double p = a * b;
  if constexpr (how == Products::fused) {
    return {p, std::fma(a, b, -p)};
  } else {
    const DoubleDouble x = split(a);
    const DoubleDouble y = split(b);
    return {p, ((x.hi * y.hi - p) + x.hi * y.lo + x.lo * y.hi) + x.lo * y.lo};
  }
}

// a + b, both double-doubles whose sum does not cancel to a small fraction of them.
inline DoubleDouble add(DoubleDouble a, DoubleDouble b) {
  const DoubleDouble s = two_sum(a.hi, b.hi);
  return fast_two_sum(s.hi, s.lo + (a.lo + b.lo));
}

// -a.
inline DoubleDouble negate(DoubleDouble a) { return {-a.hi, -a.lo}; }

// a b.
template <Products how = Products::split>
inline DoubleDouble multiply(DoubleDouble a, DoubleDouble b) {
  const DoubleDouble p = two_product<how>(a.hi, b.hi);
  return fast_two_sum(p.hi, p.lo + (a.hi * b.lo + a.lo * b.hi));
}

// a b for a plain double b.
template <Products how = Products::split> inline DoubleDouble multiply(DoubleDouble a, double b) {
  const DoubleDouble p = two_product<how>(a.hi, b);
  return fast_two_sum(p.hi, p.lo + a.lo * b);
}

// a / b: a first quotient, then the quotient of what it leaves over.
inline DoubleDouble divide(DoubleDouble a, DoubleDouble b) {
  const double q = a.hi / b.hi;
  const DoubleDouble p = multiply(b, q);
  const DoubleDouble rest = two_sum(a.hi, -p.hi);
  const double remainder = rest.hi + (rest.lo + (a.lo - p.lo));
  return fast_two_sum(q, remainder / b.hi);
}

// a - s^2 exactly, for s the rounded square root of a (the residue is a double, and a - s^2
// cancels exactly in its leading part).
template <Products how = Products::split> inline double root_residue(double a, double s) {
  const DoubleDouble square = two_product<how>(s, s);
  return (a - square.hi) - square.lo;
}

// The square root of a positive a; one Newton correction from the exact residue of the rounded
// root takes it to double-double precision.
inline DoubleDouble square_root(DoubleDouble a) {
  const double s = std::sqrt(a.hi);
  return fast_two_sum(s, (root_residue(a.hi, s) + a.lo) / (2.0 * s));
}

} // namespace common
