#include <iostream>

#include "common/termination.hpp"
#include "kelma/driver.hpp"

int main() {
  return common::run_program("kelma", "*** KELMA Error Termination ***",
                             [] { kelma::run_kelma(std::cin); });
}
