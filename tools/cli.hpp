// Command-line arguments of the companion tools, taken one at a time.
#pragma once

#include <string>
#include <string_view>

namespace tools {

class Arguments {
public:
  Arguments(int argc, char** argv) : argc_(argc), argv_(argv) {}
  bool done() const { return next_ >= argc_; }
  std::string_view next() { return argv_[next_++]; }
  // The value that follows flag; ToolError when there is none.
  std::string value(std::string_view flag);

private:
  int argc_;
  char** argv_;
  int next_ = 1;
};

// A positive count ("-j 4"); ToolError naming the flag otherwise.
int positive_count(std::string_view flag, std::string_view text);

} // namespace tools
