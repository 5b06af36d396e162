#include "kelma/optimiser.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "common/channels.hpp"
#include "common/termination.hpp"
#include "common/vectors.hpp"
#include "common/worker_pool.hpp"
#include "kelma/units.hpp"
#include "kelma/workspace.hpp"

namespace {

// A model force field: energy e0 + sum of k(i)/2 (x(i) - m(i))^2 in kcal/mol and Angstrom
// (k(i) < 0 makes a hill). It fills the Hessian with `hessian` when asked and keeps every
// geometry it was called at.
struct Model {
  std::vector<double> minimum;
  std::vector<double> k;
  double e0 = 0.0;
  std::vector<double> hessian;
  std::vector<std::vector<double>> deriv_points;
  std::vector<int> deriv_jobtypes;

  double energy(std::span<const double> xyz) const {
    double e = e0;
    for (std::size_t i = 0; i < xyz.size(); ++i) {
      const double d = xyz[i] - minimum[i];
      e += 0.5 * k[i] * d * d;
    }
    return e;
  }

  kelma::ForceFieldCalls calls() {
    kelma::ForceFieldCalls ff;
    ff.deriv = [this](std::span<double> xyz, int jobtype, std::span<double> force,
                      std::span<double> hess, int& cycle) {
      ++cycle;
      deriv_points.emplace_back(xyz.begin(), xyz.end());
      deriv_jobtypes.push_back(jobtype);
      if (jobtype == 1)
        std::copy(hessian.begin(), hessian.end(), hess.begin());
      for (std::size_t i = 0; i < xyz.size(); ++i) {
        force[i] = kelma::gradient_to_force * k[i] * (xyz[i] - minimum[i]);
      }
      return energy(xyz);
    };
    ff.ener = [this](std::span<double> xyz) { return energy(xyz); };
    return ff;
  }
};

Model isotropic(std::vector<double> minimum, double k, double e0) {
  Model m;
  m.k.assign(minimum.size(), k);
  m.minimum = std::move(minimum);
  m.e0 = e0;
  return m;
}

struct OptimRun {
  common::RunContext units{"", common::UnitsTo::memory};
  kelma::Workspace ws;
  kelma::OptimSettings settings;
  int jobtype = 0;
  int cycle = 0;
  kelma::KelmaResult result;
  bool stopped = false;
  std::string stop_code;

  OptimRun(int natoms, int nsteps, int print, int job = 0)
      : ws(kelma::make_workspace(natoms, 0, 0, job)), settings{natoms, 0.0005, 1.0e-6, nsteps,
                                                               print},
        jobtype(job) {}

  void go(std::vector<double>& xyz, const kelma::ForceFieldCalls& ff) {
    try {
      kelma::optim(units, settings, jobtype, xyz, ws, ff, cycle, result);
    } catch (const common::RunStop& stop) {
      stopped = true;
      stop_code = stop.code;
    }
  }
  const std::string& out() { return units.text(common::stdout_unit); }
  const std::string& listing() { return units.text(common::listing_unit); }
  const std::string& trace() { return units.text(common::trace_unit); }
};

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);)
    out.push_back(line);
  return out;
}

int count_prefix(const std::string& text, const std::string& prefix) {
  int count = 0;
  for (const auto& line : lines(text))
    count += line.rfind(prefix, 0) == 0 ? 1 : 0;
  return count;
}

bool is_unit_matrix(const std::vector<double>& h, int n) {
  for (int j = 0; j < n; ++j) {
    for (int i = 0; i < n; ++i) {
      if (h[i + j * n] != (i == j ? 1.0 : 0.0))
        return false;
    }
  }
  return true;
}

TEST(Optim, ConvergesToTheMinimumOfABowlAndEndsWithTheLastGeometryTwice) {
  Model model = isotropic({0.1, 0.2, -0.1, 1.4, 0.0, 0.1}, 300.0, -2.0);
  model.k = {300, 500, 200, 400, 250, 350};
  std::vector<double> xyz{0.15, 0.1, -0.05, 1.5, 0.05, 0.0};
  OptimRun run(2, 50, 4);
  run.settings.gtol = 1.0e-5;
  run.settings.etol = 1.0e-9;
  run.go(xyz, model.calls());
  ASSERT_FALSE(run.stopped);
  for (std::size_t i = 0; i < xyz.size(); ++i)
    EXPECT_NEAR(xyz[i], model.minimum[i], 1e-3);

  const std::string out = run.out();
  EXPECT_EQ(out, run.trace());
  const auto records = lines(out);
  const int cycles = count_prefix(out, "**  ");
  ASSERT_GE(cycles, 3);
  ASSERT_EQ(records.size(), static_cast<std::size_t>(3 * cycles));
  EXPECT_EQ(count_prefix(out, "!"), 2);
  // The last accepted cycle and the final block report the same point.
  const std::size_t last = records.size() - 6;
  EXPECT_EQ(records[last], records[last + 3]);
  for (std::size_t a = 1; a <= 2; ++a) {
    EXPECT_EQ(records[last + a][0], '@');
    EXPECT_EQ(records[last + 3 + a][0], '!');
    EXPECT_EQ(records[last + 3 + a].substr(1), records[last + a].substr(1));
  }
  // print 4 lists the coordinates of every accepted cycle after its cycle record.
  const std::string listing = run.listing();
  EXPECT_EQ(count_prefix(listing, " ** Cycle:"), cycles - 1);
  EXPECT_EQ(count_prefix(listing, "  0.") + count_prefix(listing, "  1.") +
                count_prefix(listing, " -0."),
            2 * (cycles - 1));
}

TEST(Optim, EachBlockReachesStandardOutputInOnePiece) {
  Model model = isotropic({0.1, 0.2, -0.1, 1.4, 0.0, 0.1}, 300.0, -2.0);
  std::vector<double> xyz{0.15, 0.1, -0.05, 1.5, 0.05, 0.0};
  OptimRun run(2, 50, 0);
  std::vector<std::string> pieces;
  run.units.send_to(common::stdout_unit,
                    [&pieces](std::string_view piece) { pieces.emplace_back(piece); });
  run.go(xyz, model.calls());
  run.units.send_to(common::stdout_unit, nullptr);
  ASSERT_FALSE(run.stopped);
  ASSERT_GE(pieces.size(), 2u);
  for (const std::string& piece : pieces) {
    const auto records = lines(piece);
    ASSERT_EQ(records.size(), 3u) << piece;
    EXPECT_EQ(records[0].rfind("**  ", 0), 0u);
    EXPECT_EQ(records[2][0], records[1][0]);
  }
  EXPECT_EQ(pieces.back()[lines(pieces.back())[0].size() + 1], '!');
}

TEST(Optim, LineSearchStepsWhileTheEnergyFallsAndUndoesTheLastTrial) {
  Model model = isotropic({0, 0, 0}, 700.0, 0.0);
  std::vector<double> xyz{1.0, 0.0, 0.0};
  OptimRun run(1, 50, 1);
  run.go(xyz, model.calls());
  ASSERT_FALSE(run.stopped);

  // Trials of 0.3 bohr from x = 1 Angstrom: the seventh passes the minimum and is undone.
  const auto listing = lines(run.listing());
  ASSERT_GE(listing.size(), 16u);
  EXPECT_EQ(listing[1], " ** Cycle:   1  Energy:       0.557760000   RMSG:   0.34081");
  EXPECT_EQ(listing[2], "");
  EXPECT_EQ(listing[3], "   line search step:   1  Energy:       0.394724714");
  EXPECT_EQ(listing[13], "   line search step:   6  Energy:       0.001257461");
  EXPECT_EQ(listing[15], "   line search step:   7  Energy:       0.006905845");
  EXPECT_EQ(listing[17], " ** Cycle:   2  Energy:       0.001257461   RMSG:   0.01618");
  EXPECT_NEAR(model.deriv_points[1][0], 0.0474814, 1e-9);
  // After a line search the next step is a plain steepest-descent step, not an update.
  EXPECT_EQ(count_prefix(run.listing(), "**WARNING**"), 0);
  // The line-search cycle writes no result records.
  EXPECT_EQ(run.out().rfind("**     2", 0), 0u);
}

TEST(Optim, AFailedFirstTrialDisablesLaterLineSearches) {
  // A steep narrow well: one trial of 0.3 bohr overshoots it, and the steps after it leave
  // forces above the step limit.
  Model model = isotropic({0, 0, 0}, 10000.0, -1.0);
  std::vector<double> xyz{0.05, 0.0, 0.0};
  OptimRun run(1, 50, 1);
  run.go(xyz, model.calls());
  ASSERT_FALSE(run.stopped);
  EXPECT_EQ(count_prefix(run.listing(), "   line search step:"), 1);
  EXPECT_EQ(model.deriv_points[1], model.deriv_points[0]);
  EXPECT_GT(std::fabs(model.deriv_points[2][0]) * 10000.0 * -kelma::gradient_to_force, 0.3);
}

// A flat energy with the force (fx, 0, 0) everywhere, on a run of one atom from x = 1 with
// nsteps 2. Returns the x coordinates the force field was called at.
std::vector<double> constant_force_run(double fx, std::string& listing) {
  Model flat = isotropic({0, 0, 0}, 0.0, 1.0);
  kelma::ForceFieldCalls ff = flat.calls();
  ff.deriv = [&flat, fx](std::span<double> x, int job, std::span<double> f, std::span<double> h,
                         int& cycle) {
    const double e = flat.calls().deriv(x, job, f, h, cycle);
    f[0] = fx;
    return e;
  };
  OptimRun run(1, 2, 1);
  std::vector<double> xyz{1.0, 0.0, 0.0};
  run.go(xyz, ff);
  listing = run.listing();
  std::vector<double> x;
  for (const auto& point : flat.deriv_points)
    x.push_back(point[0]);
  return x;
}

TEST(Optim, ForceNormOfExactlyTheStepLimitTakesAnUncappedStep) {
  std::string listing;
  const auto at_limit = constant_force_run(0.3, listing);
  EXPECT_EQ(count_prefix(listing, "   line search step:"), 0);
  ASSERT_EQ(at_limit.size(), 2u);
  EXPECT_EQ(at_limit[1], (1.8897268777743552 + 0.3) * 0.529177);

  // Just above the limit a line search is made; a trial at the same energy ends it, undone.
  const auto above = constant_force_run(std::nextafter(0.3, 1.0), listing);
  EXPECT_EQ(count_prefix(listing, "   line search step:"), 1);
  ASSERT_EQ(above.size(), 2u);
  EXPECT_NEAR(above[1], 1.0, 1e-12);
}

TEST(Optim, EarlyExitOnTheFirstCycleWritesTheFinalBlockOnly) {
  Model model = isotropic({0, 0, 0, 1.5, -0.25, 2.0}, 50.0, -0.5);
  std::vector<double> xyz = model.minimum;
  OptimRun run(2, 10, 0);
  run.go(xyz, model.calls());
  ASSERT_FALSE(run.stopped);
  const std::string expected = "**     1  Energy:    -0.000796800   RMSG: 0.00000\n"
                               "!    0.0000000000    0.0000000000    0.0000000000\n"
                               "!    1.5000000000   -0.2500000000    2.0000000000\n";
  EXPECT_EQ(run.out(), expected);
  EXPECT_EQ(run.trace(), expected);
  EXPECT_EQ(run.listing(), "");
}

TEST(Optim, FirstCycleConvergesOnlyBelowTheZeroStartingEnergy) {
  // RMSG between 0.1 gtol and gtol: the regular test decides, against Eprev = 0, so only an
  // energy between -etol and 0 converges.
  std::vector<double> xyz{0.001, 0.0, 0.0};
  Model below = isotropic({0, 0, 0}, 300.0, -0.0005);
  OptimRun converged(1, 1, 0);
  converged.go(xyz, below.calls());
  ASSERT_FALSE(converged.stopped);
  EXPECT_EQ(converged.out(), "**     1  Energy:    -0.000000558   RMSG: 0.00015\n"
                             "@    0.0010000000    0.0000000000    0.0000000000\n"
                             "**     1  Energy:    -0.000000558   RMSG: 0.00015\n"
                             "!    0.0010000000    0.0000000000    0.0000000000\n");

  xyz = {0.001, 0.0, 0.0};
  Model above = isotropic({0, 0, 0}, 300.0, 0.5);
  OptimRun stopped(1, 1, 0);
  stopped.go(xyz, above.calls());
  EXPECT_TRUE(stopped.stopped);
}

// Runs two cycles of one atom whose force field reports the scripted energies (kcal/mol) and x
// forces (hartree/bohr) wherever it is called; true when the run converges on cycle 2.
bool converges_on_cycle_two(double e2, double f2) {
  const double energies[] = {-1.0, e2};
  const double forces[] = {0.01, f2};
  kelma::ForceFieldCalls ff;
  ff.deriv = [&](std::span<double>, int, std::span<double> force, std::span<double>, int& cycle) {
    ++cycle;
    force[0] = forces[cycle - 1];
    return energies[cycle - 1];
  };
  ff.ener = [](std::span<double>) { return 0.0; };
  OptimRun run(1, 2, 0);
  std::vector<double> xyz{0.0, 0.0, 0.0};
  run.go(xyz, ff);
  return !run.stopped;
}

TEST(Optim, ConvergenceNeedsSmallForceSmallDecreaseAndALowerEnergy) {
  // gtol 0.0005 on RMSG = |f| / sqrt(3); etol 1e-6 hartree is about 6.3e-4 kcal/mol.
  const double small_force = 0.0006;
  EXPECT_TRUE(converges_on_cycle_two(-1.0001, small_force));
  EXPECT_FALSE(converges_on_cycle_two(-1.0001, 0.001));
  EXPECT_FALSE(converges_on_cycle_two(-1.001, small_force));
  EXPECT_FALSE(converges_on_cycle_two(-1.0, small_force));
}

TEST(Optim, CycleLimitStopsWith666AndWritesNoResultForThatCycle) {
  Model model = isotropic({0, 0, 0}, 300.0, 0.0);
  std::vector<double> xyz{0.1, 0.0, 0.0};
  OptimRun run(1, 1, 1);
  run.go(xyz, model.calls());
  EXPECT_TRUE(run.stopped);
  EXPECT_EQ(run.stop_code, "666");
  EXPECT_EQ(run.out(), "");
  EXPECT_EQ(run.trace(), "");
  EXPECT_EQ(count_prefix(run.listing(), " ** Cycle:"), 1);
}

TEST(Optim, LineSearchCyclesSkipTheCycleLimitTest) {
  Model model = isotropic({0, 0, 0}, 700.0, 0.0);
  std::vector<double> xyz{1.0, 0.0, 0.0};
  OptimRun run(1, 1, 0);
  run.go(xyz, model.calls());
  EXPECT_TRUE(run.stopped);
  EXPECT_EQ(run.cycle, 2);
  EXPECT_EQ(run.out(), "");
}

TEST(Optim, LineSearchesDownAnEndlessSlopeEndAtTheCycleAfterTheLimit) {
  // A hill without a floor: every trial step lowers the energy. Each line search stops after
  // 9999 trials at its lowest point; the second line-search cycle past the limit ends the run.
  Model model = isotropic({0, 0, 0}, -700.0, 0.0);
  std::vector<double> xyz{1.0, 0.0, 0.0};
  OptimRun run(1, 1, 1);
  run.go(xyz, model.calls());
  EXPECT_TRUE(run.stopped);
  EXPECT_EQ(run.stop_code, "666");
  EXPECT_EQ(run.cycle, 2);
  const std::string listing = run.listing();
  EXPECT_EQ(count_prefix(listing, "   line search step:"), 9999);
  EXPECT_NE(listing.find("   line search step:9999"), std::string::npos);
  EXPECT_NEAR(model.deriv_points[1][0], 1.0 + 9999 * 0.3 * 0.529177, 1e-6);
  EXPECT_EQ(run.out(), "");
}

TEST(Optim, NegativeCurvatureWarnsAndResetsTheInverseHessian) {
  // A hill: the force grows along the step. The starting Hessian diag(2) inverts to diag(0.5).
  Model model = isotropic({0, 0, 0}, -20.0, 0.0);
  model.hessian = {2, 0, 0, 0, 2, 0, 0, 0, 2};
  std::vector<double> xyz{0.1, 0.05, 0.0};
  OptimRun run(1, 2, 1, 1);
  run.go(xyz, model.calls());
  EXPECT_TRUE(run.stopped);
  EXPECT_EQ(run.jobtype, 0);
  EXPECT_EQ(model.deriv_jobtypes, (std::vector<int>{1, 0}));
  const auto listing = lines(run.listing());
  ASSERT_EQ(listing.size(), 7u);
  EXPECT_EQ(listing[4], "**WARNING** Hereditary positive definiteness endangered");
  EXPECT_EQ(listing[5], " Reinitializing Hessian");
  EXPECT_EQ(listing[6], " Taking Steepest Descent Step");
  EXPECT_TRUE(is_unit_matrix(run.ws.hess, 3));
  EXPECT_EQ(run.ws.step, run.ws.force);
}

TEST(Optim, StartsFromTheInternalInverseOrFallsBackToTheUnitMatrix) {
  // Two atoms on the x axis with a stretch of curvature 2 along it: the stretch w = (1, -1) / sqrt
  // 2 on the x coordinates has curvature 4, so H(1, 1) = 1/8 + 1/2 and H(1, 4) = -1/8 + 1/2; the
  // other coordinates are rigid motions and keep the unit matrix.
  Model model = isotropic({0, 0, 0, 1.5, 0, 0}, 300.0, 0.0);
  model.hessian.assign(36, 0.0);
  model.hessian[0] = model.hessian[21] = 2.0;
  model.hessian[3] = model.hessian[18] = -2.0;
  for (const int diagonal : {7, 14, 28, 35})
    model.hessian[static_cast<std::size_t>(diagonal)] = 0.5;
  std::vector<double> xyz{0.1, 0.0, 0.0, 1.5, 0.0, 0.0};
  OptimRun good(2, 1, 1, 1);
  good.go(xyz, model.calls());
  EXPECT_NEAR(good.ws.hess[0], 0.625, 1e-15);
  EXPECT_NEAR(good.ws.hess[3], 0.375, 1e-15);
  EXPECT_NEAR(good.ws.hess[7], 1.0, 1e-15);
  EXPECT_EQ(count_prefix(good.listing(), " **Matrix"), 0);

  model.hessian[7] = 0.0; // the y coordinate of atom 1 has no curvature at all
  OptimRun singular(2, 1, 1, 1);
  xyz = {0.1, 0.0, 0.0, 1.5, 0.0, 0.0};
  singular.go(xyz, model.calls());
  EXPECT_EQ(lines(singular.listing()).back(),
            " **Matrix Inversion Failed**  Switching to Unit Hessian");
  EXPECT_TRUE(is_unit_matrix(singular.ws.hess, 6));
  EXPECT_EQ(singular.jobtype, 0);
}

TEST(Bfgsupd, UpdatedMatrixMapsTheForceChangeOntoTheStepOnAnyNumberOfThreads) {
  // Secant condition: after the update H gamma = delta, H read from its lower triangle; the new
  // step is H f cut to length 0.3 (here H f is longer). The starting matrix counts as a whole.
  // One thread updates and multiplies in one pass, two in turn: the bits must agree.
  const int n = 3;
  const std::vector<double> delta{0.1, -0.05, 0.02};
  const std::vector<double> fprev{0.3, 0.1, -0.2};
  const std::vector<double> f{0.05, 0.2, -0.25};
  std::vector<std::vector<double>> results;
  for (const int threads : {1, 2}) {
    std::vector<double> h{2, 0.5, 0, 0.5, 1, 0.2, 0, 0.2, 1.5};
    kelma::InverseHessian hinv{h, true};
    std::vector<double> step = delta;
    std::vector<double> scratch(kelma::bfgsupd_scratch * n);
    common::WorkerPool pool(threads);
    kelma::bfgsupd(n, f, fprev, hinv, step, scratch, pool);
    EXPECT_FALSE(hinv.both_triangles_count);
    const auto at = [&](int i, int j) { return i >= j ? h[i + j * n] : h[j + i * n]; };
    std::vector<double> hf(n, 0.0);
    double hf_norm2 = 0.0;
    for (int i = 0; i < n; ++i) {
      double hg = 0.0;
      for (int j = 0; j < n; ++j) {
        hg += at(i, j) * (fprev[j] - f[j]);
        hf[i] += at(i, j) * f[j];
      }
      EXPECT_NEAR(hg, delta[i], 1e-14);
      hf_norm2 += hf[i] * hf[i];
    }
    ASSERT_GT(hf_norm2, 0.09);
    for (int i = 0; i < n; ++i)
      EXPECT_NEAR(step[i], hf[i] * 0.3 / std::sqrt(hf_norm2), 1e-15);
    h.insert(h.end(), step.begin(), step.end());
    results.push_back(h);
  }
  EXPECT_EQ(results[0], results[1]);
}

TEST(Bfgsupd, SuccessiveUpdatesGiveTheSameBitsOnAnyNumberOfThreads) {
  // Large enough for every part of a shared update to hold several column groups and a remainder;
  // the second update reads the lower triangle the first one wrote.
  const int n = 61;
  const auto un = static_cast<std::size_t>(n);
  const auto wave = [](std::size_t i, double phase) { return 0.01 * std::sin(0.7 * i + phase); };
  std::vector<std::vector<double>> results;
  for (const int threads : {1, 2, 3}) {
    std::vector<double> h(un * un, 0.0);
    common::setdiagmat(n, 1.0, h);
    kelma::InverseHessian hinv{h, true};
    std::vector<double> step(un), f(un), fprev(un), scratch(kelma::bfgsupd_scratch * un);
    for (std::size_t i = 0; i < un; ++i) {
      step[i] = wave(i, 1.0);
      fprev[i] = wave(i, 2.0);
      f[i] = fprev[i] - 3.0 * step[i] - wave(i, 0.5) * wave(i, 4.0);
    }
    common::WorkerPool pool(threads);
    ASSERT_EQ(pool.size(), threads);
    for (int update = 0; update < 2; ++update) {
      kelma::bfgsupd(n, f, fprev, hinv, step, scratch, pool);
      fprev = f;
      for (std::size_t i = 0; i < un; ++i)
        f[i] = 0.5 * f[i] - 2.0 * step[i];
    }
    h.insert(h.end(), step.begin(), step.end());
    results.push_back(h);
  }
  EXPECT_EQ(results[0], results[1]);
  EXPECT_EQ(results[0], results[2]);
}

} // namespace
