// Small vector and matrix routines on contiguous doubles. Matrices are n x n, column by column.
#pragma once

#include <array>
#include <span>

namespace common {

// A point or a direction in space: x, y, z.
using Vec3 = std::array<double, 3>;

// pi to the last digit a double holds.
inline constexpr double pi = 3.141592653589793;

// Sets every element of a to 0.0.
void dzero(std::span<double> a);
// Sets every element of k to 0.
void izero(std::span<int> k);
// Copies a into the start of b, element by element (b at least as long as a).
void cpyvec(std::span<const double> a, std::span<double> b);
// Scales a in place: a(i) = s a(i).
void vscal(double s, std::span<double> a);
// The dot product: the sum of a(i) b(i) in increasing i, starting from zero.
double sprod(std::span<const double> a, std::span<const double> b);
// The product y = A x: y cleared, then column j adds A(i, j) x(j) to y(i), j increasing.
void matvec(int n, std::span<const double> a, std::span<const double> x, std::span<double> y);
// Sets a to d times the n x n unit matrix.
void setdiagmat(int n, double d, std::span<double> a);
// The cross product c = a x b of two 3-vectors.
void cross(const double* a, const double* b, double* c);

} // namespace common
