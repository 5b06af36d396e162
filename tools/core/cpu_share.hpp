// Sharing the CPUs of the process among the workers of a local batch: each worker narrows its
// thread's affinity mask, and the programs it starts inherit it, so that a kelma run on N
// workers counts only its own CPUs.
#pragma once

#include <vector>

namespace tools {

// Share `worker` (from 0) of `workers` of the CPU numbers cpus: consecutive runs of about equal
// length, or, with more workers than CPUs, one CPU each in turn.
std::vector<int> cpu_share(const std::vector<int>& cpus, int worker, int workers);

// Narrows the calling thread to its share of the CPUs the process may use; with one worker, or
// when the mask cannot be read or set, the thread keeps them all.
void take_cpu_share(int worker, int workers);

} // namespace tools
