// Molecules of the catalogue in random poses with Gaussian noise on every coordinate, the same on
// every platform: for the benchmarks and the tests of noisy input.
#pragma once

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "support/molecules.hpp"

namespace molecules {

// splitmix64 with Box-Muller: the same numbers on every platform.
class Noise {
public:
  explicit Noise(std::uint64_t seed) : state_(seed) {}
  double uniform() {
    state_ += 0x9e3779b97f4a7c15ULL;
    std::uint64_t z = state_;
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return static_cast<double>((z ^ (z >> 31)) >> 11) * 0x1.0p-53;
  }
  double gaussian() {
    const double u = 1.0 - uniform();
    return std::sqrt(-2.0 * std::log(u)) * std::cos(2.0 * pi * uniform());
  }

private:
  std::uint64_t state_;
};

// A molecule turned by `turn` and shaken: coordinates 3 x n and 8-character element symbols.
struct Pose {
  std::vector<double> xyz;
  std::vector<std::string> symbols;
  Matrix turn{};
};

// m turned about a random axis by a random angle, with Gaussian noise of the given standard
// deviation on every coordinate, all drawn from seed.
inline Pose noisy_pose(const Molecule& m, double noise, std::uint64_t seed) {
  Noise rng(seed);
  const Vec3 axis = unit({rng.gaussian(), rng.gaussian(), rng.gaussian()});
  Pose pose;
  pose.turn = rotation(axis, 2.0 * pi * rng.uniform());
  for (std::size_t k = 0; k < m.atoms.size(); ++k) {
    const Vec3 p = molecules::apply(pose.turn, m.atoms[k]);
    for (int c = 0; c < 3; ++c)
      pose.xyz.push_back(p[c] + noise * rng.gaussian());
    pose.symbols.push_back(m.symbols[k] + std::string(8 - m.symbols[k].size(), ' '));
  }
  return pose;
}

} // namespace molecules
