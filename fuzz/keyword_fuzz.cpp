// The keyword reader on arbitrary text: kelma's and symmetry's keywords read in turn, each value
// by its kind, until the input ends (numbered report) or a value cannot be read (rejection).
#include <cmath>
#include <sstream>

#include "common/keyword_input.hpp"
#include "fuzz/harness.hpp"

namespace {

struct Keyword {
  const char* key;
  int kind;
};

constexpr Keyword keywords[] = {
    {"$natoms", common::kind_integer}, {"$thrsym", common::kind_real},
    {"$fftype", common::kind_text},    {"$jobtype", common::kind_integer},
    {"$vdwc", common::kind_real},      {"$print", common::kind_integer},
    {"$gtol", common::kind_real},      {"$etol", common::kind_real},
    {"$nsteps", common::kind_integer}, {"$coordinates", common::kind_position},
};

void read_keywords(common::RunContext& run, common::InputDeck& deck) {
  for (const Keyword& k : keywords) {
    int ival = 0;
    double rval = 0.0;
    std::string cval;
    const int keylen = static_cast<int>(std::string_view(k.key).size());
    common::rdcntrl(run, deck, keylen, k.key, k.kind, ival, rval, cval);
    fuzz::require(std::isfinite(rval), "a real keyword value is not finite");
    if (k.kind == common::kind_text) {
      fuzz::require(cval.size() == common::text_value_length, "text value is not 20 characters");
      fuzz::require(ival >= 0 && ival <= common::text_value_length, "text count out of range");
    }
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::istringstream in(fuzz::as_text(data, size));
  common::InputDeck deck(in);
  fuzz::run_reader([&](common::RunContext& run) { read_keywords(run, deck); });
  return 0;
}
