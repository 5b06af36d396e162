// The tools' point in space: the programs' three-vector.
#pragma once

#include "common/vectors.hpp"

namespace tools {

using common::Vec3;

} // namespace tools
