// The share of noisy molecules that symmetry names right: every molecule of the test catalogue,
// turned into a random pose, with Gaussian noise on every coordinate, at two noise levels and two
// tolerances. "first pass" is the search as it runs on exact input; "with refit" adds the second
// pass with refitted generators that a failed first pass starts.
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "common/run_context.hpp"
#include "support/noisy_poses.hpp"
#include "symmetry/driver.hpp"
#include "symmetry/frame.hpp"

namespace {

// The label of the first pass alone, and the label and operation count of the whole run.
struct Named {
  std::string first;
  std::string full;
  int count;
};

Named labels(const molecules::Pose& pose, double thrsym) {
  const int n = static_cast<int>(pose.symbols.size());
  common::RunContext run("", common::UnitsTo::memory);
  std::vector<double> centred = pose.xyz;
  double cx = 0.0, cy = 0.0, cz = 0.0;
  symmetry::cms(n, cx, cy, cz, centred);
  symmetry::Workspace ws = symmetry::make_workspace(n);
  symmetry::SymmetryResult first = symmetry::make_result(n);
  int adjst = 1;
  symmetry::search_pass(run, n, pose.symbols, centred, symmetry::make_thresholds(thrsym), adjst, 0,
                        false, ws, first);
  std::vector<double> xyz = pose.xyz;
  symmetry::SymmetryResult full = symmetry::make_result(n);
  adjst = 1;
  symmetry::symtry(run, n, pose.symbols, xyz, thrsym, adjst, 0, ws, full);
  return {first.label, full.label, full.count};
}

// A group the molecule cannot have: another label whose order exceeds the true order or does not
// divide it.
bool foreign(const molecules::Molecule& m, const Named& named) {
  const int order = static_cast<int>(m.group.size());
  return named.full != m.label && (named.count > order || order % named.count != 0);
}

} // namespace

int main() {
  constexpr int poses = 5;
  std::printf("%-8s %-7s %9s %12s %12s %9s\n", "noise", "thrsym", "inputs", "first pass",
              "with refit", "foreign");
  int all = 0, all_first = 0, all_full = 0, all_foreign = 0;
  for (const double noise : {0.005, 0.02}) {
    for (const double thrsym : {0.05, 0.15}) {
      int inputs = 0, right_first = 0, right_full = 0, wrong = 0;
      for (const molecules::Molecule& m : molecules::catalogue()) {
        if (m.linear)
          continue;
        for (int pose = 1; pose <= poses; ++pose) {
          const Named named =
              labels(molecules::noisy_pose(m, noise, 7919u * pose + m.atoms.size()), thrsym);
          ++inputs;
          right_first += named.first == m.label;
          right_full += named.full == m.label;
          wrong += foreign(m, named);
        }
      }
      std::printf("%-8.3f %-7.2f %9d %12d %12d %9d\n", noise, thrsym, inputs, right_first,
                  right_full, wrong);
      all += inputs;
      all_first += right_first;
      all_full += right_full;
      all_foreign += wrong;
    }
  }
  std::printf("%-16s %9d %11.1f%% %11.1f%% %9d\n", "all", all, 100.0 * all_first / all,
              100.0 * all_full / all, all_foreign);
}
