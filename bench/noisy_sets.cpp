// The answers symmetry gives on noisy molecules, weighed: every non-linear molecule of the test
// catalogue and three carbon cages (Ih C80, C80 stretched to D3d within 0.1 A of Ih, Ih C240) in
// random poses with Gaussian noise. For each set: how often the run's answer and the weighed
// choice (choose_group) name the true group, a subgroup of it or another group, and the largest
// CPU time of a run and of a run with its weighing. Every answer that is neither the true group
// nor a subgroup of it is listed with its displacement against that of the true group.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "support/noisy_poses.hpp"
#include "symmetry/group_choice.hpp"
#include "symmetry/linear_algebra.hpp"
#include "symmetry/tolerance_scan.hpp"

namespace {

using molecules::Matrix;
using molecules::Molecule;
using molecules::Vec3;
using molecules::operator+;
using molecules::operator-;
using molecules::operator*;

constexpr int poses = 5;
constexpr double stretch = 0.02;
// Operations this close (dif) are one: an axis the search fits to a few noisy atoms can stand a
// few degrees off the true one.
constexpr double same_operation = 0.25;

double cpu_seconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

// The true group of m as the pose turned it.
std::vector<Matrix> posed_group(const Molecule& m, const Matrix& turn) {
  Matrix back{};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      back[i + 3 * j] = turn[j + 3 * i];
  std::vector<Matrix> group;
  for (const Matrix& r : m.group)
    group.push_back(molecules::multiply(molecules::multiply(turn, r), back));
  return group;
}

// Every operation of the result, in the frame of the input, lies near one of the group.
bool inside(const symmetry::SymmetryResult& r, const std::vector<Matrix>& group) {
  for (int k = 0; k < r.count; ++k) {
    Matrix left{};
    Matrix seen{};
    symmetry::mult3(symmetry::transpose(r.rotation), r.ops[static_cast<std::size_t>(k)], left);
    symmetry::mult3(left, r.rotation, seen);
    if (std::none_of(group.begin(), group.end(), [&](const Matrix& g) {
          return symmetry::dif(seen.data(), g.data(), 9) < same_operation;
        }))
      return false;
  }
  return true;
}

// RMS displacement of the atoms symmetrised over the true group (images matched to the nearest
// like atom), about their centroid.
double true_rms(const molecules::Pose& pose, const std::vector<Matrix>& group) {
  const std::size_t n = pose.symbols.size();
  std::vector<Vec3> x(n);
  Vec3 centre{};
  for (std::size_t i = 0; i < n; ++i) {
    x[i] = {pose.xyz[3 * i], pose.xyz[3 * i + 1], pose.xyz[3 * i + 2]};
    centre = centre + (1.0 / static_cast<double>(n)) * x[i];
  }
  for (Vec3& p : x)
    p = p - centre;
  std::vector<Vec3> sum(n, Vec3{});
  for (const Matrix& g : group) {
    for (std::size_t i = 0; i < n; ++i) {
      const Vec3 image = molecules::apply(g, x[i]);
      std::size_t best = i;
      for (std::size_t j = 0; j < n; ++j) {
        if (pose.symbols[j] == pose.symbols[i] &&
            molecules::norm(x[j] - image) < molecules::norm(x[best] - image))
          best = j;
      }
      sum[best] = sum[best] + image;
    }
  }
  double moved = 0.0;
  for (std::size_t i = 0; i < n; ++i) {
    const Vec3 d = x[i] - (1.0 / static_cast<double>(group.size())) * sum[i];
    moved += molecules::dot(d, d);
  }
  return std::sqrt(moved / static_cast<double>(n));
}

struct Tally {
  int inputs = 0, true_answer = 0, sub_answer = 0, true_chosen = 0, sub_chosen = 0;
  double slowest_run = 0.0, slowest_weighed = 0.0;
};

// How an answer stands: 2 the true group's label, 1 a subgroup of the true group, 0 another
// group.
int standing(const symmetry::SymmetryResult& r, const Molecule& m,
             const std::vector<Matrix>& group) {
  if (r.label == m.label)
    return 2;
  return inside(r, group) ? 1 : 0;
}

void run_case(const Molecule& m, int pose_number, double noise, double thrsym, Tally& tally) {
  const molecules::Pose pose =
      molecules::noisy_pose(m, noise, 7919u * pose_number + m.atoms.size());
  symmetry::SymmetryInput in;
  in.natoms = static_cast<int>(pose.symbols.size());
  in.thrsym = thrsym;
  in.xyz = pose.xyz;
  in.symbols = pose.symbols;
  const double start = cpu_seconds();
  const symmetry::SymmetryResult answer = symmetry::result_at(in, thrsym);
  const double ran = cpu_seconds();
  const symmetry::GroupChoice choice = symmetry::choose_group(in, answer);
  const double weighed = cpu_seconds();
  tally.slowest_run = std::max(tally.slowest_run, ran - start);
  tally.slowest_weighed = std::max(tally.slowest_weighed, weighed - start);
  const std::vector<Matrix> group = posed_group(m, pose.turn);
  const int a = standing(answer, m, group);
  const int c = standing(choice.chosen, m, group);
  ++tally.inputs;
  tally.true_answer += a == 2;
  tally.sub_answer += a == 1;
  tally.true_chosen += c == 2;
  tally.sub_chosen += c == 1;
  if (a == 0 || c == 0 || a != c)
    std::printf("  %-22s pose %d noise %.3f thrsym %.2f: answer %s rms %.4f, chosen %s rms %.4f; "
                "true %s rms %.4f\n",
                m.name.c_str(), pose_number, noise, thrsym, answer.label.c_str(),
                answer.deviation.rms, choice.chosen.label.c_str(), choice.chosen.deviation.rms,
                m.label.c_str(), true_rms(pose, group));
}

} // namespace

int main() {
  std::vector<Molecule> catalogue;
  for (const Molecule& m : molecules::catalogue())
    if (!m.linear)
      catalogue.push_back(m);
  const std::vector<Molecule> cages{molecules::fullerene_c80(), molecules::stretched_c80(stretch),
                                    molecules::fullerene_c240()};
  std::printf("%-10s %-6s %-7s %7s %13s %13s %10s %10s\n", "set", "noise", "thrsym", "inputs",
              "answer t/s", "chosen t/s", "run s", "weighed s");
  for (const auto& [name, set] : {std::pair{"catalogue", catalogue}, std::pair{"cages", cages}}) {
    for (const double noise : {0.005, 0.02}) {
      for (const double thrsym : {0.05, 0.15}) {
        Tally t;
        for (const Molecule& m : set)
          for (int pose = 1; pose <= poses; ++pose)
            run_case(m, pose, noise, thrsym, t);
        std::printf("%-10s %-6.3f %-7.2f %7d %6d/%-6d %6d/%-6d %10.3f %10.3f\n", name, noise,
                    thrsym, t.inputs, t.true_answer, t.sub_answer, t.true_chosen, t.sub_chosen,
                    t.slowest_run, t.slowest_weighed);
      }
    }
  }
}
