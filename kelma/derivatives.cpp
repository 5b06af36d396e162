#include "kelma/derivatives.hpp"

#include <cmath>
#include <cstddef>
#include <string>
#include <string_view>

#include "common/channels.hpp"
#include "common/matrix_view.hpp"
#include "common/records.hpp"
#include "common/termination.hpp"
#include "common/vectors.hpp"
#include "kelma/energy.hpp"
#include "kelma/parameters.hpp"

namespace kelma {

namespace {

// Central differences of the analytic gradient: the step (Angstrom) and its double.
constexpr double fd_step = 0.001;
constexpr double fd_divisor = 0.002;
// The Hessian notes are listed above this print level.
constexpr int hessian_listing_print = 1;

void hessian_note(int print, std::string_view text) {
  if (print > hessian_listing_print) {
    common::write_record(common::listing_unit, common::FreeRecord().item(text).str());
  }
}

double gradient_at(const ForceFieldModel& m, std::span<const double> xyz, std::span<double> g) {
  return ffegrad(m.natoms, m.vdwc, m.print, xyz, m.itype, m.conn, m.ff, g);
}

// Row i of the Hessian (kcal/mol/Angstrom^2) is the difference of the gradients a step either
// side of coordinate i; the coordinate is put back by the same additions, not by a copy.
void finite_difference_hessian(const ForceFieldModel& m, std::span<double> xyz,
                               std::span<double> gplus, std::span<double> gminus,
                               std::span<double> hess) {
  const int dim = 3 * m.natoms;
  const common::MatrixView<double> h{hess.data(), dim};
  for (int i = 1; i <= dim; ++i) {
    double& x = xyz[static_cast<std::size_t>(i - 1)];
    x += fd_step;
    gradient_at(m, xyz, gplus);
    x -= fd_step;
    x -= fd_step;
    gradient_at(m, xyz, gminus);
    x += fd_step;
    for (int j = 1; j <= dim; ++j) {
      const auto k = static_cast<std::size_t>(j - 1);
      h(i, j) = (gplus[k] - gminus[k]) / fd_divisor;
    }
  }
  for (int j = 2; j <= dim; ++j) {
    for (int i = 1; i < j; ++i) {
      const double mean = (h(i, j) + h(j, i)) * 0.5;
      h(i, j) = mean;
      h(j, i) = mean;
    }
  }
}

} // namespace

void ffderiv(const ForceFieldModel& model, int jobtype, std::span<double> xyz,
             std::span<double> gscratch, double& energy, std::span<double> grad,
             std::span<double> hess, int& ncall) {
  if (ncall == 0) {
    ffsetup(model.natoms, model.maxbend, model.maxtors, model.print, xyz, model.itype, model.conn,
            model.ff);
  }
  ++ncall;
  const auto dim = 3 * static_cast<std::size_t>(model.natoms);
  if (jobtype == 1) {
    hessian_note(model.print, "  Hessian Calculated Using Sybyl-5.2 Force Field");
    const std::span<double> h = hess.first(dim * dim);
    common::dzero(h);
    finite_difference_hessian(model, xyz, gscratch, grad, h);
    hessian_note(model.print, "  Hessian Calculation Complete");
    common::vscal(hessian_to_hartree_bohr2, h);
  }
  if (jobtype >= 0) {
    energy = gradient_at(model, xyz, grad);
    common::vscal(gradient_to_force, grad.first(dim));
  }
}

void check_geometry(int natoms, std::span<const double> xyz) {
  const auto coords = 3 * static_cast<std::size_t>(natoms);
  for (std::size_t k = 0; k < coords; ++k) {
    if (std::abs(xyz[k]) > max_coordinate) {
      common::input_error("atom " + std::to_string(k / 3 + 1) +
                          ": a coordinate lies beyond 1.0e6 Angstrom");
    }
  }
  for (int j = 2; j <= natoms; ++j) {
    for (int i = 1; i < j; ++i) {
      if (atom_distance(xyz, i, j) < min_distance) {
        common::input_error("atoms " + std::to_string(i) + " and " + std::to_string(j) +
                            " are at the same position");
      }
    }
  }
}

} // namespace kelma
