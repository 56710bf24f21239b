#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "FailingEnv.h"
#include "MemEnv.h"
#include "MessageLog.h"
#include "TrendFixture.h"
#include "trend/TrendTools.h"

namespace morvelle {
namespace {

namespace fs = std::filesystem;
using test::FolderImage;
using test::TrendRecipe;

using test::kNewPath;
using test::kNewTag;

class RenameTrendTest : public ::testing::Test {
 protected:
  std::string Write(const TrendRecipe& recipe) {
    return test::WriteTrend(folder_.path(), recipe);
  }
  void Add(const std::string& name, const std::string& bytes = "other") {
    test::WriteFile(folder_.path() / name, bytes);
  }
  FolderImage Image() const { return test::ReadFolder(folder_.path()); }
  RenameReport Rename(const std::string& hst, const std::string& newPath,
                      const std::string& newTag) {
    return shown_.Tell(RenameTrend(Env::Default(), hst, newPath, newTag));
  }
  // Expects a refusal that changed nothing and told the user `message`.
  void ExpectUntouched(const RenameReport& report, const FolderImage& before) {
    EXPECT_FALSE(report.ok());
    EXPECT_EQ(Image(), before);
    for (const FileChange& file : report.plan.files)
      EXPECT_EQ(file.stage, FileStage::kUntouched);
  }

  test::TempFolder folder_;
  test::MessageLog shown_;
};

TEST_F(RenameTrendTest, EveryVersionRoundTripsByteForByte) {
  for (int version = 0; version <= 6; ++version) {
    SCOPED_TRACE(version);
    test::TempFolder folder;
    TrendRecipe recipe;
    recipe.version = version;
    recipe.entryCount = 3;
    recipe.extraCount = 2;
    recipe.dataExtensions = {"000", "001", "002", "0421"};
    recipe.seed = 100 + version;
    std::string hst = test::WriteTrend(folder.path(), recipe);
    test::WriteFile(folder.path() / "Other.000", "unrelated");
    FolderImage before = test::ReadFolder(folder.path());

    RenameReport report = Rename(hst, kNewPath, kNewTag);

    EXPECT_TRUE(report.ok()) << report.failure.ToString();
    EXPECT_EQ(test::ReadFolder(folder.path()),
              test::ExpectedAfterRename(recipe, before, kNewPath, kNewTag));
  }
  EXPECT_TRUE(shown_.warnings.empty());
  EXPECT_TRUE(shown_.criticals.empty());
}

TEST_F(RenameTrendTest, TableEdgeCases) {
  struct Case {
    int entryCount, extraCount;
    std::string newPath, newTag;
    bool renamed = true;
  } cases[] = {
      {0, 1, kNewPath, kNewTag},             // table written back unchanged
      {1, 0, "D:\\Moved\\Trend1", kNewTag},  // only the folder changes
      {2, 0, "C:\\" + std::string(150, 'p'), std::string(100, 't')},  // cut
      {1, 0, "relative\\Trend1A", "T"},
      // The first read takes 16 KiB: 67 entries of 240 bytes fit in it, a
      // table of 68 needs a second read.
      {67, 0, kNewPath, kNewTag},
      {60, 8, kNewPath, kNewTag},
      // A negative count would rewrite nothing: an invalid table.
      {-1, 3, kNewPath, kNewTag, false},
      {3, -1, kNewPath, kNewTag, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.newPath);
    test::TempFolder folder;
    TrendRecipe recipe;
    recipe.version = 0;
    recipe.entryCount = c.entryCount;
    recipe.extraCount = c.extraCount;
    std::string hst = test::WriteTrend(folder.path(), recipe);
    FolderImage before = test::ReadFolder(folder.path());
    RenameReport report = Rename(hst, c.newPath, c.newTag);
    EXPECT_EQ(report.ok(), c.renamed) << report.failure.ToString();
    EXPECT_EQ(test::ReadFolder(folder.path()),
              c.renamed ? test::ExpectedAfterRename(recipe, before, c.newPath,
                                                    c.newTag)
                        : before);
  }
}

TEST_F(RenameTrendTest, ValuesCutToTheirFieldAreWarnedAbout) {
  TrendRecipe recipe;  // version 5: Path 144, Tag 80
  std::string hst = Write(recipe);
  RenameReport report =
      Rename(hst, "C:\\" + std::string(138, 'p'), std::string(81, 't'));
  ASSERT_TRUE(report.ok());
  ASSERT_EQ(report.plan.warnings.size(), 2u);
  EXPECT_NE(report.plan.warnings[0].find("145 characters"), std::string::npos);
  EXPECT_NE(report.plan.warnings[1].find("81 characters"), std::string::npos);
  EXPECT_TRUE(Rename(folder_.File(std::string(138, 'p') + ".HST"),
                     "C:\\" + std::string(137, 'p'), std::string(80, 't'))
                  .plan.warnings.empty());
}

// The table is rewritten whole, so a file that ends inside it would grow,
// its missing entries made up of zeros and the new path. Refused instead.
TEST_F(RenameTrendTest, ShortHistoryFileIsRefusedUnchanged) {
  TrendRecipe recipe;
  recipe.version = 1;
  recipe.entryCount = 2;
  recipe.extraCount = 0;
  std::string hst = Write(recipe);
  std::string bytes = test::ReadFile(hst);
  test::WriteFile(hst, bytes.substr(0, 176 + 240 + 100));
  FolderImage before = Image();
  RenameReport report = Rename(hst, kNewPath, kNewTag);
  EXPECT_EQ(report.outcome, RenameOutcome::kInvalidTrend);
  ExpectUntouched(report, before);
  ASSERT_EQ(shown_.criticals.size(), 1u);
  EXPECT_NE(shown_.criticals[0].find(
                "is cut short: 2 entries (EntryCount 2, ExtraCount 0) need "
                "656 bytes, the file holds 516"),
            std::string::npos)
      << shown_.criticals[0];
}

TEST_F(RenameTrendTest, MissingHistoryFileChangesNothing) {
  Write(TrendRecipe());
  FolderImage before = Image();
  std::string missing = folder_.File("Trend2.HST");
  RenameReport report = Rename(missing, kNewPath, kNewTag);
  EXPECT_EQ(report.outcome, RenameOutcome::kNotFound);
  ExpectUntouched(report, before);
  EXPECT_EQ(shown_.warnings,
            std::vector<std::string>{"Trend '" + missing + "' not found"});
  EXPECT_EQ(Rename("", kNewPath, kNewTag).outcome, RenameOutcome::kNotFound);
}

TEST_F(RenameTrendTest, InvalidVersionOrCountsStopBeforeAnythingChanges) {
  struct Case {
    int version, entryCount, extraCount;
    std::string message;
  } cases[] = {
      {7, 1, 0, "Invalid Trend Version 7"},
      {-1, 1, 0, "Invalid Trend Version -1"},
      {5, 0, 0, "(EntryCount 0, ExtraCount 0)"},
      {5, 3, -1, "(EntryCount 3, ExtraCount -1)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    test::TempFolder folder;
    TrendRecipe recipe;
    recipe.version = c.version;
    recipe.entryCount = c.entryCount;
    recipe.extraCount = c.extraCount;
    std::string hst = test::WriteTrend(folder.path(), recipe);
    FolderImage before = test::ReadFolder(folder.path());
    shown_.criticals.clear();
    RenameReport report = Rename(hst, kNewPath, kNewTag);
    EXPECT_EQ(report.outcome, RenameOutcome::kInvalidTrend);
    EXPECT_EQ(test::ReadFolder(folder.path()), before);
    ASSERT_EQ(shown_.criticals.size(), 1u);
    EXPECT_NE(shown_.criticals[0].find(c.message), std::string::npos)
        << shown_.criticals[0];
  }
}

TEST_F(RenameTrendTest, RefusedNewValuesChangeNothing) {
  std::string hst = Write(TrendRecipe());
  FolderImage before = Image();
  const char* refused_paths[] = {
      "C:\\Data\\",       "",
      "C:\\Data\\Tr<1",   "C:\\Data\\Tr>1",
      "C:Trend",          "C:\\D\\T\"",
      "C:\\D\\T|1",       "C:\\D\\T?",
      "C:\\D\\T*",        "C:\\D\\T\x01",
      "C:\\D\\Trend ",    "C:\\D\\Trend.",
      "C:\\D\\CON",       "C:\\D\\nul",
      "C:\\D\\Com1",      "C:\\D\\LPT9.old",
      "C:\\D\\aux .x",    "C:\\D\\T\xCE\xA9",
      "C:\\D\\T\xFF",     "C:\\D\\COM\xC2\xB9",
      "C:\\D\\CONIN$",    "C:\\D\\lpt\xC2\xB3.x",
      "C:\\D\\conout$.x", "C:\\D\\Com\xC2\xB2 .x",
  };
  for (const char* path : refused_paths) {
    SCOPED_TRACE(path);
    RenameReport report = Rename(hst, path, kNewTag);
    EXPECT_EQ(report.outcome, RenameOutcome::kRefused);
    ExpectUntouched(report, before);
  }
  for (const char* tag : {"", "Pump \xCE\xA9"}) {
    EXPECT_EQ(Rename(hst, kNewPath, tag).outcome, RenameOutcome::kRefused);
    EXPECT_EQ(Image(), before);
  }
  EXPECT_EQ(shown_.warnings.size(), std::size(refused_paths) + 2);
  EXPECT_NE(shown_.warnings.back().find("\xCE\xA9"), std::string::npos);

  for (const char* allowed :
       {"C:\\D\\COM0", "C:\\D\\LPT0", "C:\\D\\COM\xC2\xBC", "C:\\D\\CONIN",
        "C:\\D\\CONSOLE", "C:\\D\\K\xC3\xBChler"}) {
    RenameReport planned = PlanRename(Env::Default(), hst, allowed, kNewTag);
    EXPECT_EQ(planned.outcome, RenameOutcome::kRenamed)
        << allowed << ": " << planned.failure.ToString();
  }
}

TEST_F(RenameTrendTest, ExistingTargetOrSharedTargetIsAConflict) {
  struct Case {
    std::string extra;  // a file that is not the trend's, or another spelling
    std::string message;
  } cases[] = {
      {"Trend1A.001", "Trend1A.001' already exists"},
      {"Trend1A.HST", "Trend1A.HST' already exists"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.extra);
    test::TempFolder folder;
    std::string hst = test::WriteTrend(folder.path(), TrendRecipe());
    test::WriteFile(folder.path() / c.extra, "precious");
    FolderImage before = test::ReadFolder(folder.path());
    shown_.warnings.clear();
    RenameReport report = Rename(hst, kNewPath, kNewTag);
    EXPECT_EQ(report.outcome, RenameOutcome::kRefused);
    EXPECT_EQ(test::ReadFolder(folder.path()), before);
    ASSERT_EQ(shown_.warnings.size(), 1u);
    EXPECT_NE(shown_.warnings[0].find(c.message), std::string::npos)
        << shown_.warnings[0];
  }
}

TEST_F(RenameTrendTest, RenameToTheSameNameOnlyRewrites) {
  TrendRecipe recipe;
  std::string hst = Write(recipe);
  FolderImage before = Image();
  RenameReport report = Rename(hst, "D:\\Elsewhere\\Trend1", kNewTag);
  ASSERT_TRUE(report.ok()) << report.failure.ToString();
  for (const FileChange& file : report.plan.files)
    EXPECT_FALSE(file.renamed()) << file.path;
  EXPECT_EQ(Image(), test::ExpectedAfterRename(
                         recipe, before, "D:\\Elsewhere\\Trend1", kNewTag));
}

TEST_F(RenameTrendTest, OnlyTheTrendsOwnFilesAreTouched) {
  TrendRecipe recipe;
  recipe.dataExtensions = {"000", "001"};
  std::string hst = Write(recipe);
  for (const char* name :
       {"Trend1.bak", "Trend1.HST.bak", "Trend1.csv", "Trend1.old.001",
        "Trend1", "Trend10.000", "Trend1.00a"})
    Add(name);
  fs::create_directory(folder_.path() / "Trend1.002");
  FolderImage before = Image();

  RenameReport report = Rename(hst, kNewPath, kNewTag);

  ASSERT_TRUE(report.ok()) << report.failure.ToString();
  EXPECT_EQ(Image(),
            test::ExpectedAfterRename(recipe, before, kNewPath, kNewTag));
  EXPECT_TRUE(fs::is_directory(folder_.path() / "Trend1.002"));
  EXPECT_EQ(test::SkippedLines(report.plan),
            (std::vector<std::string>{
                "Trend1.002: a folder",
                "Trend1.00a: not a data file name",
                "Trend1.HST.bak: not a data file name",
                "Trend1.bak: not a data file name",
                "Trend1.csv: not a data file name",
                "Trend1.old.001: not a data file name",
            }));
}

TEST_F(RenameTrendTest, RelativeHistoryPathIsResolvedFirst) {
  TrendRecipe recipe;
  Write(recipe);
  FolderImage before = Image();
  fs::path previous = fs::current_path();
  fs::current_path(folder_.path());
  RenameReport report = Rename("Trend1.HST", kNewPath, kNewTag);
  fs::current_path(previous);
  ASSERT_TRUE(report.ok()) << report.failure.ToString();
  EXPECT_EQ(report.plan.hstPath, folder_.File("Trend1.HST"));
  EXPECT_EQ(Image(),
            test::ExpectedAfterRename(recipe, before, kNewPath, kNewTag));
}

// A failure at any file-system call leaves the trend byte for byte as it
// was, and says so; one part-way through names the call that failed.
TEST_F(RenameTrendTest, FailureAtAnyCallLeavesTheTrendAsItWas) {
  TrendRecipe recipe;
  int points = 0;
  {
    test::TempFolder folder;
    test::FailingEnv counter(Env::Default());
    ASSERT_TRUE(RenameTrend(counter, test::WriteTrend(folder.path(), recipe),
                            kNewPath, kNewTag)
                    .ok());
    // The calls after the run's last flush only end its journal.
    points = counter.lastCallOf("flush file system", "");
  }
  ASSERT_GT(points, 20);
  int rolled_back = 0;
  for (int k = 1; k <= points; ++k) {
    SCOPED_TRACE(k);
    test::TempFolder folder;
    std::string hst = test::WriteTrend(folder.path(), recipe);
    FolderImage before = test::ReadFolder(folder.path());
    test::FailingEnv env(Env::Default(), k);
    test::MessageLog shown;
    RenameReport report = shown.Tell(RenameTrend(env, hst, kNewPath, kNewTag));
    EXPECT_FALSE(report.ok());
    EXPECT_NE(report.outcome, RenameOutcome::kUndoFailed);
    EXPECT_EQ(test::ReadFolder(folder.path()), before);
    ASSERT_EQ(shown.criticals.size() + shown.warnings.size(), 1u);
    if (report.outcome == RenameOutcome::kRolledBack) {
      ++rolled_back;
      EXPECT_NE(shown.criticals[0].find("injected failure.\nEvery change "
                                        "was undone: the trend is as it "
                                        "was."),
                std::string::npos)
          << shown.criticals[0];
    }
  }
  EXPECT_GT(rolled_back, 8);
}

// Wine looks for a name that does not exist by reading the whole folder,
// so a run under Wine asks for fewer files through MORVELLE_MANY_FILES.
TEST_F(RenameTrendTest, TenThousandDataFiles) {
  const char* many = std::getenv("MORVELLE_MANY_FILES");
  TrendRecipe recipe;
  recipe.version = 4;
  recipe.dataBodySize = 8;
  recipe.dataExtensions.clear();
  for (int i = 0; i < (many ? std::atoi(many) : 10000); ++i) {
    char extension[12];
    std::snprintf(extension, sizeof extension, "%04d", i);
    recipe.dataExtensions.push_back(extension);
  }
  std::string hst = Write(recipe);
  FolderImage before = Image();
  RenameReport report = Rename(hst, kNewPath, kNewTag);
  ASSERT_TRUE(report.ok()) << report.failure.ToString();
  EXPECT_EQ(Image(),
            test::ExpectedAfterRename(recipe, before, kNewPath, kNewTag));
}

TEST(EnvTest, RenameNeverReplaces) {
  test::TempFolder folder;
  test::WriteFile(folder.path() / "a", "A");
  test::WriteFile(folder.path() / "b", "B");
  Status s = Env::Default().RenameNoReplace(folder.File("a"), folder.File("b"));
  EXPECT_EQ(s.kind(), ErrorKind::kAlreadyExists);
  EXPECT_NE(s.ToString().find(folder.File("b")), std::string::npos);
  EXPECT_EQ(test::ReadFile(folder.path() / "a"), "A");
  EXPECT_EQ(test::ReadFile(folder.path() / "b"), "B");
  EXPECT_TRUE(
      Env::Default().RenameNoReplace(folder.File("a"), folder.File("c")).ok());
  EXPECT_EQ(test::ReadFile(folder.path() / "c"), "A");
}

TEST(EnvTest, CreateNewFileNeverReplaces) {
  test::TempFolder folder;
  test::WriteFile(folder.path() / "a", "A");
  fs::create_directory(folder.path() / "d");
  struct Case {
    const char* name;
    ErrorKind kind;
  } cases[] = {
      {"a", ErrorKind::kAlreadyExists},
      {"d", ErrorKind::kAlreadyExists},
      {"none/b", ErrorKind::kNotFound},
  };
  for (const Case& c : cases) {
    std::unique_ptr<File> file;
    Status s = Env::Default().CreateNewFile(folder.File(c.name), &file);
    EXPECT_EQ(s.kind(), c.kind) << c.name << ": " << s.ToString();
    EXPECT_FALSE(file) << c.name;
  }
  EXPECT_EQ(test::ReadFolder(folder.path()), (FolderImage{{"a", "A"}}));

  std::unique_ptr<File> file;
  ASSERT_TRUE(Env::Default().CreateNewFile(folder.File("b"), &file).ok());
  EXPECT_EQ(test::ReadFile(folder.path() / "b"), "");
  ASSERT_TRUE(file->WriteAt(0, "new").ok());
  ASSERT_TRUE(file->WriteAt(3, " file").ok());
  ASSERT_TRUE(file->Close().ok());
  EXPECT_EQ(test::ReadFile(folder.path() / "b"), "new file");
}

// Half-done renames, made by putting data files of a whole rename back
// under the old name and tag. A repair gives, byte for byte, what the whole
// rename gave; where the files admit no single explanation it changes
// nothing and says why.
TEST(RepairTrendTest, CompletesOnlyWhatHasOneExplanation) {
  struct Case {
    const char* name;
    int version;
    std::vector<std::string> putBack;
    FolderImage beside;              // other files, there all along
    FolderImage added;               // files that came after the rename
    const char* lost;                // a file lost after it, or nullptr
    const char* why;                 // nullptr: repaired
    const char* retagged = nullptr;  // given another trend's tag
  };
  const FolderImage orphans = {{"Trend9.002", "old"}, {"Trend9.0421", "old"}};
  const std::vector<std::string> all = {"000", "001", "002", "0421"};
  const Case cases[] = {
      {"the last two data files left",
       5,
       {"002", "0421"},
       {},
       {},
       nullptr,
       nullptr},
      {"all but the first",
       2,
       {"001", "002", "0421"},
       {},
       {},
       nullptr,
       nullptr},
      {"every data file, oldest layout", 0, all, {}, {}, nullptr, nullptr},
      {"every data file, newest layout", 6, all, {}, {}, nullptr, nullptr},
      {"files beside it stay",
       4,
       {"002"},
       {{"Trend1.bak", "b"}, {"Trend9.001", "unlisted"}},
       {},
       nullptr,
       nullptr},
      {"two old bases",
       5,
       {"002", "0421"},
       orphans,
       {},
       nullptr,
       "could come from"},
      {"claimed by a history file",
       5,
       {"002"},
       {},
       {{"Trend1.HST", "h"}},
       nullptr,
       "claims them"},
      {"no other name holds it",
       5,
       {},
       {{"Trend9.001", "x"}},
       {},
       "Trend1A.002",
       "no other name holds"},
      {"nothing missing", 5, {}, orphans, {}, nullptr, "is missing"},
      {"old files of two tags",
       5,
       {"001", "002"},
       {},
       {},
       nullptr,
       "not one old tag",
       "Trend1.002"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TrendRecipe recipe;
    recipe.version = c.version;
    recipe.entryCount = 3;
    recipe.extraCount = 2;
    recipe.dataExtensions = all;
    test::RenamedInMemory whole = test::RenameInMemory(recipe, c.beside);
    FolderImage half = test::HalfDone(whole.before, whole.renamed, "Trend1",
                                      "Trend1A", c.putBack);
    half.insert(c.added.begin(), c.added.end());
    if (c.lost) half.erase(c.lost);
    if (c.retagged)
      StoreField(&half[c.retagged], LayoutForVersion(c.version)->DataTag(),
                 "Pump");
    test::MemEnv env;
    test::AddImage(env, "/t/", half);
    RenameReport report = RepairTrend(env, "/t/Trend1A.HST");
    EXPECT_EQ(report.ok(), c.why == nullptr) << report.failure.ToString();
    EXPECT_EQ(env.Image("/t"), c.why ? half : whole.renamed);
    if (c.why) {
      EXPECT_NE(report.failure.ToString().find(c.why), std::string::npos)
          << report.failure.ToString();
    }
  }
}

}  // namespace
}  // namespace morvelle
