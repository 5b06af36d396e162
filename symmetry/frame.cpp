#include "symmetry/frame.hpp"

#include <cmath>

namespace symmetry {

int anorm(double* v, double& length) {
  length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
  if (length < anorm_min_length) return -1;
  for (int k = 0; k < 3; ++k) v[k] /= length;
  return 0;
}

double dif(const double* a, const double* b, int m) {
  double sum = 0.0;
  for (int i = 0; i < m; ++i) sum += (a[i] - b[i]) * (a[i] - b[i]);
  return std::sqrt(sum);
}

double deter(const double* a) {
  // a[(i - 1) + 3 (j - 1)] is element (i, j).
  return a[0] * (a[4] * a[8] - a[7] * a[5]) - a[3] * (a[1] * a[8] - a[7] * a[2]) +
         a[6] * (a[1] * a[5] - a[4] * a[2]);
}

bool doof(const double* a, const double* b, int m, double t) {
  for (int i = 0; i < m; ++i) {
    if (!(std::fabs(a[i] - b[i]) <= t)) return false;
  }
  return true;
}

}  // namespace symmetry
