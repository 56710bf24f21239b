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

void WritePlantTrends(const std::filesystem::path& folder, int count) {
  for (int i = 1; i <= count; ++i) {
    std::string number = std::to_string(i);
    number.insert(0, number.size() < 3 ? 3 - number.size() : 0, '0');
    TrendRecipe recipe;
    recipe.name = "Flow" + number;
    recipe.entryCount = 2;
    recipe.dataExtensions = {"000", "001"};
    recipe.entryPath = "C:\\OldPlant\\Data\\Flow\\" + recipe.name;
    recipe.tag = "OLD_FLOW" + number;
    if (i % 10 == 0) recipe.tag += "_" + std::string(80 - 13, 'M');
    recipe.dataBodySize = 16;
    recipe.seed = 5000 + i;
    WriteTrend(folder, recipe);
  }
}

}  // namespace morvelle::test
