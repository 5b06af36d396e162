#include "tools/formats/babel_messages.hpp"

#include <algorithm>
#include <cctype>
#include <ostream>

#include <openbabel/oberror.h>

#include "tools/core/files.hpp"
#include "tools/core/tokens.hpp"

namespace tools {

namespace {

// A stream without a buffer swallows everything written to it.
std::ostream& null_stream() {
  static std::ostream stream(nullptr);
  return stream;
}

// Lines of the frame ("=====", "*** Open Babel Warning  in ...") and Open Babel's closing
// remarks in capitals ("THIS CONECT RECORD WILL BE IGNORED.") say nothing about the file: the
// tools skip the molecule instead.
bool worth_keeping(std::string_view line) {
  if (line.empty() || line.starts_with("*** Open Babel") ||
      line.find_first_not_of('=') == std::string_view::npos)
    return false;
  return std::any_of(line.begin(), line.end(),
                     [](unsigned char c) { return std::islower(c) != 0; });
}

std::string one_line(const std::string& message) {
  std::string out;
  for (const std::string& line : split_lines(message)) {
    std::string_view text = trim(line);
    for (const std::string_view prefix : {"WARNING: ", "ERROR: "})
      if (text.starts_with(prefix))
        text.remove_prefix(prefix.size());
    if (!worth_keeping(text))
      continue;
    if (!out.empty())
      out += ' ';
    out += text;
  }
  return out;
}

} // namespace

void clear_babel_messages() {
  OpenBabel::obErrorLog.SetOutputStream(&null_stream());
  OpenBabel::obErrorLog.ClearLog();
}

std::string babel_problem() {
  std::string problem;
  for (const auto level : {OpenBabel::obError, OpenBabel::obWarning})
    for (const std::string& message : OpenBabel::obErrorLog.GetMessagesOfLevel(level)) {
      const std::string line = one_line(message);
      if (!line.empty() && problem.find(line) == std::string::npos)
        problem += (problem.empty() ? "" : "; ") + line;
    }
  return problem;
}

} // namespace tools
