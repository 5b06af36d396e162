#include "fuzz/harness.hpp"

#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "common/channels.hpp"
#include "common/termination.hpp"

namespace fuzz {

namespace {

// The body of the current run; run_program takes a plain function pointer.
const std::function<void()>* current_body = nullptr;

void call_current_body() { (*current_body)(); }

common::UnitSink append_to(std::string& text) {
  return [&text](std::string_view chunk) { text += chunk; };
}

bool is_word_char(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_'; }

std::string lower(std::string_view text) {
  std::string s(text);
  for (char& c : s)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

} // namespace

MemoryUnits::MemoryUnits() {
  common::redirect_unit(common::stderr_unit, append_to(err_));
  common::redirect_unit(common::stdout_unit, append_to(out_));
  common::redirect_unit(common::listing_unit, append_to(listing_));
  common::redirect_unit(common::trace_unit, append_to(trace_));
}

MemoryUnits::~MemoryUnits() {
  common::redirect_unit(common::stdout_unit, nullptr);
  common::redirect_unit(common::listing_unit, nullptr);
  common::redirect_unit(common::trace_unit, nullptr);
  common::redirect_unit(common::stderr_unit, nullptr);
}

int run_program(std::string_view name, const std::function<void()>& body) {
  current_body = &body;
  const int status = common::run_program(name, "*** FUZZ Error Termination ***", call_current_body);
  current_body = nullptr;
  return status;
}

void run_reader(const std::function<void()>& body) {
  try {
    body();
  } catch (const common::RunStop&) {
  } catch (const common::InputError&) {
  }
  common::close_all_units();
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

void check_rejection_is_clean(int status, const MemoryUnits& units) {
  if (status != common::input_error_status)
    return;
  require(units.stdout_text().empty(), "a rejected run wrote records on standard output");
  require(!units.stderr_text().empty(), "a rejected run gave no diagnostic");
}

void require(bool condition, const char* what) {
  if (condition)
    return;
  std::fprintf(stderr, "fuzz check failed: %s\n", what);
  std::abort();
}

} // namespace fuzz
