// Writes the example trend into a folder (examples/ in the repository):
//   morvelle_make_example [--interrupted] examples
// With --interrupted, a rename of it to Trend1A is then killed as it
// opens its second data file, leaving the trend partly renamed with the run's
// journal, as the windows' Recover finds it.
//   morvelle_make_example --plant COUNT FOLDER
// writes a folder of COUNT trends to migrate (WritePlantTrends), as the
// window checks load.
#include <filesystem>
#include <iostream>
#include <string>

#include "ExampleTrend.h"

int main(int argc, char** argv) {
  if (argc == 4 && std::string(argv[1]) == "--plant") {
    std::filesystem::create_directories(argv[3]);
    morvelle::test::WritePlantTrends(argv[3], std::stoi(argv[2]));
    return 0;
  }
  const bool interrupted = argc == 3 && std::string(argv[1]) == "--interrupted";
  if (argc != 2 && !interrupted) {
    std::cerr << "usage: morvelle_make_example [--interrupted] FOLDER\n";
    return 2;
  }
  const char* folder = argv[argc - 1];
  std::filesystem::create_directories(folder);
  std::string hst = morvelle::test::WriteExampleTrend(folder);
  if (interrupted &&
      !morvelle::test::InterruptRename(hst, "open", "Trend1.001")) {
    std::cerr << "the rename of " << hst << " was not interrupted\n";
    return 1;
  }
  std::cout << hst << "\n";
  return 0;
}
