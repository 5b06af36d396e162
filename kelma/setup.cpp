#include "kelma/setup.hpp"

#include <cstddef>

#include "common/matrix_view.hpp"
#include "common/records.hpp"
#include "kelma/energy.hpp"
#include "kelma/parameters.hpp"
#include "kelma/topology.hpp"

namespace kelma {

namespace {

using ConstMatrix = common::MatrixView<const double>;
using Matrix = common::MatrixView<double>;

constexpr int parameter_listing_level = 3;

void fill_distances(int natoms, std::span<const double> xyz, std::span<double> dist_data) {
  const Matrix dist{dist_data.data(), natoms};
  for (int j = 1; j <= natoms; ++j) {
    for (int i = 1; i <= natoms; ++i)
      dist(i, j) = atom_distance(xyz, i, j);
  }
}

void write_heading(common::RunContext& run, const char* text) {
  run.write_record(common::listing_unit, common::FreeRecord().item(text).str());
}

void list_pairs(common::RunContext& run, int natoms, const ForceFieldArrays& ff) {
  const ConstMatrix r0{ff.r0.data(), natoms};
  const ConstMatrix kpair{ff.kpair.data(), natoms};
  write_heading(run, " Distance Parameters");
  for (int i = 2; i <= natoms; ++i) {
    for (int j = 1; j <= i - 1; ++j) {
      if (kpair(i, j) == 0.0)
        continue;
      run.write_record(
          common::listing_unit,
          common::Record().x(1).i(i, 4).i(j, 4).f(r0(i, j), 12, 6).f(kpair(i, j), 12, 6).str());
    }
  }
}

void list_bends(common::RunContext& run, const BendList& bends, int nbend) {
  if (nbend == 0)
    return;
  write_heading(run, " Angle Parameters");
  for (std::size_t e = 0; e < static_cast<std::size_t>(nbend); ++e) {
    common::Record line;
    line.x(1).i(bends.i[e], 4).i(bends.j[e], 4).i(bends.k[e], 4);
    line.f(bends.theta0[e], 12, 6).f(bends.kbend[e], 12, 6);
    run.write_record(common::listing_unit, line.str());
  }
}

void list_torsions(common::RunContext& run, const TorsionList& tors, const Counts& counts) {
  if (counts.ntors > 0) {
    write_heading(run, " Torsion Parameters");
    for (std::size_t e = 0; e < static_cast<std::size_t>(counts.ntors); ++e) {
      common::Record line;
      line.x(1).i(tors.a[e], 4).i(tors.b[e], 4).i(tors.c[e], 4).i(tors.d[e], 4);
      line.f(tors.v[e], 12, 6).i(tors.n[e], 6);
      run.write_record(common::listing_unit, line.str());
    }
  }
  if (counts.noop > 0) {
    write_heading(run, " Out-of-Plane Bend Parameters");
    const auto first = static_cast<std::size_t>(counts.ntors);
    for (std::size_t e = first; e < first + static_cast<std::size_t>(counts.noop); ++e) {
      common::Record line;
      line.x(1).i(tors.a[e], 4).x(2).i(tors.b[e], 4).i(tors.c[e], 4).i(tors.d[e], 4);
      line.f(tors.v[e], 12, 6);
      run.write_record(common::listing_unit, line.str());
    }
  }
}

void list_parameters(common::RunContext& run, int natoms, const ForceFieldArrays& ff) {
  write_heading(run, " TRIPOS Parameter Arrays are:");
  list_pairs(run, natoms, ff);
  list_bends(run, ff.bends, ff.counts.nbend);
  list_torsions(run, ff.torsions, ff.counts);
}

} // namespace

void ffsetup(common::RunContext& run, int natoms, int maxbend, int maxtors, int print,
             std::span<const double> xyz, std::span<int> itype, std::span<const int> conn,
             ForceFieldArrays& ff) {
  for (int& type : itype.first(static_cast<std::size_t>(natoms))) {
    if (type < 1)
      type = default_type;
  }
  fill_distances(natoms, xyz, ff.dist);
  ffpair(natoms, itype, conn, ff.dist, ff.r0, ff.kpair);
  ffbend(run, natoms, maxbend, itype, conn, ff.dist, ff.bends, ff.counts);
  fftors(run, natoms, maxtors, itype, conn, ff.torsions, ff.counts);
  if (print > parameter_listing_level && run.keeps_records())
    list_parameters(run, natoms, ff);
}

} // namespace kelma
