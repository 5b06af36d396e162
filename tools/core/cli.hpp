// Command-line arguments of the companion tools, taken one at a time.
#pragma once

#include <exception>
#include <iostream>
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

inline constexpr int usage_status = 2;

// The main of a tool: "-h" or "--help" alone prints the usage; an error while the arguments are
// read is reported as "name: what" with usage_status, an error of the work itself likewise with
// work_failure_status.
template <class Parse, class Work>
int run_tool(std::string_view name, int argc, char** argv, void (*usage)(), Parse parse, Work work,
             int work_failure_status = usage_status) {
  if (argc == 2 && (std::string_view(argv[1]) == "-h" || std::string_view(argv[1]) == "--help")) {
    usage();
    return 0;
  }
  decltype(parse(argc, argv)) request;
  try {
    request = parse(argc, argv);
  } catch (const std::exception& e) {
    std::cerr << name << ": " << e.what() << '\n';
    return usage_status;
  }
  try {
    return work(request);
  } catch (const std::exception& e) {
    std::cerr << name << ": " << e.what() << '\n';
    return work_failure_status;
  }
}

} // namespace tools
