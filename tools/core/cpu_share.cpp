#include "tools/core/cpu_share.hpp"

#include <sched.h>

#include <cstddef>

namespace tools {

std::vector<int> cpu_share(const std::vector<int>& cpus, int worker, int workers) {
  const auto count = cpus.size();
  const auto w = static_cast<std::size_t>(worker);
  const auto ws = static_cast<std::size_t>(workers);
  if (count == 0)
    return {};
  if (ws > count)
    return {cpus[w % count]};
  return std::vector<int>(cpus.begin() + static_cast<std::ptrdiff_t>(count * w / ws),
                          cpus.begin() + static_cast<std::ptrdiff_t>(count * (w + 1) / ws));
}

void take_cpu_share(int worker, int workers) {
  cpu_set_t mask;
  CPU_ZERO(&mask);
  if (workers < 2 || sched_getaffinity(0, sizeof mask, &mask) != 0)
    return;
  std::vector<int> cpus;
  for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu) {
    if (CPU_ISSET(cpu, &mask))
      cpus.push_back(cpu);
  }
  cpu_set_t share;
  CPU_ZERO(&share);
  for (const int cpu : cpu_share(cpus, worker, workers))
    CPU_SET(cpu, &share);
  if (CPU_COUNT(&share) > 0)
    sched_setaffinity(0, sizeof share, &share);
}

} // namespace tools
