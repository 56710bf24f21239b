// Writes the fuzzer's seed corpus: small trends of every version from the
// fixture builder, each with a few entries beside it, under every rename
// and fault the input layout can ask for.
//   morvelle_fuzz_seeds tests/fuzz/corpus
#include <cstdio>
#include <filesystem>
#include <string>

#include "TrendFixture.h"
#include "fuzz/RenameFuzzCase.h"

namespace morvelle::test {
namespace {

// Entry names by their index in the input layout.
enum Name {
  kData000 = 0,
  kData001 = 1,
  kData002 = 2,
  kUpperData = 4,
  kBackup = 7,
  kTakenData = 8
};
enum Type { kRegular = 0, kFolder = 1, kLink = 2 };

FuzzCase TrendCase(int version) {
  TrendRecipe recipe;
  recipe.version = version;
  recipe.entryCount = 1;
  recipe.extraCount = 1;
  recipe.dataExtensions = {"000", "001"};
  recipe.dataBodySize = 8;
  recipe.seed = 50 + static_cast<std::uint32_t>(version + 1);
  FuzzCase fuzzCase;
  fuzzCase.history = HistoryBytes(recipe);
  fuzzCase.entries = {{kData000, kRegular, DataFileBytes(recipe, 0)},
                      {kData001, kRegular, DataFileBytes(recipe, 1)}};
  return fuzzCase;
}

void Write(const std::filesystem::path& folder, const std::string& name,
           const FuzzCase& fuzzCase) {
  WriteFile(folder / name, EncodeFuzzCase(fuzzCase));
}

}  // namespace
}  // namespace morvelle::test

int main(int argc, char** argv) {
  using namespace morvelle::test;
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return 2;
  }
  std::filesystem::path folder = argv[1];
  std::filesystem::create_directories(folder);
  for (int version = -1; version <= 7; ++version)
    Write(folder, "version" + std::to_string(version), TrendCase(version));
  for (int values = 1; values < 16; ++values) {
    FuzzCase fuzzCase = TrendCase(5);
    fuzzCase.newValues = values;
    Write(folder, "new-values" + std::to_string(values), fuzzCase);
  }
  const int fault_at[] = {0, 200, 128, 128};
  for (int kind = 1; kind < 4; ++kind) {
    FuzzCase fuzzCase = TrendCase(4);
    fuzzCase.faultKind = kind;
    fuzzCase.faultAt = fault_at[kind];
    Write(folder, "fault" + std::to_string(kind), fuzzCase);
  }
  FuzzCase crowded = TrendCase(6);
  crowded.entries.push_back({kBackup, kRegular, "backup"});
  crowded.entries.push_back({kUpperData, kRegular, crowded.entries[0].bytes});
  crowded.entries.push_back({kData002, kLink, ""});
  crowded.entries.push_back({3, kFolder, ""});
  Write(folder, "crowded", crowded);
  FuzzCase taken = TrendCase(0);
  taken.entries.push_back({kTakenData, kRegular, "taken"});
  Write(folder, "taken-name", taken);
  FuzzCase short_history = TrendCase(3);
  short_history.history.resize(200);
  Write(folder, "short-history", short_history);
  FuzzCase linked_history = TrendCase(2);
  linked_history.historyType = kLink;
  Write(folder, "history-link", linked_history);
  Write(folder, "empty", FuzzCase{});
  return 0;
}
