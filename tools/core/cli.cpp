#include "tools/core/cli.hpp"

#include "tools/core/tokens.hpp"
#include "tools/core/tool_error.hpp"

namespace tools {

std::string Arguments::value(std::string_view flag) {
  if (done())
    throw ToolError(std::string(flag) + " needs a value");
  return std::string(next());
}

int positive_count(std::string_view flag, std::string_view text) {
  int count = 0;
  if (!parse_int(text, count) || count < 1)
    throw ToolError("invalid value '" + std::string(text) + "' for " + std::string(flag));
  return count;
}

} // namespace tools
