#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>

#include "TrendFixture.h"
#include "app/RenameRuns.h"
#include "platform/Env.h"
#include "ui/ManyTrends.h"

namespace morvelle {
namespace {

namespace fs = std::filesystem;
using test::TrendRecipe;

TEST(ReplaceAllTest, PlainTextLeftToRightWithOrWithoutCase) {
  struct Case {
    std::string text, find, replace;
    bool matchCase;
    std::string result;
    std::size_t count;
  } cases[] = {
      {"C:\\Old\\T1", "C:\\Old\\", "D:\\New\\", true, "D:\\New\\T1", 1},
      {"c:\\old\\T1", "C:\\Old\\", "D:\\New\\", true, "c:\\old\\T1", 0},
      {"c:\\old\\T1", "C:\\Old\\", "D:\\New\\", false, "D:\\New\\T1", 1},
      {"aaaa", "aa", "a", true, "aa", 2},
      {"P1.P1", "P1", "", true, ".", 2},
      {"x.*x", ".*", "!", true, "x!x", 1},
      {"K\xC3\x9C"
       "hl",
       "\xC3\xBC", "u", false, "Kuhl", 1},
      {"K\xC3\x9C"
       "hl",
       "\xC3\xBC", "u", true,
       "K\xC3\x9C"
       "hl",
       0},
      {"same", "", "x", false, "same", 0},
  };
  for (const Case& c : cases) {
    std::string text = c.text;
    Replacement r{c.find, c.replace, ReplaceIn::kBoth, c.matchCase};
    EXPECT_EQ(ReplaceAll(&text, r), c.count) << c.text << " " << c.find;
    EXPECT_EQ(text, c.result) << c.text << " " << c.find;
  }
}

// Trends A (version 0), B (4) and C (6) in one folder, as the table shows
// them: in the order of their names.
class ManyTrendsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* names[] = {"C", "A", "B"};
    int versions[] = {6, 0, 4};
    for (int i = 0; i < 3; ++i) {
      TrendRecipe recipe;
      recipe.name = names[i];
      recipe.version = versions[i];
      recipe.entryPath = std::string("C:\\Old\\") + names[i];
      recipe.tag = std::string("Old.") + names[i];
      recipe.seed = 20 + i;
      test::WriteTrend(folder_.path(), recipe);
    }
    std::string problem;
    ASSERT_TRUE(model_.Load(test::Utf8Of(folder_.path()), &problem)) << problem;
  }

  void Plan() {
    ASSERT_TRUE(model_.SetStates(model_.generation(),
                                 PlanRows(Env::Default(), model_.rows())));
  }

  // Each row's New tag|New path.
  std::vector<std::string> NewValues() const {
    std::vector<std::string> values;
    for (const ManyRow& row : model_.rows())
      values.push_back(row.newTag + "|" + row.newPath);
    return values;
  }

  test::TempFolder folder_, runs_;
  ManyTrends model_{Env::Default()};
};

TEST_F(ManyTrendsTest, RowsShowTheFolderAsTheMainWindowWould) {
  ASSERT_EQ(model_.rows().size(), 3u);
  EXPECT_EQ(model_.Cell(0, ManyColumn::kFile), "A.HST");
  EXPECT_EQ(model_.Cell(2, ManyColumn::kTag), "Old.C");
  EXPECT_EQ(model_.Cell(1, ManyColumn::kPath), "C:\\Old\\B");
  EXPECT_EQ(model_.Cell(1, ManyColumn::kNewPath), "C:\\Old\\B");
  EXPECT_EQ(model_.Cell(0, ManyColumn::kState), "Planning...");
  Plan();
  EXPECT_EQ(model_.Cell(0, ManyColumn::kState), "Unchanged");
  EXPECT_FALSE(model_.CanRename());
}

TEST_F(ManyTrendsTest, EachRowsStateComesFromTheWholeListPlanner) {
  struct Edit {
    std::size_t row;
    ManyColumn column;
    std::string value;
  };
  struct Case {
    std::string what;
    std::vector<Edit> edits;
    std::vector<std::string> states;  // how each row's state text starts
    bool canRename;
    std::string status;
  } cases[] = {
      {"one new path",
       {{0, ManyColumn::kNewPath, "D:\\New\\A"}},
       {"Will rename", "Unchanged", "Unchanged"},
       true,
       "3 trends, 1 changed, 0 refused or in conflict"},
      {"two rows bound for one name",
       {{0, ManyColumn::kNewPath, "D:\\Same"},
        {2, ManyColumn::kNewPath, "D:\\Same"}},
       {"Will rename", "Unchanged", "In conflict with row 1: Cannot rename '"},
       false,
       "3 trends, 2 changed, 1 refused or in conflict"},
      {"a name another trend holds",
       {{1, ManyColumn::kNewPath, "D:\\C"}},
       {"Unchanged", "Refused: Cannot rename '", "Unchanged"},
       false,
       "3 trends, 1 changed, 1 refused or in conflict"},
      {"a name Windows cannot hold",
       {{1, ManyColumn::kNewPath, "D:\\B?"}},
       {"Unchanged", "Refused: ", "Unchanged"},
       false,
       "3 trends, 1 changed, 1 refused or in conflict"},
      {"a tag longer than version 0's field",
       {{0, ManyColumn::kNewTag, std::string(40, 't')}},
       {"Will rename; warning: The new tag is 40 characters long; the Tag "
        "field holds 32, so it is stored cut",
        "Unchanged", "Unchanged"},
       true,
       "3 trends, 1 changed, 0 refused or in conflict"},
      {"edited back to the current values",
       {{2, ManyColumn::kNewTag, "x"}, {2, ManyColumn::kNewTag, "Old.C"}},
       {"Unchanged", "Unchanged", "Unchanged"},
       false,
       "3 trends, 0 changed, 0 refused or in conflict"},
  };
  for (const Case& c : cases) {
    SetUp();
    for (const Edit& e : c.edits) model_.SetNewValue(e.row, e.column, e.value);
    std::uint64_t edited = model_.generation();
    model_.SetNewValue(0, ManyColumn::kNewTag, model_.rows()[0].newTag);
    EXPECT_EQ(model_.generation(), edited) << "an edit that changes nothing";
    std::vector<RowStatus> stale = PlanRows(Env::Default(), model_.rows());
    EXPECT_FALSE(model_.SetStates(edited - 1, stale)) << c.what;
    EXPECT_FALSE(model_.CanRename()) << c.what << ": not planned yet";
    Plan();
    for (std::size_t i = 0; i < 3; ++i)
      EXPECT_TRUE(model_.Cell(i, ManyColumn::kState).starts_with(c.states[i]))
          << c.what << ", row " << i << ": "
          << model_.Cell(i, ManyColumn::kState);
    EXPECT_EQ(model_.CanRename(), c.canRename) << c.what;
    EXPECT_EQ(model_.StatusLine(), c.status) << c.what;
  }
}

TEST_F(ManyTrendsTest, ReplaceWorksOnTheSelectedRowsOnly) {
  struct Case {
    std::vector<std::size_t> selected;
    Replacement r;
    std::size_t count;
    std::vector<std::string> values;
  } cases[] = {
      {{0, 1, 2},
       {"C:\\Old\\", "D:\\New\\", ReplaceIn::kPath, true},
       3,
       {"Old.A|D:\\New\\A", "Old.B|D:\\New\\B", "Old.C|D:\\New\\C"}},
      {{1},
       {"old", "New", ReplaceIn::kBoth, false},
       2,
       {"Old.A|C:\\Old\\A", "New.B|C:\\New\\B", "Old.C|C:\\Old\\C"}},
      {{0, 2},
       {"Old.", "Unit7.", ReplaceIn::kTag, true},
       2,
       {"Unit7.A|C:\\Old\\A", "Old.B|C:\\Old\\B", "Unit7.C|C:\\Old\\C"}},
      {{0, 1, 2},
       {"old", "x", ReplaceIn::kTag, true},
       0,
       {"Old.A|C:\\Old\\A", "Old.B|C:\\Old\\B", "Old.C|C:\\Old\\C"}},
  };
  for (const Case& c : cases) {
    SetUp();
    std::uint64_t before = model_.generation();
    EXPECT_EQ(model_.Replace(c.selected, c.r), c.count) << c.r.find;
    EXPECT_EQ(NewValues(), c.values) << c.r.find;
    EXPECT_EQ(model_.generation() != before, c.count > 0) << c.r.find;
  }
}

TEST_F(ManyTrendsTest, ExportThenImportCarriesTheNewValues) {
  model_.SetNewValue(0, ManyColumn::kNewTag, "Pump 7, \"north\"");
  std::string list = runs_.File("list.csv");
  ASSERT_TRUE(model_.Export(list).ok());
  EXPECT_EQ(model_.Export(list).kind(), ErrorKind::kAlreadyExists);
  std::vector<std::string> exported = NewValues();
  SetUp();
  EXPECT_EQ(model_.Import(list), std::vector<std::string>{});
  EXPECT_EQ(NewValues(), exported);

  test::WriteFile(runs_.path() / "other.csv",
                  folder_.File("a.hst") + ",T,C:\\T\n" +
                      folder_.File("Gone.HST") + ",T,C:\\T\n");
  EXPECT_EQ(model_.Import(runs_.File("other.csv")),
            std::vector<std::string>{runs_.File("other.csv") + ":2: '" +
                                     folder_.File("Gone.HST") +
                                     "' is not a trend of this folder"});
  EXPECT_EQ(NewValues()[0], "T|C:\\T");
  test::WriteFile(runs_.path() / "bad.csv", "a,b\n");
  EXPECT_EQ(model_.Import(runs_.File("bad.csv")).size(), 1u);
  EXPECT_EQ(NewValues()[0], "T|C:\\T");
}

TEST_F(ManyTrendsTest, RenameThenUndoLastRunPutsEveryFileBack) {
  test::FolderImage before = test::ReadFolder(folder_.path());
  std::string runs = runs_.File("");
  std::tm time{};
  time.tm_year = 126;
  time.tm_mon = 11;
  time.tm_mday = 8;
  time.tm_hour = 6;
  RunFiles files;
  EXPECT_EQ(PrepareUndo(Env::Default(), runs, time, &files).kind(),
            ErrorKind::kNotFound);

  model_.Replace({0, 1, 2}, {"\\Old\\", "\\New\\X", ReplaceIn::kPath});
  model_.SetNewValue(1, ManyColumn::kNewPath, "C:\\Old\\B");
  ASSERT_TRUE(PrepareRename(Env::Default(), runs, time,
                            RowRequests(model_.rows(), true), &files)
                  .ok());
  EXPECT_EQ(files.list, runs + "rename-20261208-060000.csv");
  EXPECT_EQ(files.undoList, runs + "undo-20261208-060000.csv");
  std::vector<std::string> progress;
  auto record = [&](std::size_t done, std::size_t total) {
    progress.push_back(std::to_string(done) + "/" + std::to_string(total));
  };
  ListRun run = RunListFiles(Env::Default(), files, nullptr, record);
  ASSERT_EQ(run.status, 0) << ShownResult(run).text;
  EXPECT_TRUE(ShownResult(run).text.ends_with(
      "Summary: 2 renamed, 0 refused, 0 failed, 0 not run.\n"));
  EXPECT_EQ(progress, (std::vector<std::string>{"0/2", "1/2", "2/2"}));
  for (const char* name : {"XA.HST", "B.HST", "XC.002"})
    EXPECT_TRUE(fs::exists(folder_.path() / name)) << name;

  // A later run that renamed nothing left an undo list without rows: Undo
  // passes over it to the run that did rename.
  test::WriteFile(runs_.path() / "undo-20261208-060000-2.csv",
                  "# Morvelle undo list: renames the trends back.\n");
  ASSERT_TRUE(PrepareUndo(Env::Default(), runs, time, &files).ok());
  EXPECT_EQ(files.list, runs + "undo-20261208-060000.csv");
  EXPECT_EQ(files.undoList, runs + "undo-20261208-060000-3.csv");
  run = RunListFiles(Env::Default(), files, nullptr, nullptr);
  ASSERT_EQ(run.status, 0) << ShownResult(run).text;
  EXPECT_EQ(test::ReadFolder(folder_.path()), before);
  // The undo was a run too: its own undo list is now the newest.
  ASSERT_TRUE(PrepareUndo(Env::Default(), runs, time, &files).ok());
  EXPECT_EQ(files.list, runs + "undo-20261208-060000-3.csv");
}

TEST_F(ManyTrendsTest, InterruptedRowWaitsForRecoverWhichPutsItBack) {
  test::FolderImage before = test::ReadFolder(folder_.path());
  EXPECT_FALSE(model_.CanRecover());
  // B is killed at its second data file, its history file renamed.
  ASSERT_TRUE(test::InterruptRename(folder_.File("B.HST"), "rename", "B.001"));
  std::string problem;
  ASSERT_TRUE(model_.Load(folder_.File(""), &problem)) << problem;
  ASSERT_EQ(model_.Cell(2, ManyColumn::kFile), "Trend1A.HST");
  Plan();
  EXPECT_EQ(model_.Cell(0, ManyColumn::kState), "Unchanged");
  EXPECT_EQ(model_.Cell(2, ManyColumn::kState), "Interrupted: run Recover");
  EXPECT_EQ(model_.StatusLine(),
            "3 trends, 0 changed, 0 refused or in conflict, 1 interrupted");
  EXPECT_TRUE(model_.CanRecover());
  // Not in the run while it keeps its values; with new ones, it waits.
  model_.SetNewValue(0, ManyColumn::kNewPath, "D:\\A2");
  Plan();
  EXPECT_TRUE(model_.CanRename());
  model_.SetNewValue(2, ManyColumn::kNewTag, "B2");
  Plan();
  EXPECT_EQ(model_.Cell(2, ManyColumn::kState), "Interrupted: run Recover");
  EXPECT_FALSE(model_.CanRename());

  RunResult recovered =
      ShownResult(RecoverTrends(Env::Default(), model_.folder()));
  EXPECT_EQ(recovered.status, 0) << recovered.text;
  EXPECT_EQ(recovered.text,
            "Put back as before the run: B.HST\nSummary: 1 put back, 0 left "
            "renamed, 0 untouched, 0 not recovered.\n");
  EXPECT_EQ(test::ReadFolder(folder_.path()), before);
  ASSERT_TRUE(model_.Load(folder_.File(""), &problem)) << problem;
  Plan();
  EXPECT_EQ(model_.Cell(1, ManyColumn::kState), "Unchanged");
  EXPECT_FALSE(model_.CanRecover());
}

TEST(RecoverTrendsTest, ALineNamesTenTrendsAndCountsTheRest) {
  test::TempFolder folder;
  for (int i = 0; i < 13; ++i) {
    TrendRecipe recipe;
    recipe.name = "T" + std::to_string(10 + i);
    recipe.seed = 40 + i;
    std::string hst = test::WriteTrend(folder.path(), recipe);
    // Twelve killed at their second data file; the last once it was
    // renamed whole, before its journal was removed.
    const bool whole = i == 12;
    ASSERT_TRUE(test::InterruptRename(hst, whole ? "remove" : "rename",
                                      whole ? "" : recipe.name + ".001",
                                      "C:\\New\\N" + recipe.name));
  }
  RunResult recovered =
      ShownResult(RecoverTrends(Env::Default(), folder.File("")));
  EXPECT_EQ(recovered.status, 0) << recovered.text;
  const std::string& text = recovered.text;
  EXPECT_TRUE(text.starts_with("Put back as before the run: T")) << text;
  EXPECT_TRUE(text.ends_with(
      " and 2 more\nLeft renamed, the run had renamed them completely: "
      "T22.HST\nSummary: 12 put back, 1 left renamed, 0 untouched, 0 not "
      "recovered.\n"))
      << text;
  std::size_t names = 0;
  for (std::size_t at = 0; (at = text.find(".HST", at)) != std::string::npos;
       ++at)
    ++names;
  EXPECT_EQ(names, 11u) << text;
}

TEST_F(ManyTrendsTest, StopBeforeTheFirstTrendRenamesNothing) {
  test::FolderImage before = test::ReadFolder(folder_.path());
  model_.SetNewValue(0, ManyColumn::kNewPath, "D:\\A2");
  RunFiles files;
  ASSERT_TRUE(PrepareRename(Env::Default(), runs_.File(""), std::tm{},
                            RowRequests(model_.rows(), true), &files)
                  .ok());
  std::atomic<bool> stop{true};
  ListRun run = RunListFiles(Env::Default(), files, &stop, nullptr);
  EXPECT_EQ(run.status, 130) << ShownResult(run).text;
  EXPECT_EQ(test::ReadFolder(folder_.path()), before);
}

}  // namespace
}  // namespace morvelle
