#include "kelma/topology.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <functional>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "common/termination.hpp"

namespace {

using Bend = std::array<int, 3>;
using Chain = std::array<int, 4>;

// A molecule built from a bond list, with lists of the given capacities and its units in memory.
struct Molecule {
  std::unique_ptr<common::RunContext> units =
      std::make_unique<common::RunContext>("", common::UnitsTo::memory);
  int natoms;
  std::vector<int> itype;
  std::vector<int> conn;
  std::vector<double> dist;
  kelma::BendList bends;
  kelma::TorsionList torsions;
  kelma::Counts counts;

  Molecule(std::vector<int> types, const std::vector<std::pair<int, int>>& bonds)
      : natoms(static_cast<int>(types.size())), itype(std::move(types)),
        conn(static_cast<std::size_t>(natoms * natoms), 0), dist(conn.size(), 1.0) {
    for (auto [i, j] : bonds) {
      conn[at(i, j)] = 1;
      conn[at(j, i)] = 1;
    }
  }
  std::size_t at(int i, int j) const { return static_cast<std::size_t>(i - 1 + (j - 1) * natoms); }

  void bend(int maxbend) {
    for (auto* v : {&bends.i, &bends.j, &bends.k})
      v->assign(static_cast<std::size_t>(maxbend), 0);
    bends.theta0.assign(static_cast<std::size_t>(maxbend), 0.0);
    bends.kbend.assign(static_cast<std::size_t>(maxbend), 0.0);
    kelma::ffbend(*units, natoms, maxbend, itype, conn, dist, bends, counts);
  }
  void tors(int maxtors) {
    for (auto* v : {&torsions.a, &torsions.b, &torsions.c, &torsions.d, &torsions.n}) {
      v->assign(static_cast<std::size_t>(maxtors), 0);
    }
    torsions.v.assign(static_cast<std::size_t>(maxtors), 0.0);
    kelma::fftors(*units, natoms, maxtors, itype, conn, torsions, counts);
  }
  std::pair<int, int> count() const {
    int nbend = -1;
    int ntors = -1;
    kelma::ffcount(natoms, conn, nbend, ntors);
    return {nbend, ntors};
  }
  // Enumerates with the capacities ffcount gives, as the driver does.
  void set_up() {
    const auto [maxbend, maxtors] = count();
    bend(maxbend);
    tors(maxtors);
  }
  std::vector<Bend> bend_list() const {
    std::vector<Bend> out;
    for (std::size_t e = 0; e < static_cast<std::size_t>(counts.nbend); ++e) {
      out.push_back({bends.i[e], bends.j[e], bends.k[e]});
    }
    return out;
  }
  std::vector<Chain> entries(int first, int count) const {
    std::vector<Chain> out;
    for (auto e = static_cast<std::size_t>(first); e < static_cast<std::size_t>(first + count);
         ++e) {
      out.push_back({torsions.a[e], torsions.b[e], torsions.c[e], torsions.d[e]});
    }
    return out;
  }
  std::vector<Chain> torsion_list() const { return entries(0, counts.ntors); }
  std::vector<Chain> oop_list() const { return entries(counts.ntors, counts.noop); }
};

std::vector<int> carbons(int n) { return std::vector<int>(static_cast<std::size_t>(n), 1); }

TEST(Enumeration, ChainOfFour) {
  Molecule m(carbons(4), {{1, 2}, {2, 3}, {3, 4}});
  m.set_up();
  EXPECT_EQ(m.bend_list(), (std::vector<Bend>{{3, 2, 1}, {4, 3, 2}}));
  EXPECT_EQ(m.torsion_list(), (std::vector<Chain>{{4, 3, 2, 1}}));
  EXPECT_EQ(m.counts.noop, 0);
}

TEST(Enumeration, FourRingHasEveryBondCentralOnce) {
  Molecule m(carbons(4), {{1, 2}, {2, 3}, {3, 4}, {4, 1}});
  m.set_up();
  EXPECT_EQ(m.bend_list(), (std::vector<Bend>{{3, 2, 1}, {4, 1, 2}, {3, 4, 1}, {4, 3, 2}}));
  // Tests 2, 4, 5 and 10 of the one quadruple, in that order.
  EXPECT_EQ(m.torsion_list(),
            (std::vector<Chain>{{2, 3, 4, 1}, {3, 4, 1, 2}, {4, 3, 2, 1}, {4, 1, 2, 3}}));
}

TEST(Enumeration, CompleteQuadruplePassesTheTwelveTestsInOrder) {
  Molecule m(carbons(4), {{1, 2}, {1, 3}, {1, 4}, {2, 3}, {2, 4}, {3, 4}});
  m.set_up();
  EXPECT_EQ(m.torsion_list(), (std::vector<Chain>{{2, 4, 3, 1},
                                                  {2, 3, 4, 1},
                                                  {3, 4, 2, 1},
                                                  {3, 4, 1, 2},
                                                  {4, 3, 2, 1},
                                                  {4, 3, 1, 2},
                                                  {3, 2, 4, 1},
                                                  {4, 2, 3, 1},
                                                  {4, 1, 3, 2},
                                                  {4, 1, 2, 3},
                                                  {3, 1, 4, 2},
                                                  {4, 2, 1, 3}}));
}

TEST(Enumeration, ThreeRingTestsEveryApexOfOneTriple) {
  Molecule m(carbons(3), {{1, 2}, {2, 3}, {3, 1}});
  m.set_up();
  EXPECT_EQ(m.bend_list(), (std::vector<Bend>{{3, 2, 1}, {3, 1, 2}, {2, 3, 1}}));
  EXPECT_EQ(m.counts.ntors, 0);
}

TEST(Enumeration, OneOrTwoAtomsGiveNothing) {
  Molecule single({2}, {});
  single.set_up();
  Molecule pair({2, 2}, {{1, 2}});
  pair.set_up();
  EXPECT_EQ(single.counts.nbend + single.counts.ntors + single.counts.noop, 0);
  EXPECT_EQ(pair.counts.nbend + pair.counts.ntors + pair.counts.noop, 0);
}

TEST(OutOfPlane, CentresFollowAllTorsionsWithNeighboursInIncreasingOrder) {
  // Ethylene-like: two type-2 centres, bonds given in no particular order.
  Molecule m({2, 2, 13, 13, 13, 13}, {{2, 6}, {1, 4}, {2, 1}, {5, 2}, {3, 1}});
  m.set_up();
  EXPECT_EQ(m.counts.ntors, 4);
  EXPECT_EQ(m.oop_list(), (std::vector<Chain>{{1, 2, 3, 4}, {2, 1, 5, 6}}));
  EXPECT_EQ(m.torsions.v[4], 480.0);
  EXPECT_EQ(m.torsions.n[4], 0); // not set for out-of-plane entries
}

TEST(OutOfPlane, OnlyTrigonalTypesWithExactlyThreeNeighbours) {
  const std::vector<std::pair<int, int>> three = {{1, 2}, {1, 3}, {1, 4}};
  Molecule amide_n({28, 13, 13, 13}, three);
  amide_n.set_up();
  EXPECT_EQ(amide_n.oop_list(), (std::vector<Chain>{{1, 2, 3, 4}}));
  EXPECT_EQ(amide_n.torsions.v[0], 120.0);

  Molecule saturated({1, 13, 13, 13}, three);
  saturated.set_up();
  Molecule four_neighbours({2, 13, 13, 13, 13}, {{1, 2}, {1, 3}, {1, 4}, {1, 5}});
  four_neighbours.set_up();
  EXPECT_EQ(saturated.counts.noop + four_neighbours.counts.noop, 0);
}

// Every path of four distinct atoms, each counted once (a-b-c-d and d-c-b-a are one torsion).
std::set<Chain> paths_of_four(const Molecule& m) {
  std::set<Chain> out;
  const auto bonded = [&](int a, int b) { return m.conn[m.at(a, b)] != 0; };
  for (int a = 1; a <= m.natoms; ++a)
    for (int b = 1; b <= m.natoms; ++b)
      for (int c = 1; c <= m.natoms; ++c)
        for (int d = a + 1; d <= m.natoms; ++d) {
          const std::set<int> distinct = {a, b, c, d};
          if (distinct.size() == 4 && bonded(a, b) && bonded(b, c) && bonded(c, d)) {
            out.insert({a, b, c, d});
          }
        }
  return out;
}

TEST(Enumeration, RandomMoleculesFindEveryChainOnceWithinTheCount) {
  std::mt19937 random(20240607);
  for (int trial = 0; trial < 300; ++trial) {
    const int n = 1 + trial % 9;
    std::vector<std::pair<int, int>> bonds;
    for (int i = 2; i <= n; ++i)
      for (int j = 1; j < i; ++j)
        if (random() % 3 == 0)
          bonds.push_back({i, j});
    // Type 2 everywhere: every atom with three neighbours becomes an out-of-plane centre.
    Molecule m(std::vector<int>(static_cast<std::size_t>(n), 2), bonds);
    const auto [maxbend, maxtors] = m.count();
    m.set_up();
    EXPECT_EQ(m.counts.nbend, maxbend);
    EXPECT_LE(m.counts.ntors + m.counts.noop, maxtors);
    // Quadruples come in loop order: h, then c, then i, then j increasing.
    Chain previous{0, 0, 0, 0};
    for (Chain t : m.torsion_list()) {
      std::sort(t.begin(), t.end(), std::greater<>());
      EXPECT_LE(previous, t) << "trial " << trial;
      previous = t;
    }
    std::set<Chain> found;
    for (Chain t : m.torsion_list()) {
      if (t[0] > t[3])
        t = {t[3], t[2], t[1], t[0]};
      EXPECT_TRUE(found.insert(t).second) << "torsion listed twice";
    }
    EXPECT_EQ(found, paths_of_four(m)) << "trial " << trial;
  }
}

// The dimension guards: the error report, and nothing stored past the capacity.
std::string guard_report(Molecule& m, void (Molecule::*step)(int), int capacity) {
  m.units->clear_texts();
  EXPECT_THROW((m.*step)(capacity), common::RunStop);
  return m.units->text(common::listing_unit);
}

TEST(DimensionGuards, ReportTheNumberedErrorBeforeOverrunning) {
  Molecule chain(carbons(4), {{1, 2}, {2, 3}, {3, 4}});
  EXPECT_EQ(guard_report(chain, &Molecule::bend, 1),
            " ** Error no.  1 in Force Field module **\n"
            "  More Bends in System than Dimensioned for\n");
  EXPECT_EQ(chain.counts.nbend, 1);

  EXPECT_EQ(guard_report(chain, &Molecule::tors, 0),
            " ** Error no.  2 in Force Field module **\n"
            "  More Torsions in System than Dimensioned for\n");
  EXPECT_EQ(chain.counts.ntors, 0);

  // Room for the four torsions and one of the two centres.
  Molecule ethylene({2, 2, 13, 13, 13, 13}, {{1, 2}, {1, 3}, {1, 4}, {2, 5}, {2, 6}});
  EXPECT_EQ(guard_report(ethylene, &Molecule::tors, 5),
            " ** Error no.  3 in Force Field module **\n"
            "  More Out-of-Plane Bends in System than Dimensioned for\n");
  EXPECT_EQ(ethylene.counts.ntors + ethylene.counts.noop, 5);
}

} // namespace
