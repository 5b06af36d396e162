#include "kelma/derivatives.hpp"

#include <gtest/gtest.h>

#include <Eigen/Dense>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "common/termination.hpp"
#include "common/worker_pool.hpp"
#include "kelma/driver.hpp"
#include "kelma/energy.hpp"
#include "kelma/hessian_start.hpp"
#include "kelma/topology.hpp"

namespace {

// A run's input with its workspace and its units in memory, ready for ffderiv.
struct PreparedRun {
  std::unique_ptr<common::RunContext> units =
      std::make_unique<common::RunContext>("", common::UnitsTo::memory);
  kelma::KelmaInput in;
  int maxbend = 0;
  int maxtors = 0;
  kelma::Workspace ws;
  int ncall = 0;
  int threads = 0;

  explicit PreparedRun(const std::string& text) {
    std::istringstream stream(text);
    common::InputDeck deck(stream);
    in = kelma::read_kelma_input(*units, deck);
    kelma::ffcount(in.natoms, in.conn, maxbend, maxtors);
    ws = kelma::make_workspace(in.natoms, maxbend, maxtors, 1);
  }
  kelma::ForceFieldModel model() {
    return {in.natoms, maxbend, maxtors, in.vdwc, in.print, in.conn, in.itype, ws.ff, threads};
  }
  double deriv(int jobtype) {
    double energy = 0.0;
    kelma::ffderiv(*units, model(), jobtype, in.xyz, kelma::hessian_scratch(ws), energy, ws.force,
                   kelma::hessian(ws), ncall);
    return energy;
  }
  const std::string& listing() { return units->text(common::listing_unit); }
  double hess(int i, int j) const {
    return ws.hess[static_cast<std::size_t>(i - 1 + (j - 1) * 3 * in.natoms)];
  }
};

std::string keywords(int natoms, int print) {
  return "$natoms " + std::to_string(natoms) +
         "\n$fftype Tripos 5.2\n$jobtype 1\n$vdwc 8.0\n$print " + std::to_string(print) +
         "\n$gtol 0.0005\n$etol 1.0e-6\n$nsteps 50\n";
}

// Two type-4 atoms along x, bonded with code 1: r0 1.38, k 700.
std::string diatomic(double r, int print = 0) {
  std::ostringstream x;
  x.precision(10);
  x << std::fixed << r;
  std::string xs = x.str();
  return keywords(2, print) + "$coordinates\n" +
         "    0.0000000000    0.0000000000    0.0000000000     C   4\n" +
         std::string(16 - xs.size(), ' ') + xs +
         "    0.0000000000    0.0000000000     C   4\n$connectivity\n1 2 1\n$end\n";
}

TEST(Hessian, DiatomicStretchBlock) {
  PreparedRun run(diatomic(1.38));
  EXPECT_EQ(run.deriv(1), 0.0);
  EXPECT_EQ(run.ncall, 1);
  // 700 kcal/mol/Angstrom^2 in hartree/bohr^2; the difference quotient lands within 1e-13.
  EXPECT_NEAR(run.hess(1, 4), -0.31237716623644607, 1e-13);
  EXPECT_EQ(run.hess(1, 4), run.hess(4, 1));
  EXPECT_NEAR(run.hess(1, 1), 0.31237716623644607, 1e-13);
  EXPECT_NEAR(run.hess(4, 4), 0.31237716623644607, 1e-13);
  // Across the bond the true curvature at r0 is zero; the difference quotient leaves a
  // second-order remainder of 700 (sqrt(r0^2 + h^2) - r0) / r0 kcal/mol/Angstrom^2.
  for (int j = 1; j <= 6; ++j) {
    EXPECT_NEAR(run.hess(2, j), 0.0, 1e-7);
    EXPECT_NEAR(run.hess(3, j), 0.0, 1e-7);
  }
  for (double f : run.ws.force)
    EXPECT_EQ(f, 0.0);
  EXPECT_EQ(run.in.xyz[3], 1.38);
}

TEST(Hessian, ListingNotesAndEnergyBlocks) {
  {
    PreparedRun run(diatomic(1.38, 2));
    run.deriv(1);
    EXPECT_EQ(run.listing(), "   Hessian Calculated Using Sybyl-5.2 Force Field\n"
                             "   Hessian Calculation Complete\n");
  }
  PreparedRun run(diatomic(1.38, 3));
  run.deriv(1);
  const std::string listing = run.listing();
  std::size_t blocks = 0;
  for (std::size_t at = listing.find("TOTAL ENERGY"); at != std::string::npos;
       at = listing.find("TOTAL ENERGY", at + 1)) {
    ++blocks;
  }
  EXPECT_EQ(blocks, 6 * 2 + 1u);
}

TEST(Derivatives, GradientBecomesTheForceInHartreePerBohr) {
  // Stretched by about 1/700 Angstrom the gradient on atom 2 along x is about 1 kcal/mol/Angstrom.
  PreparedRun run(diatomic(1.38 + 1.0 / 700));
  const double energy = run.deriv(0);
  auto& in = run.in;
  std::vector<double> g(6);
  EXPECT_EQ(energy,
            kelma::ffegrad(*run.units, 2, in.vdwc, 0, in.xyz, in.itype, in.conn, run.ws.ff, g));
  EXPECT_NEAR(g[3], 1.0, 1e-7);
  for (std::size_t k = 0; k < 6; ++k) {
    EXPECT_EQ(run.ws.force[k], g[k] * -0.0008432964671999999);
  }
  EXPECT_EQ(run.hess(1, 4), 0.0);
}

TEST(Derivatives, NegativeJobtypeRunsOnlyTheSetUp) {
  PreparedRun run(diatomic(1.5));
  std::fill(run.ws.force.begin(), run.ws.force.end(), 7.0);
  double energy = 7.0;
  kelma::ffderiv(*run.units, run.model(), -1, run.in.xyz, kelma::hessian_scratch(run.ws), energy,
                 run.ws.force, kelma::hessian(run.ws), run.ncall);
  EXPECT_EQ(run.ncall, 1);
  EXPECT_EQ(energy, 7.0);
  EXPECT_EQ(run.ws.force[0], 7.0);
  EXPECT_EQ(run.ws.ff.kpair[1], 700.0); // element (2, 1)
  EXPECT_EQ(run.ws.ff.r0[1], 1.38);
}

std::vector<std::filesystem::path> example_inputs() {
  const auto folder = std::filesystem::path(__FILE__).parent_path().parent_path().parent_path() /
                      "examples" / "kelma";
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().extension() == ".in")
      files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

std::string read_file(const std::filesystem::path& path) {
  std::ifstream in(path);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// On every bundled molecule: ffener and ffegrad agree, and the analytic gradient matches
// central differences of the energy.
TEST(RealMolecules, GradientMatchesDifferencesAndEnergiesAgree) {
  const auto files = example_inputs();
  ASSERT_GE(files.size(), 4u);
  for (const auto& file : files) {
    SCOPED_TRACE(file.filename().string());
    PreparedRun run(read_file(file));
    run.in.print = 0;
    run.deriv(0);
    auto& in = run.in;
    std::vector<double> g(in.xyz.size());
    const double e =
        kelma::ffegrad(*run.units, in.natoms, in.vdwc, 0, in.xyz, in.itype, in.conn, run.ws.ff, g);
    EXPECT_EQ(
        e, kelma::ffener(*run.units, in.natoms, in.vdwc, 0, in.xyz, in.itype, in.conn, run.ws.ff));
    double largest = 0.0;
    for (double v : g)
      largest = std::max(largest, std::abs(v));
    constexpr double h = 1e-5;
    for (std::size_t k = 0; k < in.xyz.size(); ++k) {
      const double x = in.xyz[k];
      in.xyz[k] = x + h;
      const double up =
          kelma::ffener(*run.units, in.natoms, in.vdwc, 0, in.xyz, in.itype, in.conn, run.ws.ff);
      in.xyz[k] = x - h;
      const double down =
          kelma::ffener(*run.units, in.natoms, in.vdwc, 0, in.xyz, in.itype, in.conn, run.ws.ff);
      in.xyz[k] = x;
      EXPECT_NEAR(g[k], (up - down) / (2 * h), 1e-8 * largest) << "coordinate " << k;
    }
  }
}

// A $jobtype 1 run: the first cycle as the Hessian start leaves it (a steepest-descent step), then
// convergence to the minimum (energy 0: every non-bonded pair of fluoromethane is a 1-3 pair) in
// fewer cycles than the 10 of the unit-matrix start.
TEST(RealMolecules, FluoromethaneFromTheHessianFirstCycleExact) {
  const std::string input = keywords(5, 4) +
                            "$coordinates\n"
                            "   -0.0233974802   -0.0470311616   -0.0132920920     C   1\n"
                            "    0.0102686639    0.0126811437    1.4316162291     F  16\n"
                            "    0.9470814816    0.2756921731   -0.4009533792     H  13\n"
                            "   -0.2546453389   -0.9444161738   -0.3866750376     H  13\n"
                            "   -0.7534224634    0.7480455774   -0.4002923674     H  13\n"
                            "$connectivity\n1 2 1\n1 3 1\n1 4 1\n1 5 1\n$end\n";
  common::RunContext run("", common::UnitsTo::memory);
  std::istringstream in(input);
  common::InputDeck deck(in);
  kelma::run_kelma_from_deck(run, deck);
  const std::string out = run.text(common::stdout_unit);
  const std::string cycle1 = "**     1  Energy:     0.011076376   RMSG: 0.03178\n"
                             "@   -0.0242915649   -0.0036869977    0.0134860395\n"
                             "@    0.0092954647    0.0101315933    1.4085487157\n"
                             "@    0.9500042707    0.2736152955   -0.4005885231\n"
                             "@   -0.2620271684   -0.9717312160   -0.3962664251\n"
                             "@   -0.7470961390    0.7366428836   -0.3947764540\n";
  EXPECT_EQ(out.substr(0, cycle1.size()), cycle1);
  const std::string listing = run.text(common::listing_unit);
  const std::size_t listed =
      listing.find(" ** Cycle:   1  Energy:       0.011076376   RMSG:   0.03178");
  ASSERT_NE(listed, std::string::npos);
  std::size_t blocks = 0;
  for (std::size_t at = listing.find("TOTAL ENERGY"); at < listed;
       at = listing.find("TOTAL ENERGY", at + 1)) {
    ++blocks;
  }
  EXPECT_EQ(blocks, 6 * 5 + 1u);

  const std::size_t last = out.rfind("**");
  ASSERT_EQ(out[last + 50], '!');
  const double energy = std::stod(out.substr(last + 17, 16));
  const double rmsg = std::stod(out.substr(last + 41, 8));
  EXPECT_NEAR(energy, 0.0, 1e-7);
  EXPECT_LT(rmsg, 0.0005);
  EXPECT_LT(std::stoi(out.substr(last + 2, 6)), 10);
}

// The threaded Hessian must reproduce the serial one bit for bit: the matrix, the force, the
// coordinates the walk leaves behind (some move by one unit in the last place) and the listing
// of its 6n + 1 energy blocks, whatever the number of threads. The molecule is moved so that two
// coordinates take values that the +h, -h, -h, +h walk does not bring back exactly, one of them
// by a unit in the last place of the distances.
TEST(RealMolecules, ThreadedHessianIsTheSerialOneBitForBit) {
  const std::string input = read_file(example_inputs().back());
  const auto prepared = [&] {
    PreparedRun run(input);
    const double shift = 0.9995985504 - run.in.xyz[0];
    for (std::size_t k = 0; k < run.in.xyz.size(); k += 3)
      run.in.xyz[k] += shift;
    run.in.xyz[0] = 0.9995985504;
    run.in.xyz[4] = 0.0001;
    return run;
  };
  const auto run_with = [&](int threads, std::string& listing) {
    PreparedRun run = prepared();
    run.in.print = 3;
    run.threads = threads;
    run.deriv(1);
    listing = run.listing();
    return run;
  };
  std::string serial_listing;
  const PreparedRun serial = run_with(1, serial_listing);
  const PreparedRun start = prepared();
  EXPECT_NE(serial.in.xyz[0], start.in.xyz[0]);
  EXPECT_NE(serial.in.xyz[4], start.in.xyz[4]);
  for (const int threads : {2, 3, 7}) {
    SCOPED_TRACE(threads);
    std::string listing;
    const PreparedRun threaded = run_with(threads, listing);
    EXPECT_EQ(threaded.ws.hess, serial.ws.hess);
    EXPECT_EQ(threaded.ws.force, serial.ws.force);
    EXPECT_EQ(threaded.in.xyz, serial.in.xyz);
    EXPECT_EQ(listing, serial_listing);
  }
}

// On the Hessians of the bundled molecules, at their (perturbed) starting geometries, the start
// is exactly symmetric and positive definite, and it inverts the internal Hessian P H P on every
// internal motion whose curvature is above the floor.
TEST(RealMolecules, HessianStartInvertsTheInternalCurvatures) {
  for (const auto& file : example_inputs()) {
    SCOPED_TRACE(file.filename().string());
    PreparedRun run(read_file(file));
    run.in.print = 0;
    run.deriv(1);
    const auto dim = static_cast<Eigen::Index>(3 * run.in.natoms);
    const Eigen::MatrixXd h = Eigen::Map<const Eigen::MatrixXd>(run.ws.hess.data(), dim, dim);
    std::vector<double> b(static_cast<std::size_t>(dim * dim));
    ASSERT_EQ(kelma::internal_inverse(run.ws.hess, run.in.xyz, b), kelma::inverse_found);
    const Eigen::Map<const Eigen::MatrixXd> start(b.data(), dim, dim);
    EXPECT_TRUE(start == start.transpose());
    EXPECT_GT(Eigen::SelfAdjointEigenSolver<Eigen::MatrixXd>(start).eigenvalues().minCoeff(), 0.0);

    const kelma::RigidModes modes = kelma::rigid_modes(run.in.xyz);
    ASSERT_EQ(modes.count, 6);
    const Eigen::Map<const Eigen::MatrixXd> r(modes.basis.data(), dim, modes.count);
    const Eigen::MatrixXd p = Eigen::MatrixXd::Identity(dim, dim) - r * r.transpose();
    const Eigen::SelfAdjointEigenSolver<Eigen::MatrixXd> internal(p * h * p);
    int stiff = 0;
    for (Eigen::Index k = 0; k < dim; ++k) {
      if (internal.eigenvalues()(k) < kelma::curvature_floor)
        continue;
      const Eigen::VectorXd v = internal.eigenvectors().col(k);
      EXPECT_LT((start * (p * h * p) * v - v).norm(), 1e-8) << "mode " << k;
      ++stiff;
    }
    EXPECT_GE(stiff, 3 * run.in.natoms - 6 - 3);
  }
}

TEST(Hessian, ThreadCountComesFromTheAffinityMaskWhenNotGiven) {
  EXPECT_EQ(kelma::hessian_thread_count(3), 3);
  EXPECT_EQ(kelma::hessian_thread_count(0), common::available_cpus());
}

} // namespace
