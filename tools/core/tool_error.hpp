// The failure of a companion tool: a one-line description that the tools catch per molecule or
// in main.
#pragma once

#include <stdexcept>

namespace tools {

class ToolError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

} // namespace tools
