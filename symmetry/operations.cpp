#include "symmetry/operations.hpp"

#include <cmath>
#include <cstddef>
#include <span>

#include "common/elementary_functions.hpp"

namespace symmetry {

namespace {

double dot(const double* a, const double* b) {
  return common::sprod(std::span<const double>(a, 3), std::span<const double>(b, 3));
}

} // namespace

void gencn(const double* e1, const double* e2, const double* e3, double phi, double sigma,
           Operation& r) {
  const double c = common::portable::cos(phi);
  const double s = common::portable::sin(phi);
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

void mult3(const Operation& a, const Operation& b, Operation& c) {
  for (int j = 0; j < 3; ++j) {
    for (int i = 0; i < 3; ++i) {
      double sum = 0.0;
      for (int k = 0; k < 3; ++k)
        sum += a[i + 3 * k] * b[k + 3 * j];
      c[i + 3 * j] = sum;
    }
  }
}

Operation transpose(const Operation& r) {
  return {r[0], r[3], r[6], r[1], r[4], r[7], r[2], r[5], r[8]};
}

Operation frame_matrix(const double* e1, const double* e2, const double* e3) {
  const double* rows[3] = {e1, e2, e3};
  Operation t;
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j)
      t[static_cast<std::size_t>(i + 3 * j)] = rows[i][j];
  }
  return t;
}

bool parall(const double* a, const double* b, double tol) {
  return std::fabs(std::fabs(dot(a, b)) - 1.0) < tol;
}

bool orthog(const double* a, const double* b, double tol) { return std::fabs(dot(a, b)) < tol; }

} // namespace symmetry
