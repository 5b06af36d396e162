#include <cstdio>

#include "common/command_line.hpp"
#include "symmetry/driver.hpp"

namespace {

constexpr const char* usage = R"(Usage: symmetry < INPUT
       symmetry --help | --version

Finds the point group of one molecule (up to the 120 operations of Ih), turns it into the
standard frame of its group, symmetrises the coordinates exactly and counts the totally symmetric
degrees of freedom. The keyword input ($natoms, $thrsym, $print, $coordinates) is read on
standard input.

Writes the point-group record and the symmetrised coordinates on standard output, the listing in
"debug" in the current folder (at $print above 0). Exit status 0 (also after a numbered report,
"STOP" on standard error), 2 when the input cannot be read.

Options:
  --help     show this text and exit
  --version  show the version and exit

The program: man symmetry; the keyword input: man 5 ffdata.
)";

} // namespace

int main(int argc, char** argv) {
  return common::program_main(argc, argv, {"symmetry", usage}, symmetry::termination_banner,
                              [](common::RunContext& run) {
                                common::InputDeck deck(stdin);
                                symmetry::run_symmetry_from_deck(run, deck);
                              });
}
