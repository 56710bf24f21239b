// The "Many trends" window's rules, on the form with a view that records
// what it is asked to do and runs what the worker posts only when the test
// says, as a window's event loop would: so a plan or a run can be held on
// the worker while the user acts.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "TrendFixture.h"
#include "platform/Env.h"
#include "ui/ManyTrendsForm.h"

namespace morvelle {
namespace {

using test::TrendRecipe;

struct Shown {
  MessageLook look;
  std::string text;
};

class RecordingView final : public ManyView, public ManyPaths {
 public:
  // From the worker: queued for the test to run. While the worker is
  // held, it waits here once its task is queued.
  void Post(std::function<void()> task) override {
    std::unique_lock<std::mutex> lock(mutex_);
    tasks_.push_back(std::move(task));
    posted_.notify_all();
    released_.wait(lock, [this] { return !held_; });
  }
  void SetFolderText(const std::string& text) override { folder = text; }
  void ShowTable(const ManyTable& shown) override {
    cells = shown;
    colours.assign(shown.size(), std::nullopt);
    tips.assign(shown.size(), std::string());
  }
  void SetCell(std::size_t row, ManyColumn column,
               const std::string& text) override {
    cells.at(row)[static_cast<int>(column)] = text;
  }
  void ShowState(std::size_t row, const std::string& text,
                 std::optional<Colour> colour,
                 const std::string& tip) override {
    SetCell(row, ManyColumn::kState, text);
    colours.at(row) = colour;
    tips.at(row) = tip;
    statesShown.push_back(text);
  }
  void SetStatusText(const std::string& text) override { status = text; }
  void SelectRow(std::size_t row) override { selected.push_back(row); }
  void SetEnabled(ManyControl control, bool on) override {
    enabled[control] = on;
  }
  void ClearProgress() override { progress.push_back("clear"); }
  void SetProgress(std::size_t done, std::size_t total) override {
    progress.push_back(std::to_string(done) + "/" + std::to_string(total));
  }
  void ShowMessage(MessageLook look, const std::string& text) override {
    shown.push_back({look, text});
  }
  bool AskYesNo(const std::string& question) override {
    asked.push_back(question);
    return yes;
  }
  void ShowReport(const RunReport& report) override {
    reports.push_back(report);
    fileAtReport = cells.empty() ? "" : Cell(0, ManyColumn::kFile);
  }
  std::string AskPath(PathQuestion question) override {
    return answers[question];
  }
  std::string RunFolder() override { return runFolder; }

  // Runs the posted tasks in order until the form's worker is idle; false
  // when none came for ten seconds.
  bool Settle(const ManyTrendsForm& form) {
    while (form.busy())
      if (!RunNext()) return false;
    return true;
  }
  // Until a task is posted, without running it.
  bool WaitForTask() {
    std::unique_lock<std::mutex> lock(mutex_);
    return posted_.wait_for(lock, std::chrono::seconds(10),
                            [this] { return !tasks_.empty(); });
  }
  void HoldWorker(bool hold) {
    std::lock_guard<std::mutex> lock(mutex_);
    held_ = hold;
    released_.notify_all();
  }
  std::string State(std::size_t row) const {
    return cells.at(row)[static_cast<int>(ManyColumn::kState)];
  }
  std::string Cell(std::size_t row, ManyColumn column) const {
    return cells.at(row)[static_cast<int>(column)];
  }

  std::string folder, status;
  ManyTable cells;
  std::vector<std::optional<Colour>> colours;
  std::vector<std::string> tips;
  std::vector<std::string> statesShown;
  std::vector<std::size_t> selected;
  std::map<ManyControl, bool> enabled;
  std::vector<std::string> progress;
  std::vector<Shown> shown;
  std::vector<std::string> asked;
  bool yes = true;  // the answer to every question
  std::vector<RunReport> reports;
  std::string fileAtReport;  // the first row's file as the report shows
  std::map<PathQuestion, std::string> answers;
  std::string runFolder;

 private:
  bool RunNext() {
    std::function<void()> task;
    if (!WaitForTask()) return false;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      task = std::move(tasks_.front());
      tasks_.pop_front();
    }
    task();
    return true;
  }

  std::mutex mutex_;
  std::condition_variable posted_, released_;
  std::deque<std::function<void()>> tasks_;
  bool held_ = false;
};

// Trends A and B, recorded under C:\Old, in `folder`.
void WriteTrends(const std::filesystem::path& folder) {
  for (const char* name : {"A", "B"}) {
    TrendRecipe recipe;
    recipe.name = name;
    recipe.entryPath = std::string("C:\\Old\\") + name;
    recipe.tag = name;
    recipe.seed = name[0];
    test::WriteTrend(folder, recipe);
  }
}

class ManyTrendsFormTest : public ::testing::Test {
 protected:
  void SetUp() override { WriteTrends(folder_.path()); }
  // A worker left held would never be joined.
  void TearDown() override {
    if (view_) view_->HoldWorker(false);
    form_.reset();
  }

  // A new window on `folder`, its first plan made.
  void Open(const std::string& folder) {
    form_.reset();
    view_ = std::make_unique<RecordingView>();
    view_->runFolder = runs_.File("");
    form_ = std::make_unique<ManyTrendsForm>(*view_, *view_, Env::Default());
    form_->Form_Load(folder);
    Settle();
  }
  void Settle() { ASSERT_TRUE(view_->Settle(*form_)); }
  test::FolderImage Image() const { return test::ReadFolder(folder_.path()); }
  // True when exactly the controls a run leaves to the user are enabled.
  void ExpectRunControls(bool canCancel) {
    for (auto [control, on] : view_->enabled)
      EXPECT_EQ(on, control == ManyControl::cmdCancel && canCancel)
          << static_cast<int>(control);
  }

  test::TempFolder folder_, runs_;
  std::unique_ptr<RecordingView> view_;
  std::unique_ptr<ManyTrendsForm> form_;
};

TEST_F(ManyTrendsFormTest, EditsArePlannedAgainAndOnlyTheLastPlanShows) {
  struct Edit {
    std::size_t row;
    std::string newPath;
  };
  struct Case {
    std::string what;
    std::vector<Edit> edits;  // each made while the one before is planned
    std::vector<std::string> states;  // how each row's state starts
    std::vector<bool> red;
    bool canRename;
    std::string status;
  } cases[] = {
      {"a new path",
       {{0, "D:\\New\\A"}},
       {"Will rename", "Unchanged"},
       {false, false},
       true,
       "2 trends, 1 changed, 0 refused or in conflict"},
      {"a name another trend holds, put right before it was planned",
       {{0, "C:\\Old\\B"}, {0, "D:\\New\\A"}},
       {"Will rename", "Unchanged"},
       {false, false},
       true,
       "2 trends, 1 changed, 0 refused or in conflict"},
      {"a name another trend holds",
       {{0, "C:\\Old\\B"}},
       {"Refused: ", "Unchanged"},
       {true, false},
       false,
       "2 trends, 1 changed, 1 refused or in conflict"},
      {"two rows bound for one name",
       {{0, "D:\\Same"}, {1, "D:\\Same"}},
       {"Will rename", "In conflict with row 1: "},
       {false, true},
       false,
       "2 trends, 2 changed, 1 refused or in conflict"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Open(folder_.File(""));
    ASSERT_EQ(view_->cells.size(), 2u);
    EXPECT_EQ(view_->folder, form_->model().folder());
    EXPECT_EQ(view_->State(0), "Unchanged");
    EXPECT_FALSE(view_->enabled[ManyControl::cmdRename]);
    EXPECT_FALSE(view_->enabled[ManyControl::cmdRecover]);
    view_->statesShown.clear();

    for (const Edit& e : c.edits) {
      form_->grdTrends_CellEdited(e.row, ManyColumn::kNewPath, e.newPath);
      EXPECT_EQ(view_->Cell(e.row, ManyColumn::kNewPath), e.newPath);
      EXPECT_EQ(view_->State(e.row), "Planning...");
      EXPECT_FALSE(view_->enabled[ManyControl::cmdRename]);
    }
    Settle();

    for (std::size_t row = 0; row < 2; ++row) {
      EXPECT_TRUE(view_->State(row).starts_with(c.states[row]))
          << view_->State(row);
      EXPECT_EQ(view_->colours[row],
                c.red[row] ? std::optional(kRed) : std::optional<Colour>());
    }
    // A plan of rows edited since is never shown.
    for (const std::string& state : view_->statesShown)
      EXPECT_TRUE(state == "Planning..." || state == view_->State(0) ||
                  state == view_->State(1))
          << state;
    EXPECT_EQ(view_->enabled[ManyControl::cmdRename], c.canRename);
    EXPECT_EQ(view_->status, c.status);
  }
}

TEST_F(ManyTrendsFormTest, EachActionSaysWhatStoppedIt) {
  test::TempFolder other;
  TrendRecipe invalid;
  invalid.name = "Bad";
  invalid.version = 7;
  test::WriteTrend(other.path(), invalid);
  test::WriteFile(other.path() / "Gone.csv",
                  folder_.File("Gone.HST") + ",T,C:\\T\n");
  const std::string taken = other.File("Gone.csv");
  std::string gone25;
  for (int i = 0; i < 25; ++i)
    gone25 += folder_.File("Gone" + std::to_string(i) + ".HST") + ",T,C:\\T\n";
  test::WriteFile(other.path() / "Gone25.csv", gone25);
  using Act = std::function<void(ManyTrendsForm&, RecordingView&)>;
  struct Case {
    std::string what;
    Act act;
    std::vector<Shown> shown;  // how each message starts
    std::string folder;        // the folder shown after it
    // The heading of the report that shows a message too long for a box.
    std::string report = "";
  } cases[] = {
      {"a folder that cannot be listed",
       [&](ManyTrendsForm& form, RecordingView&) {
         form.Form_Load(folder_.File("Missing"));
       },
       {{MessageLook::kCritical, "Could not list the folder: "}},
       folder_.File("")},
      {"a trend that cannot be read",
       [&](ManyTrendsForm& form, RecordingView& view) {
         view.answers[PathQuestion::kFolder] = other.File("");
         form.cmdBrowse_Click();
       },
       {{MessageLook::kExclamation,
         "These trends could not be read and are not shown:\n" +
             other.File("Bad.HST") + ": Invalid Trend Version 7"}},
       other.File("")},
      {"find and replace with no row selected",
       [](ManyTrendsForm& form, RecordingView&) {
         form.cmdReplace_Click({}, {"A", "B"});
       },
       {{MessageLook::kExclamation,
         "Select the rows to replace in first (Ctrl+A selects all)."}},
       folder_.File("")},
      {"find and replace finding nothing",
       [](ManyTrendsForm& form, RecordingView&) {
         form.cmdReplace_Click({0, 1}, {"Zz", "B", ReplaceIn::kBoth, true});
       },
       {{MessageLook::kNoIcon,
         "'Zz' is not in the New tag or New path of the selected rows."}},
       folder_.File("")},
      {"find and replace in the path of text only in the tag",
       [](ManyTrendsForm& form, RecordingView&) {
         form.grdTrends_CellEdited(0, ManyColumn::kNewTag, "OLD_A");
         form.cmdReplace_Click({0}, {"OLD_", "X", ReplaceIn::kPath, false});
         form.grdTrends_CellEdited(0, ManyColumn::kNewTag, "A");
       },
       {{MessageLook::kNoIcon,
         "'OLD_' is not in the New path of the selected rows; it is in their "
         "New tag."}},
       folder_.File("")},
      {"find and replace in the tag of text only in the path",
       [](ManyTrendsForm& form, RecordingView&) {
         form.cmdReplace_Click({0}, {"Old", "X", ReplaceIn::kTag, false});
       },
       {{MessageLook::kNoIcon,
         "'Old' is not in the New tag of the selected rows; it is in their "
         "New path."}},
       folder_.File("")},
      {"Undo last run before any run",
       [](ManyTrendsForm& form, RecordingView&) { form.cmdUndo_Click(); },
       {{MessageLook::kExclamation, "There is no run to undo."}},
       folder_.File("")},
      {"an imported list naming another trend",
       [&](ManyTrendsForm& form, RecordingView& view) {
         view.answers[PathQuestion::kImport] = taken;
         form.cmdImport_Click();
       },
       {{MessageLook::kExclamation, taken + ":1: '" + folder_.File("Gone.HST") +
                                        "' is not a trend of this folder\n"}},
       folder_.File("")},
      {"an imported list of 25 rows naming other trends",
       [&](ManyTrendsForm& form, RecordingView& view) {
         view.answers[PathQuestion::kImport] = other.File("Gone25.csv");
         form.cmdImport_Click();
       },
       {},
       folder_.File(""),
       other.File("Gone25.csv") + ":1: '" + folder_.File("Gone0.HST") +
           "' is not a trend of this folder"},
      {"an export onto a file that exists",
       [&](ManyTrendsForm& form, RecordingView& view) {
         view.answers[PathQuestion::kExport] = taken;
         form.cmdExport_Click();
       },
       {{MessageLook::kExclamation, "Could not export the list: "}},
       folder_.File("")},
      {"every dialog cancelled",
       [](ManyTrendsForm& form, RecordingView&) {
         form.cmdBrowse_Click();
         form.cmdImport_Click();
         form.cmdExport_Click();
       },
       {},
       folder_.File("")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Open(folder_.File(""));
    ManyTable before = view_->cells;
    c.act(*form_, *view_);
    Settle();
    ASSERT_EQ(view_->shown.size(), c.shown.size());
    for (std::size_t i = 0; i < c.shown.size(); ++i) {
      EXPECT_EQ(view_->shown[i].look, c.shown[i].look);
      EXPECT_TRUE(view_->shown[i].text.starts_with(c.shown[i].text))
          << view_->shown[i].text;
    }
    ASSERT_EQ(view_->reports.size(), c.report.empty() ? 0u : 1u);
    if (!c.report.empty()) {
      EXPECT_EQ(view_->reports[0].heading, c.report);
      EXPECT_EQ(view_->reports[0].log.size(), 24u);
    }
    EXPECT_EQ(view_->folder, c.folder);
    if (c.folder == folder_.File("")) {
      EXPECT_EQ(view_->cells, before);
    }
  }
  EXPECT_EQ(test::ReadFile(other.path() / "Gone.csv"),
            folder_.File("Gone.HST") + ",T,C:\\T\n");
}

TEST_F(ManyTrendsFormTest, SortedAndFilteredRowsStillEditTheirOwnTrend) {
  Open(folder_.File(""));
  // B to A's name: refused.
  form_->grdTrends_CellEdited(1, ManyColumn::kNewPath, "C:\\Old\\A");
  Settle();
  using Act = std::function<void(ManyTrendsForm&)>;
  struct Step {
    std::string what;
    Act act;
    std::vector<std::string> files;  // the File column as shown
    std::vector<std::size_t> selected;
  } steps[] = {
      {"sort on File",
       [](ManyTrendsForm& f) { f.grdTrends_HeaderClick(ManyColumn::kFile); },
       {"A.HST", "B.HST"},
       {}},
      {"and again, the other way",
       [](ManyTrendsForm& f) { f.grdTrends_HeaderClick(ManyColumn::kFile); },
       {"B.HST", "A.HST"},
       {}},
      {"next problem from the top, then from it",
       [](ManyTrendsForm& f) {
         f.grdTrends_NextProblem(std::nullopt);
         f.grdTrends_NextProblem(0);
         f.grdTrends_NextProblem(1);
       },
       {"B.HST", "A.HST"},
       {0, 0, 0}},
      {"an edit of the first row shown",
       [](ManyTrendsForm& f) {
         f.grdTrends_CellEdited(0, ManyColumn::kNewTag, "NEW_B");
       },
       {"B.HST", "A.HST"},
       {}},
      {"problems only",
       [](ManyTrendsForm& f) { f.chkProblems_Click(true); },
       {"B.HST"},
       {}},
      {"the problem put right leaves the filtered table",
       [](ManyTrendsForm& f) { f.cmdSet_Click(0, "NEW_B", "D:\\New\\B"); },
       {},
       {}},
      {"no problem to go to",
       [](ManyTrendsForm& f) { f.grdTrends_NextProblem(std::nullopt); },
       {},
       {}},
      {"every row again",
       [](ManyTrendsForm& f) { f.chkProblems_Click(false); },
       {"B.HST", "A.HST"},
       {}},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    view_->selected.clear();
    step.act(*form_);
    Settle();
    std::vector<std::string> files;
    for (std::size_t row = 0; row < view_->cells.size(); ++row)
      files.push_back(view_->Cell(row, ManyColumn::kFile));
    EXPECT_EQ(files, step.files);
    EXPECT_EQ(view_->selected, step.selected);
  }
  const ManyRow& b = form_->model().rows().at(1);
  EXPECT_EQ(b.newTag + "|" + b.newPath, "NEW_B|D:\\New\\B");
  EXPECT_EQ(form_->model().rows().at(0).newTag, "A");
  EXPECT_EQ(view_->State(0), "Will rename");
}

TEST_F(ManyTrendsFormTest, RenameThenUndoLastRunPutsEveryFileBack) {
  test::FolderImage before = Image();
  Open(folder_.File(""));
  form_->cmdReplace_Click({0, 1}, {"\\old\\", "\\New\\X", ReplaceIn::kPath});
  form_->cmdSet_Click(1, "Pump 7", view_->Cell(1, ManyColumn::kNewPath));
  Settle();
  EXPECT_EQ(view_->Cell(0, ManyColumn::kNewPath), "C:\\New\\XA");
  EXPECT_EQ(view_->Cell(1, ManyColumn::kNewTag), "Pump 7");
  ASSERT_TRUE(view_->enabled[ManyControl::cmdRename]);

  form_->cmdRename_Click();
  EXPECT_EQ(view_->status, "Renaming...");
  ExpectRunControls(true);
  Settle();
  EXPECT_TRUE(view_->shown.empty());
  ASSERT_EQ(view_->reports.size(), 1u);
  EXPECT_TRUE(view_->reports[0].ok);
  EXPECT_EQ(view_->reports[0].counts,
            "2 renamed, 0 unchanged, 0 refused, 0 failed, 0 not run");
  EXPECT_EQ(view_->progress,
            (std::vector<std::string>{"clear", "0/2", "1/2", "2/2"}));
  // The folder is read again, behind the report.
  EXPECT_EQ(view_->fileAtReport, "XA.HST");
  EXPECT_EQ(view_->Cell(1, ManyColumn::kFile), "XB.HST");
  EXPECT_EQ(view_->Cell(1, ManyColumn::kTag), "Pump 7");
  EXPECT_EQ(view_->State(1), "Unchanged");
  EXPECT_EQ(view_->status, "2 trends, 0 changed, 0 refused or in conflict");

  form_->cmdUndo_Click();
  Settle();
  EXPECT_EQ(view_->asked,
            (std::vector<std::string>{
                "Rename 2 trends in " + test::Utf8Of(folder_.path()) + "?",
                "Undo last run: rename 2 trends in " +
                    test::Utf8Of(folder_.path()) + " back?"}));
  ASSERT_EQ(view_->reports.size(), 2u);
  EXPECT_EQ(view_->reports[1].heading,
            "Undo last run: every trend was renamed back.");
  EXPECT_EQ(Image(), before);
  EXPECT_EQ(view_->Cell(0, ManyColumn::kFile), "A.HST");
}

TEST_F(ManyTrendsFormTest, NoToAQuestionRunsAndClosesNothing) {
  test::FolderImage before = Image();
  Open(folder_.File(""));
  EXPECT_TRUE(form_->Form_QueryUnload());
  EXPECT_TRUE(view_->asked.empty());
  form_->grdTrends_CellEdited(0, ManyColumn::kNewPath, "D:\\A2");
  Settle();
  view_->yes = false;
  form_->cmdRename_Click();
  EXPECT_FALSE(form_->busy());
  EXPECT_FALSE(form_->Form_QueryUnload());
  view_->folder = "typed";
  form_->txtFolder_Entered(folder_.File(""));
  EXPECT_EQ(view_->Cell(0, ManyColumn::kNewPath), "D:\\A2");
  EXPECT_EQ(view_->folder, folder_.File(""));
  view_->yes = true;
  EXPECT_TRUE(form_->Form_QueryUnload());
  EXPECT_EQ(view_->asked,
            (std::vector<std::string>{
                "Rename 1 trend in " + test::Utf8Of(folder_.path()) + "?",
                "The edits of 1 trend have not been run. Close and lose them?",
                "The edits of 1 trend have not been run. Open " +
                    test::Utf8Of(folder_.path()) + " and lose them?",
                "The edits of 1 trend have not been run. Close and lose "
                "them?"}));
  EXPECT_EQ(Image(), before);
  EXPECT_TRUE(std::filesystem::is_empty(runs_.path()));

  form_->cmdRename_Click();
  Settle();
  ASSERT_EQ(view_->reports.size(), 1u);
  test::FolderImage renamed = Image();
  view_->yes = false;
  form_->cmdUndo_Click();
  EXPECT_FALSE(form_->busy());
  EXPECT_EQ(view_->asked.back(), "Undo last run: rename 1 trend in " +
                                     test::Utf8Of(folder_.path()) + " back?");
  EXPECT_EQ(Image(), renamed);
  EXPECT_EQ(view_->reports.size(), 1u);
}

TEST_F(ManyTrendsFormTest, CancelOrClosingStopsTheRunAtItsTrend) {
  test::FolderImage before = Image();
  for (bool close : {false, true}) {
    SCOPED_TRACE(close ? "closing" : "Cancel");
    Open(folder_.File(""));
    form_->grdTrends_CellEdited(0, ManyColumn::kNewPath, "D:\\A2");
    form_->grdTrends_CellEdited(1, ManyColumn::kNewPath, "D:\\B2");
    Settle();
    view_->HoldWorker(true);
    form_->cmdRename_Click();
    // The run's first trend has not started yet.
    ASSERT_TRUE(view_->WaitForTask());
    if (close)
      form_->Form_Unload();
    else
      form_->cmdCancel_Click();
    view_->HoldWorker(false);
    Settle();
    ASSERT_EQ(view_->reports.size(), 1u);
    const RunReport& report = view_->reports[0];
    EXPECT_FALSE(report.ok);
    EXPECT_EQ(report.heading, "Rename: stopped on request.");
    EXPECT_EQ(report.counts,
              "0 renamed, 0 unchanged, 0 refused, 0 failed, 2 not run");
    EXPECT_EQ(Image(), before);
    EXPECT_EQ(view_->State(0), "Unchanged");
  }
}

TEST_F(ManyTrendsFormTest, RecoverPutsBackTheInterruptedTrend) {
  test::FolderImage before = Image();
  ASSERT_TRUE(test::InterruptRename(folder_.File("B.HST"), "open", "B.001"));
  Open(folder_.File(""));
  EXPECT_EQ(view_->State(1), "Interrupted: run Recover");
  EXPECT_EQ(view_->colours[1], kRed);
  EXPECT_EQ(view_->status,
            "2 trends, 0 changed, 0 refused or in conflict, 1 interrupted");
  ASSERT_TRUE(view_->enabled[ManyControl::cmdRecover]);

  form_->cmdRecover_Click();
  EXPECT_EQ(view_->status, "Recovering...");
  ExpectRunControls(false);
  Settle();
  ASSERT_EQ(view_->reports.size(), 1u);
  EXPECT_TRUE(view_->reports[0].ok);
  EXPECT_EQ(view_->reports[0].counts,
            "1 put back, 0 left renamed, 0 untouched, 0 not recovered");
  EXPECT_EQ(Image(), before);
  EXPECT_EQ(view_->Cell(1, ManyColumn::kFile), "B.HST");
  EXPECT_FALSE(view_->colours[1].has_value());
  EXPECT_FALSE(view_->enabled[ManyControl::cmdRecover]);
}

TEST_F(ManyTrendsFormTest, ADamagedTrendIsAProblemWithEveryDamageInItsTip) {
  std::filesystem::remove(folder_.path() / "B.001");
  test::WriteFile(folder_.path() / "B.007", "x");
  Open(folder_.File(""));
  EXPECT_EQ(view_->State(1).substr(0, 17), "Damaged: B.001: e");
  EXPECT_EQ(view_->colours[1], kRed);
  EXPECT_EQ(view_->tips[1], form_->model().StateTooltip(1));
  EXPECT_NE(view_->tips[1].find("\nB.007: "), std::string::npos);
  EXPECT_EQ(view_->tips[0], view_->State(0));
  form_->chkProblems_Click(true);
  Settle();
  ASSERT_EQ(view_->cells.size(), 1u);
  EXPECT_EQ(view_->Cell(0, ManyColumn::kFile), "B.HST");
}

}  // namespace
}  // namespace morvelle
