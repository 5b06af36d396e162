// The exact group nearest to the operations of a noisy search. Operations found on noisy atoms
// close only within their noise; elements that no snapping constant matches (the five-fold
// ones) stay as found, and averaging the atoms over them leaves the geometry symmetric only to
// about the noise. Fitted to an exact group first, the averaging makes it symmetric to rounding.
#pragma once

#include <span>

#include "symmetry/operations.hpp"
#include "symmetry/thresholds.hpp"

namespace symmetry {

// Largest distance (dif) between a product ops[k] ops[m] and the operation nearest to it (the
// first on a tie); the index of that operation for every pair goes to table[k + count m].
double product_table(int count, std::span<const Operation> ops, std::span<int> table);

// Replaces ops[0 .. count-1] by the nearest exact group when the squares of the operations miss
// the list by more than th.exact_product_defect and the nearest operations of all products form
// a multiplication table: every operation becomes the average of ops[k]^T ops[k m] over k, made
// orthogonal again, until the products agree to th.rounding_defect. ops[0] stays the identity.
// False when the list was left as it was.
bool fitgrp(int count, std::span<Operation> ops, const Thresholds& th);

} // namespace symmetry
