// Replays the fuzzer's seed corpus in every build, so the promises the
// fuzzer checks hold even where it is not built.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "TrendFixture.h"
#include "fuzz/RenameFuzzCase.h"

namespace morvelle {
namespace {

// The seeds also reach every way a rename can end, so the fuzzer starts
// from inputs that get past the checks as well as ones that do not.
TEST(FuzzCorpusTest, EverySeedKeepsEveryPromise) {
  std::set<RenameOutcome> outcomes;
  for (const auto& entry :
       std::filesystem::directory_iterator(MORVELLE_FUZZ_CORPUS)) {
    SCOPED_TRACE(entry.path().filename().string());
    std::string bytes = test::ReadFile(entry.path());
    test::FuzzResult result = test::RunFuzzCase(test::DecodeFuzzCase(
        reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
    for (const std::string& problem : result.problems) ADD_FAILURE() << problem;
    outcomes.insert(result.outcome);
  }
  EXPECT_EQ(outcomes,
            (std::set<RenameOutcome>{
                RenameOutcome::kRenamed, RenameOutcome::kRefused,
                RenameOutcome::kInvalidTrend, RenameOutcome::kRolledBack,
                RenameOutcome::kUndoFailed}));
}

TEST(FuzzCorpusTest, InputLayoutRoundTrips) {
  test::FuzzCase fuzzCase;
  fuzzCase.newValues = 13;
  fuzzCase.faultKind = 2;
  fuzzCase.faultAt = 200;
  fuzzCase.historyType = 3;
  fuzzCase.history = std::string("\0hst", 4);
  fuzzCase.entries = {{15, 1, ""}, {3, 0, "data"}};
  std::string bytes = test::EncodeFuzzCase(fuzzCase);
  test::FuzzCase back = test::DecodeFuzzCase(
      reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
  EXPECT_EQ(back.newValues, 13);
  EXPECT_EQ(back.faultKind, 2);
  EXPECT_EQ(back.faultAt, 200);
  EXPECT_EQ(back.historyType, 3);
  EXPECT_EQ(back.history, fuzzCase.history);
  ASSERT_EQ(back.entries.size(), 2u);
  EXPECT_EQ(back.entries[0].name, 15);
  EXPECT_EQ(back.entries[0].type, 1);
  EXPECT_EQ(back.entries[1].bytes, "data");
}

}  // namespace
}  // namespace morvelle
