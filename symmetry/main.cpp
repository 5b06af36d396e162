#include <iostream>

#include "common/termination.hpp"
#include "symmetry/driver.hpp"

int main() {
  return common::run_program("symmetry", "*** SYMMETRY Error Termination ***",
                             [] { symmetry::run_symmetry(std::cin); });
}
