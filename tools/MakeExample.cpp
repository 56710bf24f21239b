// Writes the example trend into a folder (examples/ in the repository):
//   morvelle_make_example examples
#include <filesystem>
#include <iostream>

#include "ExampleTrend.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: morvelle_make_example FOLDER\n";
    return 2;
  }
  std::filesystem::create_directories(argv[1]);
  std::cout << morvelle::testing::WriteExampleTrend(argv[1]) << "\n";
  return 0;
}
