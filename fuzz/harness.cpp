#include "fuzz/harness.hpp"

#include <cctype>
#include <cstdio>
#include <cstdlib>

namespace fuzz {

namespace {

bool is_word_char(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_'; }

std::string lower(std::string_view text) {
  std::string s(text);
  for (char& c : s)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

} // namespace

std::string records(common::RunContext& run) {
  return run.text(common::stdout_unit) + run.text(common::listing_unit) +
         run.text(common::trace_unit);
}

void run_reader(const common::ProgramBody& body) {
  common::RunContext run(banner, common::UnitsTo::memory);
  try {
    body(run);
  } catch (const common::RunStop&) {
  } catch (const common::InputError&) {
  }
}

void check_no_nonfinite_words(const std::string& records) {
  // A word "nan", "inf" or "infinity" (any case) standing alone; "dinfh" is a group label.
  const std::string text = lower(records);
  for (const std::string_view word : {"nan", "inf", "infinity"}) {
    for (std::size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) {
      const std::size_t end = at + word.size();
      const bool starts = at == 0 || !is_word_char(text[at - 1]);
      const bool ends = end == text.size() || !is_word_char(text[end]);
      require(!(starts && ends), "a record holds NaN or Infinity");
    }
  }
}

void check_rejection_is_clean(int status, common::RunContext& run) {
  if (status != common::input_error_status)
    return;
  require(run.text(common::stdout_unit).empty(), "a rejected run wrote records on standard output");
  require(!run.text(common::stderr_unit).empty(), "a rejected run gave no diagnostic");
}

void require(bool condition, const char* what) {
  if (condition)
    return;
  std::fprintf(stderr, "fuzz check failed: %s\n", what);
  std::abort();
}

} // namespace fuzz
