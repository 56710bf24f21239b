#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>

#include "TrendFixture.h"
#include "app/RenameRuns.h"
#include "platform/Env.h"
#include "ui/ManyTrends.h"
#include "ui/RunReport.h"

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

TEST_F(ManyTrendsTest, ShownRowsSortFilterAndFindTheNextProblem) {
  model_.SetNewValue(0, ManyColumn::kNewTag, "B");
  model_.SetNewValue(1, ManyColumn::kNewTag, "a");
  model_.SetNewValue(2, ManyColumn::kNewTag, "c");
  std::vector<RowStatus> states(3);
  states[0].state = RowState::kWillRename;
  states[0].warnings = {"w"};
  states[1].state = RowState::kRefused;
  states[1].reason = "x";
  states[2].state = RowState::kUnchanged;
  ASSERT_TRUE(model_.SetStates(model_.generation(), states));
  using Rows = std::vector<std::size_t>;
  struct Case {
    RowOrder order;
    Rows shown;
  } cases[] = {
      {{}, {0, 1, 2}},
      {{std::nullopt, false, true}, {0, 1}},
      {{ManyColumn::kFile, true, false}, {2, 1, 0}},
      {{ManyColumn::kFile, true, true}, {1, 0}},
      {{ManyColumn::kState, false, false}, {1, 2, 0}},
      {{ManyColumn::kState, true, false}, {0, 2, 1}},
      // Letters in either case: "a" < "B" < "c".
      {{ManyColumn::kNewTag, false, false}, {1, 0, 2}},
      {{ManyColumn::kNewTag, true, false}, {2, 0, 1}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ShownRows(model_, c.order), c.shown)
        << static_cast<int>(c.order.sortColumn.value_or(ManyColumn::kFile))
        << c.order.descending << c.order.problemsOnly;
  struct Next {
    Rows shown;
    std::optional<std::size_t> from, next;
  } nexts[] = {
      {{0, 1, 2}, std::nullopt, 0},
      {{0, 1, 2}, 0, 1},
      {{0, 1, 2}, 1, 0},
      {{2, 1, 0}, 1, 2},
      {{2, 1, 0}, 2, 1},
      {{2}, 0, std::nullopt},
      {{}, std::nullopt, std::nullopt},
  };
  for (const Next& n : nexts)
    EXPECT_EQ(NextProblem(model_, n.shown, n.from), n.next)
        << n.shown.size() << " from " << n.from.value_or(99);
}

TEST(ColumnWidthsTest, PathsKeepTheirRoomAndStateTakesWhatIsLeft) {
  const ManyTable cells = {{"A.HST", std::string(100, 't'),
                            std::string(40, 'p'), std::string(100, 't'),
                            std::string(40, 'p'), "Will rename"}};
  auto chars = [](const std::string& text) {
    return static_cast<int>(text.size());
  };
  using Widths = std::array<int, kManyColumnCount>;
  struct Case {
    ManyTable cells;
    int width;
    Widths widths;
  } cases[] = {
      // Titles and cells all fit: State takes the rest.
      {{{"A.HST", "T", "P", "T", "P", "Unchanged"}}, 80, {7, 5, 6, 9, 10, 43}},
      // Long tags are held to their share, State at first to the width of
      // "Interrupted: run Recover", the paths fit whole, and the room over
      // goes to State.
      {cells, 200, {7, 30, 42, 30, 42, 49}},
      // Too narrow for the paths: they share what is left, the shorter
      // one no more than half.
      {cells, 100, {7, 15, 18, 15, 19, 26}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ColumnWidths(c.cells, c.width, chars, 2), c.widths) << c.width;
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
  ASSERT_TRUE(test::InterruptRename(folder_.File("B.HST"), "open", "B.001"));
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

  RunReport recovered =
      ReportOfRecovery(RecoverTrends(Env::Default(), model_.folder()));
  EXPECT_TRUE(recovered.Text().starts_with(
      "Recover: every interrupted run was dealt with.\n"
      "1 put back, 0 left renamed, 0 untouched, 0 not recovered\n\n"
      "Folder: " +
      folder_.File("") + "\n\nPut back (1):\n  B.HST: "))
      << recovered.Text();
  EXPECT_TRUE(recovered.ok);
  EXPECT_EQ(test::ReadFolder(folder_.path()), before);
  ASSERT_TRUE(model_.Load(folder_.File(""), &problem)) << problem;
  Plan();
  EXPECT_EQ(model_.Cell(1, ManyColumn::kState), "Unchanged");
  EXPECT_FALSE(model_.CanRecover());
}

TEST_F(ManyTrendsTest, DamagedRowSaysSoAndKeepsRenameFromRunning) {
  fs::remove(folder_.path() / "B.001");
  test::WriteFile(folder_.path() / "B.007", "x");
  std::string problem;
  ASSERT_TRUE(model_.Load(folder_.File(""), &problem)) << problem;
  Plan();
  EXPECT_EQ(model_.Cell(1, ManyColumn::kState),
            "Damaged: B.001: entry 1 Path: missing: the table expects this "
            "data file");
  EXPECT_EQ(model_.StateTooltip(1),
            "B.001: entry 1 Path: missing: the table expects this data "
            "file\nB.007: a numbered file of this trend that its table does "
            "not list\nB.007: the data file is 1 bytes long, shorter than "
            "the 288-byte header of this trend's data files; it may be "
            "damaged");
  EXPECT_EQ(model_.StateTooltip(0), "");
  // Out of the run while it keeps its values; with new ones, refused.
  model_.SetNewValue(0, ManyColumn::kNewPath, "D:\\A2");
  Plan();
  EXPECT_TRUE(model_.CanRename());
  model_.SetNewValue(1, ManyColumn::kNewTag, "B2");
  Plan();
  EXPECT_EQ(model_.Cell(1, ManyColumn::kState).substr(0, 8), "Damaged:");
  EXPECT_FALSE(model_.CanRename());
}

TEST(RecoverTrendsTest, EveryTrendOnALineOfItsOwnUnderItsOutcome) {
  test::TempFolder folder;
  for (int i = 0; i < 13; ++i) {
    TrendRecipe recipe;
    recipe.name = "T" + std::to_string(10 + i);
    recipe.seed = 40 + i;
    std::string hst = test::WriteTrend(folder.path(), recipe);
    // Twelve killed at their second data file; the last once it was
    // renamed whole, before its journal was removed.
    const bool whole = i == 12;
    ASSERT_TRUE(test::InterruptRename(hst, whole ? "remove" : "open",
                                      whole ? "" : recipe.name + ".001",
                                      "C:\\New\\N" + recipe.name));
  }
  RunReport report =
      ReportOfRecovery(RecoverTrends(Env::Default(), folder.File("")));
  EXPECT_TRUE(report.ok) << report.Text();
  EXPECT_EQ(report.counts,
            "12 put back, 1 left renamed, 0 untouched, 0 not recovered");
  ASSERT_EQ(report.log.size(), 15u) << report.Text();
  EXPECT_EQ(report.log[0], "Put back (12):");
  EXPECT_EQ(report.log[13], "Left renamed (1):");
  EXPECT_TRUE(report.log[14].starts_with("  T22.HST: ")) << report.log[14];
}

// The report's log puts what went wrong first, whatever the order of the
// list, and counts the window's rows the run did not name as unchanged.
TEST(RunReportTest, FailedRowsFirstThenRefusedNotRunAndRenamed) {
  auto row = [](std::size_t line, const char* file, RowOutcome outcome,
                const char* message) {
    return RowResult{{line, {std::string("D:\\P\\") + file, "T", "D:\\Q"}},
                     outcome,
                     message};
  };
  ListRun run;
  run.status = 1;
  run.list = "C:\\Runs\\rename-1.csv";
  run.rows = {
      row(2, "A.HST", RowOutcome::kRenamed, "renamed A"),
      row(3, "B.HST", RowOutcome::kNotRun, ""),
      row(4, "C.HST", RowOutcome::kFailed, "disk full\nit is as it was."),
      row(5, "D.HST", RowOutcome::kRenamed, "renamed D")};
  run.started = 3;
  run.before = "C:\\Runs\\rename-1.csv:3: warning: tag cut\n";
  run.after = RowLine(run.list, run.rows[2]) +
              "The rows after it were not run.\nSummary: 2 renamed.\n";
  std::vector<ManyRow> table(2);
  table[0].hstPath = "D:\\P\\A.HST";
  table[1].hstPath = "D:\\P\\Other.HST";
  struct Case {
    RunKind kind;
    int status;
    std::string heading;
  } cases[] = {
      {RunKind::kRename, 1, "Rename: not every trend was renamed."},
      {RunKind::kUndo, 0, "Undo last run: every trend was renamed back."},
      {RunKind::kRename, 130, "Rename: stopped on request."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.heading);
    run.status = c.status;
    RunReport report = ReportOfRun(
        c.kind, {run.list, "C:\\Runs\\undo-1.csv", 4, "D:\\P\\"}, run, table);
    EXPECT_EQ(report.heading, c.heading);
    EXPECT_EQ(report.ok, c.status == 0);
    EXPECT_EQ(report.Text(),
              c.heading +
                  "\n2 renamed, 1 unchanged, 0 refused, 1 failed, 1 not run\n\n"
                  "List run: C:\\Runs\\rename-1.csv\n"
                  "Undo list: C:\\Runs\\undo-1.csv\n\n"
                  "Failed (1):\n  C.HST: disk full\n    it is as it was.\n"
                  "Not run (1):\n  B.HST: not run\n"
                  "Renamed (2):\n  A.HST: renamed A\n  D.HST: renamed D\n\n"
                  "C:\\Runs\\rename-1.csv:3: warning: tag cut\n"
                  "The rows after it were not run.\n");
  }
  for (RowResult& r : run.rows) r.outcome = RowOutcome::kRefused;
  EXPECT_EQ(
      ReportOfRun(RunKind::kRename, {run.list, "U", 0, {}}, run, {}).paths[1],
      "Undo list: none, nothing was renamed");
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
