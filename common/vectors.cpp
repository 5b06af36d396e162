#include "common/vectors.hpp"

#include <algorithm>
#include <cstddef>

namespace common {

void dzero(std::span<double> a) { std::fill(a.begin(), a.end(), 0.0); }

void izero(std::span<int> k) { std::fill(k.begin(), k.end(), 0); }

void cpyvec(std::span<const double> a, std::span<double> b) {
  std::copy(a.begin(), a.end(), b.begin());
}

void vscal(double s, std::span<double> a) {
  for (double& v : a)
    v = s * v;
}

double sprod(std::span<const double> a, std::span<const double> b) {
  double sum = 0.0;
  for (std::size_t i = 0; i < a.size(); ++i)
    sum += a[i] * b[i];
  return sum;
}

void matvec(int n, std::span<const double> a, std::span<const double> x, std::span<double> y) {
  const auto un = static_cast<std::size_t>(n);
  std::fill(y.begin(), y.begin() + static_cast<std::ptrdiff_t>(un), 0.0);
  for (std::size_t j = 0; j < un; ++j) {
    const double xj = x[j];
    const double* column = a.data() + j * un;
    for (std::size_t i = 0; i < un; ++i)
      y[i] += column[i] * xj;
  }
}

void setdiagmat(int n, double d, std::span<double> a) {
  const auto un = static_cast<std::size_t>(n);
  std::fill(a.begin(), a.begin() + static_cast<std::ptrdiff_t>(un * un), 0.0);
  for (std::size_t i = 0; i < un; ++i)
    a[i + i * un] = d;
}

void cross(const double* a, const double* b, double* c) {
  c[0] = a[1] * b[2] - a[2] * b[1];
  c[1] = a[2] * b[0] - a[0] * b[2];
  c[2] = a[0] * b[1] - a[1] * b[0];
}

} // namespace common
