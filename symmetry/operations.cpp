#include "symmetry/operations.hpp"

#include <cmath>
#include <cstddef>

namespace symmetry {

void gencn(const double* e1, const double* e2, const double* e3, double phi, double sigma,
           Operation& r) {
  const double c = std::cos(phi);
  const double s = std::sin(phi);
  for (int j = 0; j < 3; ++j) {
    for (int i = 0; i < 3; ++i) {
      r[static_cast<std::size_t>(i + 3 * j)] = c * (e1[i] * e1[j] + e2[i] * e2[j]) +
                                               s * (e2[i] * e1[j] - e1[i] * e2[j]) +
                                               sigma * e3[i] * e3[j];
    }
  }
}

void gencs(const double* n, Operation& r) {
  for (int j = 0; j < 3; ++j) {
    for (int i = 0; i < 3; ++i) {
      r[static_cast<std::size_t>(i + 3 * j)] = (i == j ? 1.0 : 0.0) - 2.0 * n[i] * n[j];
    }
  }
}

} // namespace symmetry
