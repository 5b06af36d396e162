// A 1-based view of a column-major matrix with an explicit leading dimension.
#pragma once

#include <cstddef>

namespace common {

template <class T> struct MatrixView {
  T* data;
  int ld;
  T& operator()(int i, int j) const {
    return data[static_cast<std::size_t>(i - 1) + static_cast<std::size_t>(j - 1) * ld];
  }
};

} // namespace common
