#include "ExampleTrend.h"

namespace morvelle::test {

TrendRecipe ExampleTrendRecipe() {
  TrendRecipe recipe;
  recipe.name = "Trend1";
  recipe.version = 5;
  recipe.entryCount = 3;
  recipe.extraCount = 1;
  recipe.dataExtensions = {"000", "001", "002"};
  recipe.entryPath = "C:\\Ostrel\\Data\\Trend1";
  recipe.tag = "Trend1";
  recipe.dataBodySize = 64;
  recipe.seed = 2143;
  return recipe;
}

std::string WriteExampleTrend(const std::filesystem::path& folder) {
  return WriteTrend(folder, ExampleTrendRecipe());
}

}  // namespace morvelle::test
