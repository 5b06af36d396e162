#include <cstdio>

#include "common/termination.hpp"
#include "symmetry/driver.hpp"

int main() {
  return common::run_program("symmetry", "*** SYMMETRY Error Termination ***", [] {
    common::InputDeck deck(stdin);
    symmetry::run_symmetry(deck);
  });
}
