// Unevaluated sums of two doubles (hi + lo, |lo| at most half an ulp of hi) and the few exact
// building blocks the elementary functions carry their intermediate results in. Only additions,
// multiplications, divisions, square roots and fused multiply-adds are used, each of which IEEE 754
// rounds the same way on every machine, so results do not depend on the processor.
#pragma once

#include <cmath>

namespace common {

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

// a b exactly: the fused multiply-add yields the rounding error of the product.
inline DoubleDouble two_product(double a, double b) {
  const double p = a * b;
  return {p, std::fma(a, b, -p)};
}

// a + b, both double-doubles whose sum does not cancel to a small fraction of them.
inline DoubleDouble add(DoubleDouble a, DoubleDouble b) {
  const DoubleDouble s = two_sum(a.hi, b.hi);
  return fast_two_sum(s.hi, s.lo + (a.lo + b.lo));
}

// -a.
inline DoubleDouble negate(DoubleDouble a) { return {-a.hi, -a.lo}; }

// a b.
inline DoubleDouble multiply(DoubleDouble a, DoubleDouble b) {
  const DoubleDouble p = two_product(a.hi, b.hi);
  return fast_two_sum(p.hi, p.lo + (a.hi * b.lo + a.lo * b.hi));
}

// a b for a plain double b.
inline DoubleDouble multiply(DoubleDouble a, double b) {
  const DoubleDouble p = two_product(a.hi, b);
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

// The square root of a positive a; the residue of the rounded root is exact under the fused
// multiply-add, and one Newton correction takes the root to double-double precision.
inline DoubleDouble square_root(DoubleDouble a) {
  const double s = std::sqrt(a.hi);
  const double residue = std::fma(-s, s, a.hi) + a.lo;
  return fast_two_sum(s, residue / (2.0 * s));
}

} // namespace common
