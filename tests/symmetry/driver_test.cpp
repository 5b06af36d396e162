#include "symmetry/driver.hpp"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "common/records.hpp"
#include "common/termination.hpp"

namespace {

using symmetry::Operation;

const std::string c = "C       ", h = "H       ", o = "O       ";

Operation rotation_z(double angle) {
  const double cs = std::cos(angle), sn = std::sin(angle);
  return {cs, sn, 0, -sn, cs, 0, 0, 0, 1};
}

// A result whose operation list came from the search.
symmetry::SymmetryResult searched(const std::vector<double>& xyz, const char* label,
                                  const std::vector<Operation>& ops) {
  const int n = static_cast<int>(xyz.size() / 3);
  symmetry::SymmetryResult r = symmetry::make_result(n);
  r.xyz = xyz;
  r.label = label;
  r.count = static_cast<int>(ops.size());
  std::copy(ops.begin(), ops.end(), r.ops.begin());
  return r;
}

TEST(SettleOperations, SnappedOperationsMapTheAtoms) {
  const std::vector<double> water{0, 0, -0.39, 0.757, 0, 0.195, -0.757, 0, 0.195};
  const Operation noisy_c2{-0.9999, 0.0001, 0, -0.0001, -0.9999, 0, 0, 0, 1};
  symmetry::SymmetryResult r = searched(water, "c2  ", {symmetry::identity_operation, noisy_c2});
  common::RunContext run("", common::UnitsTo::memory);
  symmetry::settle_operations(run, 3, std::vector<std::string>{o, h, h}, water,
                              symmetry::make_thresholds(0.01), 1, r);
  EXPECT_EQ(r.label, "c2  ");
  EXPECT_EQ(r.ops[1], (Operation{-1, 0, 0, 0, -1, 0, 0, 0, 1}));
  EXPECT_EQ(std::vector<int>(r.neqatm.begin(), r.neqatm.begin() + 6),
            (std::vector<int>{1, 2, 3, 1, 3, 2}));
  EXPECT_EQ(run.text(common::listing_unit), "");
}

TEST(SettleOperations, OperationsAsFoundRescueAGroupThatSnappingBroke) {
  // At thrsym 0.1 sin 72 (0.951) snaps to 1 and sin 144 (0.588) to 0.5, which moves the images
  // of a pentagon of radius 3 by more than the tolerance.
  const double step = 2.0 * std::acos(-1.0) / 5.0;
  std::vector<double> pentagon;
  std::vector<Operation> c5;
  for (int k = 0; k < 5; ++k) {
    pentagon.insert(pentagon.end(), {3.0 * std::cos(k * step), 3.0 * std::sin(k * step), 0.0});
    c5.push_back(rotation_z(k * step));
  }
  symmetry::SymmetryResult r = searched(pentagon, "c5  ", c5);
  common::RunContext run("", common::UnitsTo::memory);
  symmetry::settle_operations(run, 5, std::vector<std::string>(5, c), pentagon,
                              symmetry::make_thresholds(0.1), 1, r);
  EXPECT_EQ(run.text(common::listing_unit), "");
  EXPECT_EQ(r.label, "c5  ");
  ASSERT_EQ(r.count, 5);
  for (int m = 0; m < 5; ++m)
    EXPECT_EQ(r.ops[m], c5[m]) << "operation " << m + 1;
  // Rotation k + 1 carries atom 1 onto atom k + 1.
  for (int m = 0; m < 5; ++m)
    EXPECT_EQ(r.neqatm[5 * m], m + 1);
}

TEST(SettleOperations, ABogusOperationFallsBackToC1) {
  const std::vector<double> centred{0, 0, -0.39, 0.757, 0, 0.195, -0.757, 0, 0.195};
  const std::vector<double> moved{0, 0, -0.39, 0, 0.757, 0.195, 0, -0.757, 0.195};
  for (int print : {0, 1}) {
    symmetry::SymmetryResult r =
        searched(moved, "c4  ", {symmetry::identity_operation, rotation_z(std::acos(-1.0) / 2)});
    common::RunContext run("", common::UnitsTo::memory);
    symmetry::settle_operations(run, 3, std::vector<std::string>{o, h, h}, centred,
                                symmetry::make_thresholds(0.01), print, r);
    EXPECT_EQ(run.text(common::listing_unit),
              print > 0 ? "**WARNING** Error determining Equivalent Atoms - Switching off "
                          "Symmetry\n"
                        : "");
    EXPECT_EQ(r.label, "c1  ");
    EXPECT_EQ(r.count, 1);
    EXPECT_EQ(r.xyz, centred);
    EXPECT_EQ(r.rotation, symmetry::identity_operation); // the centred atoms were never turned
    EXPECT_EQ(std::vector<int>(r.neqatm.begin(), r.neqatm.begin() + 3),
              (std::vector<int>{1, 2, 3}));
  }
}

// A run on an asymmetric CHFClBr skeleton whose centroid is (1, 1, 1).
struct RunOutput {
  std::string stdout_text;
  std::string listing;
};

RunOutput run_at(int print) {
  const std::string input = "$natoms 5\n$thrsym 0.01\n$print " + std::to_string(print) +
                            "\n$coordinates\n"
                            "    1.0000000000    1.0000000000    1.0000000000     C\n"
                            "    2.0000000000    1.0000000000    1.0000000000     H\n"
                            "    1.0000000000    2.5000000000    1.0000000000     F\n"
                            "    1.0000000000    0.0000000000    2.7500000000     Cl\n"
                            "    0.0000000000    0.5000000000   -0.7500000000     Br\n";
  common::RunContext run("", common::UnitsTo::memory);
  std::istringstream in(input);
  common::InputDeck deck(in);
  symmetry::run_symmetry_from_deck(run, deck);
  return {run.text(common::stdout_unit), run.text(common::listing_unit)};
}

const std::string c1_records = "*Point Group: c1          Degrees of freedom:   9\n"
                               "!    0.0000000000    0.0000000000    0.0000000000\n"
                               "!    1.0000000000    0.0000000000    0.0000000000\n"
                               "!    0.0000000000    1.5000000000    0.0000000000\n"
                               "!    0.0000000000   -1.0000000000    1.7500000000\n"
                               "!   -1.0000000000   -0.5000000000   -1.7500000000\n";
TEST(RunSymmetry, C1RecordsAtEveryPrintLevel) {
  const RunOutput quiet = run_at(0);
  EXPECT_EQ(quiet.stdout_text, c1_records);
  EXPECT_EQ(quiet.listing, "");

  const RunOutput warned = run_at(1);
  EXPECT_EQ(warned.stdout_text, c1_records);
  EXPECT_EQ(warned.listing, "");

  const RunOutput listed = run_at(4);
  EXPECT_EQ(listed.stdout_text, c1_records);
  EXPECT_EQ(listed.listing, std::string() +
                                "\n Point Group: c1    Number of Symmetry Operations:   1\n"
                                "\n Symmetry Operation:   1\n\n\n"
                                "     1.000000    0.000000    0.000000\n"
                                "     0.000000    1.000000    0.000000\n"
                                "     0.000000    0.000000    1.000000\n"
                                "\n Equivalent Atoms Array\n   1\n   2\n   3\n   4\n   5\n");
}

// A 5 x 10 x 10 block of one element, 1.5 apart: D4h about the short edge. Its 500 atoms all fall
// into one shell at a tolerance near half the spacing, where every pair proposes axes.
std::string lattice_input(const std::string& thrsym) {
  std::string text = "$natoms 500\n$thrsym " + thrsym + "\n$print 0\n$coordinates\n";
  for (int i = 0; i < 5; ++i) {
    for (int j = 0; j < 10; ++j) {
      for (int k = 0; k < 10; ++k) {
        text += common::Record().f(1.5 * i, 16, 10).f(1.5 * j, 16, 10).f(1.5 * k, 16, 10).str() +
                "     C\n";
      }
    }
  }
  return text;
}

// Water and carbon dioxide as the examples give them: turned off their standard frames and
// shifted.
const std::string water_atoms = "   -3.2373836997   -0.6792923991    1.7361497295     O\n"
                                "   -2.5987033693   -0.2298690158    1.1826507342     H\n"
                                "   -2.9918004965   -0.4390769711    2.6296429543     H\n";
const std::string dioxide_atoms = "   -2.9997364685   -1.9344600809   -3.0846601429     O\n"
                                  "   -3.2790761292   -1.7390764750   -1.9758358612     C\n"
                                  "   -3.5583833300   -1.5436142440   -0.8670536340     O\n";

symmetry::SymmetryInput three_atoms(common::RunContext& run, const std::string& atoms,
                                    int print = 0) {
  std::istringstream in("$natoms 3\n$thrsym 0.01\n$print " + std::to_string(print) +
                        "\n$coordinates\n" + atoms);
  common::InputDeck deck(in);
  return symmetry::read_symmetry_input(run, deck);
}

TEST(RunSymmetry, CentreAndRotationTakeTheInputOntoTheResult) {
  for (const std::string& atoms : {water_atoms, dioxide_atoms}) {
    common::RunContext run("", common::UnitsTo::memory);
    symmetry::SymmetryInput input = three_atoms(run, atoms);
    const std::vector<double> given = input.xyz;
    const symmetry::SymmetryResult r = symmetry::run_symmetry_on_input(run, input);
    ASSERT_NE(r.label, "c1  ");
    // Each atom turned from the centred input lies within the tolerance of its symmetrised place.
    for (int a = 0; a < 3; ++a) {
      for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(r.centre[i], (given[i] + given[i + 3] + given[i + 6]) / 3.0, 1e-12);
        double turned = 0.0;
        for (int k = 0; k < 3; ++k)
          turned += r.rotation[i + 3 * k] * (given[3 * a + k] - r.centre[k]);
        EXPECT_NEAR(turned, r.xyz[3 * a + i], 0.01) << atoms << " atom " << a + 1;
      }
    }
  }
}

TEST(RunSymmetry, ElementsComeInTheFrameOfTheResult) {
  common::RunContext run("", common::UnitsTo::memory);
  symmetry::SymmetryInput input = three_atoms(run, water_atoms);
  const symmetry::SymmetryResult r = symmetry::run_symmetry_on_input(run, input);
  ASSERT_EQ(r.label, "c2v ");
  ASSERT_EQ(r.elements.size(), 3u); // the two-fold axis on z, and two planes
  for (const symmetry::SymmetryElement& e : r.elements) {
    const bool axis = e.kind == symmetry::ElementKind::rotation_axis;
    EXPECT_TRUE(axis || e.kind == symmetry::ElementKind::mirror_plane);
    EXPECT_EQ(e.order, axis ? 2 : 0);
    EXPECT_NEAR(std::fabs(e.direction[2]), axis ? 1.0 : 0.0, 1e-9);
  }
}

TEST(RunSymmetry, UnitsThatKeepNoRecordsGiveTheSameResult) {
  common::RunContext kept("", common::UnitsTo::memory);
  common::RunContext dropped("", common::UnitsTo::nowhere);
  symmetry::SymmetryInput for_kept = three_atoms(kept, water_atoms, 4);
  symmetry::SymmetryInput for_dropped = three_atoms(dropped, water_atoms, 4);
  const symmetry::SymmetryResult a = symmetry::run_symmetry_on_input(kept, for_kept);
  const symmetry::SymmetryResult b = symmetry::run_symmetry_on_input(dropped, for_dropped);
  EXPECT_NE(kept.text(common::listing_unit), "");
  EXPECT_EQ(dropped.text(common::stdout_unit), "");
  EXPECT_EQ(dropped.text(common::listing_unit), "");
  EXPECT_EQ(a.label, b.label);
  EXPECT_EQ(a.count, b.count);
  EXPECT_EQ(a.ops, b.ops);
  EXPECT_EQ(a.xyz, b.xyz);
  EXPECT_EQ(a.neqatm, b.neqatm);
  EXPECT_EQ(a.degrees, b.degrees);
  EXPECT_EQ(a.rotation, b.rotation);
  EXPECT_EQ(a.elements, b.elements);
}

TEST(RunSymmetry, AMoleculeTooSmallForTheSearchFallsBackAndSaysWhy) {
  // Water scaled by 1e-4, its tolerance too: like atoms 1.5e-4 apart give the search no direction.
  const std::string atoms = "   -0.0003237384   -0.0000679292    0.0001736150     O\n"
                            "   -0.0002598703   -0.0000229869    0.0001182651     H\n"
                            "   -0.0002991800   -0.0000439077    0.0002629643     H\n";
  std::istringstream in("$natoms 3\n$thrsym 1e-6\n$print 1\n$coordinates\n" + atoms);
  common::InputDeck deck(in);
  common::RunContext run("", common::UnitsTo::memory);
  symmetry::SymmetryInput input = symmetry::read_symmetry_input(run, deck);
  const symmetry::SymmetryResult r = symmetry::run_symmetry_on_input(run, input);
  EXPECT_EQ(r.label, "c1  ");
  EXPECT_EQ(r.fallback, symmetry::Status::coincident_atoms);
  EXPECT_EQ(symmetry::fallback_text(r),
            "point group search failed: fell back to c1 (two like atoms lie too close together to "
            "give a direction: a molecule this small is below the fixed lengths of the search, so "
            "scale its coordinates up)");
  // The records stay as they were: the warnings on the listing, once per search.
  EXPECT_EQ(run.text(common::listing_unit),
            "**WARNING** Error determining Point Group - Switching off Symmetry\n"
            "**WARNING** Error determining Point Group - Switching off Symmetry\n");

  symmetry::SymmetryResult found = symmetry::make_result(1);
  EXPECT_EQ(symmetry::fallback_text(found), "");
}

TEST(RunSymmetry, LatticeAtTheLargestAcceptedTolerance) {
  common::RunContext run("", common::UnitsTo::memory);
  std::istringstream too_wide(lattice_input("0.75"));
  common::InputDeck rejected(too_wide);
  EXPECT_THROW(symmetry::read_symmetry_input(run, rejected), common::InputError);
  std::istringstream in(lattice_input("0.7499999999999999"));
  common::InputDeck deck(in);
  symmetry::SymmetryInput input = symmetry::read_symmetry_input(run, deck);
  const symmetry::SymmetryResult r = symmetry::run_symmetry_on_input(run, input);
  // 105 by the orbits of D4h: the dimensions fixed by the stabiliser of every orbit's atom.
  EXPECT_EQ(run.text(common::stdout_unit).substr(0, 50),
            "*Point Group: d4h         Degrees of freedom: 105\n");
  EXPECT_EQ(r.count, 16);
  // Symmetrising moved no atom off its lattice point.
  const symmetry::LikePair closest = symmetry::closest_like_pair(500, r.xyz, input.symbols);
  EXPECT_NEAR(closest.distance, 1.5, 1e-9);
}

} // namespace

namespace {

TEST(Symtry, AsymmetricMoleculeIsSearchedOnce) {
  std::vector<double> xyz{1, 1, 1, 2, 1, 1, 1, 2.5, 1, 1, 0, 2.75, 0, 0.5, -0.75};
  const std::vector<std::string> symbols{c, h, o, "Cl      ", "Br      "};
  symmetry::Workspace ws = symmetry::make_workspace(5);
  symmetry::SymmetryResult r = symmetry::make_result(5);
  int adjst = 1;
  common::RunContext run("", common::UnitsTo::memory);
  symmetry::symtry(run, 5, symbols, xyz, 0.01, adjst, 0, ws, r);
  EXPECT_EQ(adjst, 1); // a first search that names c1 is not repeated
  EXPECT_EQ(r.xyz,
            (std::vector<double>{0, 0, 0, 1, 0, 0, 0, 1.5, 0, 0, -1, 1.75, -1, -0.5, -1.75}));
  EXPECT_EQ(xyz, r.xyz); // the input comes back centred
  EXPECT_EQ(r.centre, (std::array<double, 3>{1.0, 1.0, 1.0}));
  EXPECT_EQ(r.rotation, symmetry::identity_operation);
  EXPECT_EQ(r.degrees, 9);
  EXPECT_EQ(run.text(common::stdout_unit), "*Point Group: c1          Degrees of freedom:   9\n");
}

} // namespace
