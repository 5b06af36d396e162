// Classification of the operations: type code, order and axis of each, and the principal ones.
#pragma once

#include <span>

#include "symmetry/group.hpp"
#include "symmetry/operations.hpp"
#include "symmetry/status.hpp"
#include "symmetry/thresholds.hpp"

namespace symmetry {

// Type codes: 1 identity, n >= 2 proper rotation of order n, -n improper rotation Sn (-1 mirror
// plane, -2 inversion), 0 before classification.

// What ncycle returns for an operation none of whose first 99 powers is the identity.
inline constexpr int no_cycle = 100;

// Order of r: the first power within tol of the identity, counting up to 99; no_cycle when none
// is.
int ncycle(const Operation& r, double tol);

// Codes and axes of every operation, each inverse pair handled once at its later number, and
// the principal operations (principal all 0 on entry). Writes the warnings of the diagonaliser
// and of every operation without an order below 100 that it carries on past on the listing of
// run. Status ok; no_order
// when such an operation collapsed the group to the identity (count 1); no_convergence when the
// diagonaliser failed.
Status analys(common::RunContext& run, Group& group, std::span<const int> inverse,
              std::span<Axis> axes, std::span<int> codes, Principal& principal,
              const Thresholds& th);

} // namespace symmetry
