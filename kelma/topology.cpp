#include "kelma/topology.hpp"

#include "common/matrix_view.hpp"

namespace kelma {

namespace {

// Torsion-bound contribution of one atom bonded to all three others of a quadruple.
constexpr int branch_bound = 3;

using ConstMatrix = common::MatrixView<const int>;

bool bonded(ConstMatrix conn, int a, int b) { return conn(a, b) != 0; }

// The three bends a triple i > j > k can form, with apex j, k and i.
int bends_of_triple(ConstMatrix conn, int i, int j, int k) {
  int count = 0;
  if (bonded(conn, i, j) && bonded(conn, j, k)) ++count;
  if (bonded(conn, i, k) && bonded(conn, k, j)) ++count;
  if (bonded(conn, j, i) && bonded(conn, i, k)) ++count;
  return count;
}

// 3 for each atom of the quadruple bonded to the three others, tested in the order h, c, i, j.
int branches_of_quadruple(ConstMatrix conn, int h, int c, int i, int j) {
  const int atoms[4] = {h, c, i, j};
  int bound = 0;
  for (int centre = 0; centre < 4; ++centre) {
    bool all = true;
    for (int other = 0; other < 4; ++other) {
      if (other != centre && !bonded(conn, atoms[centre], atoms[other])) all = false;
    }
    if (all) bound += branch_bound;
  }
  return bound;
}

// Torsions with the central bond j-k: ordered pairs (l, m), l bonded to j, m bonded to k.
int torsions_about(ConstMatrix conn, int natoms, int j, int k) {
  int count = 0;
  for (int l = 1; l <= natoms; ++l) {
    if (l == k || !bonded(conn, l, j)) continue;
    for (int m = 1; m <= natoms; ++m) {
      if (m != j && m != l && bonded(conn, m, k)) ++count;
    }
  }
  return count;
}

}  // namespace

void ffcount(int natoms, std::span<const int> conn_data, int& nbend, int& ntors) {
  const ConstMatrix conn{conn_data.data(), natoms};
  nbend = 0;
  ntors = 0;
  for (int i = 3; i <= natoms; ++i) {
    for (int j = 2; j <= i - 1; ++j) {
      for (int k = 1; k <= j - 1; ++k) nbend += bends_of_triple(conn, i, j, k);
    }
  }
  for (int h = 4; h <= natoms; ++h) {
    for (int c = 3; c <= h - 1; ++c) {
      for (int i = 2; i <= c - 1; ++i) {
        for (int j = 1; j <= i - 1; ++j) ntors += branches_of_quadruple(conn, h, c, i, j);
      }
    }
  }
  for (int j = 2; j <= natoms; ++j) {
    for (int k = 1; k <= j - 1; ++k) {
      if (bonded(conn, j, k)) ntors += torsions_about(conn, natoms, j, k);
    }
  }
}

}  // namespace kelma
