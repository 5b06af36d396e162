#include "kelma/energy.hpp"

#include <array>
#include <cmath>
#include <cstddef>
#include <string_view>

#include "common/elementary_functions.hpp"
#include "common/matrix_view.hpp"
#include "common/records.hpp"
#include "common/vectors.hpp"
#include "kelma/parameters.hpp"
#include "kelma/units.hpp"

namespace kelma {

namespace {

// Below this bond-angle sine a bend has no defined direction and a torsion no defined plane.
constexpr double min_sine = 1.0e-8;
// An out-of-plane centre counts only on the side of its plane where t reaches this.
constexpr double min_height = 1.0e-8;

using common::Vec3;

// Everything one evaluation reads, with 1-based views of the pair matrices.
struct Model {
  int natoms;
  double vdwc;
  std::span<const double> xyz;
  std::span<const int> itype;
  common::MatrixView<const int> conn;
  common::MatrixView<const double> dist;
  common::MatrixView<const double> r0;
  common::MatrixView<const double> kpair;
  const BendList& bends;
  const TorsionList& torsions;
  const Counts& counts;

  Vec3 atom(int k) const {
    const double* p = xyz.data() + 3 * static_cast<std::size_t>(k - 1);
    return {p[0], p[1], p[2]};
  }
};

Vec3 diff(const Vec3& a, const Vec3& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }

double dot(const Vec3& a, const Vec3& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

Vec3 cross(const Vec3& a, const Vec3& b) {
  Vec3 c;
  common::cross(a.data(), b.data(), c.data());
  return c;
}

double clamp_cosine(double c) {
  if (c > 1.0)
    return 1.0;
  if (c < -1.0)
    return -1.0;
  return c;
}

// The cosine of the angle between sides a and b of a triangle whose third side is c.
double law_of_cosines(double a, double b, double c) {
  return clamp_cosine((a * a + b * b - c * c) / (2.0 * a * b));
}

// The gradients, with respect to u and to v, of s times the cosine of the angle between u and v
// (lengths lu, lv): cosine = u.v / (lu lv).
void cosine_gradients(double s, double cosine, const Vec3& u, const Vec3& v, double lu, double lv,
                      Vec3& gu, Vec3& gv) {
  const double luv = lu * lv;
  for (int k = 0; k < 3; ++k) {
    gu[k] = s * (v[k] / luv - cosine * u[k] / (lu * lu));
    gv[k] = s * (u[k] / luv - cosine * v[k] / (lv * lv));
  }
}

// grad(:, atom) += s g
void add_gradient(std::span<double> grad, int atom, double s, const Vec3& g) {
  double* p = grad.data() + 3 * static_cast<std::size_t>(atom - 1);
  for (int k = 0; k < 3; ++k)
    p[k] += s * g[k];
}

// g taken from atom `from` and given to atom `to`: a term that depends on the vector to - from.
void shift_gradient(std::span<double> grad, int from, int to, const Vec3& g) {
  add_gradient(grad, from, -1.0, g);
  add_gradient(grad, to, 1.0, g);
}

// Full distance matrix, diagonal 0; off-diagonal distances are kept at min_distance or above.
void compute_distances(int natoms, std::span<const double> xyz, common::MatrixView<double> dist) {
  for (int j = 1; j <= natoms; ++j) {
    dist(j, j) = 0.0;
    for (int i = 1; i < j; ++i) {
      const double r = atom_distance(xyz, i, j);
      dist(i, j) = r < min_distance ? min_distance : r;
      dist(j, i) = dist(i, j);
    }
  }
}

// Stretch and van der Waals sums over the pairs i > j within vdwc.
template <bool with_gradient>
void pair_terms(const Model& m, EnergyTerms& e, std::span<double> grad) {
  for (int i = 2; i <= m.natoms; ++i) {
    for (int j = 1; j < i; ++j) {
      // The pair matrices are symmetric: (j, i) walks along a column, (i, j) would stride.
      const double r = m.dist(j, i);
      if (r > m.vdwc)
        continue;
      const double k = m.kpair(j, i);
      double f = 0.0;
      if (m.conn(j, i) != 0) {
        const double dr = r - m.r0(j, i);
        e.stretch += k * (dr * dr);
        if constexpr (with_gradient)
          f = k * dr / r;
      } else {
        // Excluded pairs carry a zero well depth: their term is exactly zero.
        if (k == 0.0)
          continue;
        const double s = (vdw_radius(m.itype[i - 1]) + vdw_radius(m.itype[j - 1])) / r;
        const double s2 = s * s;
        const double s4 = s2 * s2;
        const double s6 = s2 * s4;
        const double s12 = s4 * s4 * s4;
        e.vdw += k * (s12 - 2.0 * s6);
        if constexpr (with_gradient)
          f = 12.0 * k * (s6 - s12) / (r * r);
      }
      if constexpr (with_gradient) {
        const Vec3 d = diff(m.atom(i), m.atom(j));
        add_gradient(grad, i, f, d);
        add_gradient(grad, j, -f, d);
      }
    }
  }
}

// Harmonic bends in degrees; a collinear bend keeps its energy but gets no gradient.
template <bool with_gradient>
void bend_terms(const Model& m, EnergyTerms& e, std::span<double> grad) {
  const BendList& list = m.bends;
  for (std::size_t n = 0; n < static_cast<std::size_t>(m.counts.nbend); ++n) {
    const auto [a, b, c] = list.atoms(n);
    const double r1 = m.dist(a, b);
    const double r2 = m.dist(b, c);
    const double r3 = m.dist(a, c);
    const double cosine = law_of_cosines(r1, r2, r3);
    const double delta = common::portable::acos(cosine) * degrees_per_radian - list.theta0[n];
    e.bend += list.kbend[n] * (delta * delta);
    if constexpr (with_gradient) {
      const double sine = std::sqrt(1.0 - cosine * cosine);
      if (sine < min_sine)
        continue;
      // d(theta)/dx = -(1/sin) d(cos)/dx, with cos = u.v / (r1 r2) for the two arms u, v.
      const double s = -list.kbend[n] * delta * degrees_per_radian / sine;
      const Vec3 u = diff(m.atom(a), m.atom(b));
      const Vec3 v = diff(m.atom(c), m.atom(b));
      Vec3 ga;
      Vec3 gc;
      cosine_gradients(s, cosine, u, v, r1, r2, ga, gc);
      shift_gradient(grad, b, a, ga);
      shift_gradient(grad, b, c, gc);
    }
  }
}

// sin(|n| phi) / sin(phi) as a polynomial in cos(phi) (Chebyshev U of order |n| - 1).
double sine_ratio(int multiplicity, double cosphi) {
  double previous = 0.0;
  double current = 1.0;
  for (int order = 1; order < multiplicity; ++order) {
    const double next = 2.0 * cosphi * current - previous;
    previous = current;
    current = next;
  }
  return current;
}

// Torsions a-b-c-d; a torsion with a straight bond angle has no plane and is skipped.
template <bool with_gradient>
void torsion_terms(const Model& m, EnergyTerms& e, std::span<double> grad) {
  const TorsionList& list = m.torsions;
  for (std::size_t n = 0; n < static_cast<std::size_t>(m.counts.ntors); ++n) {
    const auto [a, b, c, d] = list.atoms(n);
    const double dab = m.dist(a, b);
    const double dbc = m.dist(b, c);
    const double dcd = m.dist(c, d);
    const double dac = m.dist(a, c);
    const double dbd = m.dist(b, d);
    const double cos1 = law_of_cosines(dab, dbc, dac);
    const double cos2 = law_of_cosines(dcd, dbc, dbd);
    const double sin1 = std::sqrt(1.0 - cos1 * cos1);
    const double sin2 = std::sqrt(1.0 - cos2 * cos2);
    if (sin1 < min_sine || sin2 < min_sine)
      continue;
    const Vec3 u1 = diff(m.atom(b), m.atom(a));
    const Vec3 u2 = diff(m.atom(c), m.atom(b));
    const Vec3 u3 = diff(m.atom(d), m.atom(c));
    const Vec3 w1 = cross(u2, u1);
    const Vec3 w2 = cross(u3, u2);
    const double cosphi = clamp_cosine(dot(w1, w2) / (dab * dbc * dbc * dcd * sin1 * sin2));
    const double phi = common::portable::acos(cosphi);
    const int periodicity = list.n[n];
    const int multiplicity = std::abs(periodicity);
    const double sign = periodicity > 0 ? 1.0 : -1.0;
    e.torsion +=
        list.v[n] * (1.0 + sign * common::portable::cos(static_cast<double>(multiplicity) * phi));
    if constexpr (with_gradient) {
      // dE/dcos(phi), then cos(phi) = w1.w2 / (|w1| |w2|) differentiated through w1 and w2.
      const double s = 0.5 * list.v[n] * periodicity * sine_ratio(multiplicity, cosphi);
      const double len1 = dab * dbc * sin1;
      const double len2 = dbc * dcd * sin2;
      Vec3 g1;
      Vec3 g2;
      cosine_gradients(s, cosphi, w1, w2, len1, len2, g1, g2);
      const Vec3 du1 = cross(g1, u2);
      const Vec3 du3 = cross(u2, g2);
      const Vec3 du2a = cross(u1, g1);
      const Vec3 du2b = cross(g2, u3);
      shift_gradient(grad, a, b, du1);
      shift_gradient(grad, b, c, du2a);
      shift_gradient(grad, b, c, du2b);
      shift_gradient(grad, c, d, du3);
    }
  }
}

// Out-of-plane bends: the height of the centre p over the plane of its neighbours b, c, d,
// counted only on the side where t = m.(b - p) is positive.
template <bool with_gradient>
void oop_terms(const Model& m, EnergyTerms& e, std::span<double> grad) {
  const TorsionList& list = m.torsions;
  const auto first = static_cast<std::size_t>(m.counts.ntors);
  const auto last = first + static_cast<std::size_t>(m.counts.noop);
  for (std::size_t n = first; n < last; ++n) {
    const auto [p, b, c, d] = list.atoms(n);
    const Vec3 e1 = diff(m.atom(c), m.atom(b));
    const Vec3 e2 = diff(m.atom(d), m.atom(b));
    const Vec3 q = diff(m.atom(b), m.atom(p));
    const Vec3 normal = cross(e1, e2);
    const double t = dot(normal, q);
    if (t < min_height)
      continue;
    // t >= min_height implies |normal| > 0, so h is finite.
    const double length = std::sqrt(dot(normal, normal));
    const double h = t / length;
    e.oop += list.v[n] * (h * h);
    if constexpr (with_gradient) {
      const double s = list.v[n] * h;
      Vec3 dq;
      Vec3 dnormal;
      for (int k = 0; k < 3; ++k) {
        dq[k] = s * normal[k] / length;
        dnormal[k] = s * (q[k] - h * normal[k] / length) / length;
      }
      const Vec3 de1 = cross(e2, dnormal);
      const Vec3 de2 = cross(dnormal, e1);
      shift_gradient(grad, p, b, dq);
      shift_gradient(grad, b, c, de1);
      shift_gradient(grad, b, d, de2);
    }
  }
}

// One evaluation of all terms into dist and grad; the energy-only instance does no gradient work.
template <bool with_gradient>
EnergyTerms evaluate(int natoms, double vdwc, std::span<const double> xyz,
                     std::span<const int> itype, std::span<const int> conn,
                     const ForceFieldArrays& ff, std::span<double> dist, std::span<double> grad) {
  compute_distances(natoms, xyz, common::MatrixView<double>{dist.data(), natoms});
  const Model m{natoms,
                vdwc,
                xyz,
                itype,
                {conn.data(), natoms},
                {dist.data(), natoms},
                {ff.r0.data(), natoms},
                {ff.kpair.data(), natoms},
                ff.bends,
                ff.torsions,
                ff.counts};
  EnergyTerms e;
  pair_terms<with_gradient>(m, e, grad);
  if (natoms > 2)
    bend_terms<with_gradient>(m, e, grad);
  if (natoms > 3) {
    torsion_terms<with_gradient>(m, e, grad);
    oop_terms<with_gradient>(m, e, grad);
  }
  // The bonded sums hold k (x - x0)^2; the van der Waals sum is already complete.
  e.stretch *= 0.5;
  e.bend *= 0.5;
  e.oop *= 0.5;
  e.torsion *= 0.5;
  e.total = e.stretch + e.bend + e.oop + e.torsion + e.vdw;
  return e;
}

// The total, with the energy block on the listing at print > 2 (when the run keeps records).
double listed_total(common::RunContext& run, int print, const EnergyTerms& e) {
  if (print > energy_listing_print && run.keeps_records())
    write_energy_block(run, e);
  return e.total;
}

} // namespace

double ffener(common::RunContext& run, int natoms, double vdwc, int print,
              std::span<const double> xyz, std::span<const int> itype, std::span<const int> conn,
              ForceFieldArrays& ff) {
  return listed_total(run, print, evaluate<false>(natoms, vdwc, xyz, itype, conn, ff, ff.dist, {}));
}

double ffegrad(common::RunContext& run, int natoms, double vdwc, int print,
               std::span<const double> xyz, std::span<const int> itype, std::span<const int> conn,
               ForceFieldArrays& ff, std::span<double> grad) {
  return listed_total(run, print,
                      gradient_terms(natoms, vdwc, xyz, itype, conn, ff, ff.dist, grad));
}

EnergyTerms gradient_terms(int natoms, double vdwc, std::span<const double> xyz,
                           std::span<const int> itype, std::span<const int> conn,
                           const ForceFieldArrays& ff, std::span<double> dist,
                           std::span<double> grad) {
  common::dzero(grad.first(3 * static_cast<std::size_t>(natoms)));
  return evaluate<true>(natoms, vdwc, xyz, itype, conn, ff, dist, grad);
}

void write_energy_block(common::RunContext& run, const EnergyTerms& e) {
  struct Line {
    std::string_view label;
    double value;
  };
  const std::array<Line, 6> lines{{{" TOTAL ENERGY       ", e.total},
                                   {" Stretching         ", e.stretch},
                                   {" Bending            ", e.bend},
                                   {" Out-of-Plane Bend  ", e.oop},
                                   {" Torsion            ", e.torsion},
                                   {" VdW energy         ", e.vdw}}};
  run.write_blank(common::listing_unit);
  for (const Line& line : lines) {
    run.write_record(common::listing_unit,
                     common::Record().text(line.label).f(line.value, 15, 8).str());
  }
}

} // namespace kelma
