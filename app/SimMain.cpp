#include "Scenario.h"

#include <fstream>
#include <iostream>

int main(int argc, char** argv) {
  if (argc > 2) {
    std::cerr << "usage: tazuclick-sim [FILE]\n";
    return 2;
  }
  if (argc == 2) {
    std::ifstream File(argv[1], std::ios::binary);
    if (!File) {
      std::cerr << "tazuclick-sim: cannot open " << argv[1] << "\n";
      return 2;
    }
    return RunScenario(File, std::cout, std::cerr);
  }
  return RunScenario(std::cin, std::cout, std::cerr);
}
