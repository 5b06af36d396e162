#include "symmetry/result.hpp"

#include <cstddef>

namespace symmetry {

std::string fallback_text(const SymmetryResult& result) {
  if (result.fallback == Status::ok)
    return {};
  return std::string(fallback_words) + " (" + std::string(failure_text(result.fallback)) + ")";
}

SymmetryResult make_result(int n) {
  SymmetryResult result;
  result.xyz.assign(3 * static_cast<std::size_t>(n), 0.0);
  result.label = trivial_group;
  result.ops[0] = identity_operation;
  result.neqatm.assign(static_cast<std::size_t>(n) * max_operations, 0);
  return result;
}

} // namespace symmetry
