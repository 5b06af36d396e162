#include <cstdio>

#include "common/command_line.hpp"
#include "kelma/driver.hpp"

namespace {

constexpr const char* usage = R"(Usage: kelma < INPUT
       kelma --help | --version

Optimises the geometry of one molecule with the Tripos 5.2 force field: quasi-Newton (BFGS)
minimisation in Cartesian coordinates, from the unit matrix or ($jobtype 1) from the inverse of
the finite-difference Hessian. The keyword input ($natoms, $fftype, $jobtype, $vdwc, $print,
$gtol, $etol, $nsteps, $coordinates, $connectivity ... $end) is read on standard input.

Writes in the current folder: the cycle and geometry records on standard output and in "fort.9",
the listing in "debug" (at $print above 0). Exit status 0 (also after a numbered report or the
cycle limit, "STOP 666" on standard error), 2 when the input cannot be read.

Options:
  --help     show this text and exit
  --version  show the version and exit

The program: man kelma; the keyword input: man 5 ffdata.
)";

} // namespace

int main(int argc, char** argv) {
  return common::program_main(argc, argv, {"kelma", usage}, kelma::termination_banner,
                              [](common::RunContext& run) {
                                common::InputDeck deck(stdin);
                                kelma::run_kelma_from_deck(run, deck);
                              });
}
