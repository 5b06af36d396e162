// alkane: writes CnH2n+2 in the ideal staggered zigzag as NAME.in (kelma input) and NAME.mol2.
// usage: alkane CARBONS NAME [JOBTYPE]
#include <fstream>
#include <iostream>
#include <string>

#include "bench/molecules.hpp"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::cerr << "usage: alkane CARBONS NAME [JOBTYPE]\n";
    return 2;
  }
  const int carbons = std::stoi(argv[1]);
  const std::string name = argv[2];
  bench::KelmaJob job;
  if (argc > 3)
    job.jobtype = std::stoi(argv[3]);
  const bench::Molecule molecule = bench::alkane(carbons);
  std::ofstream(name + ".in") << bench::kelma_input(molecule, job);
  std::ofstream(name + ".mol2") << bench::mol2_text(molecule, name);
  return 0;
}
