#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "FailingEnv.h"
#include "TrendFixture.h"
#include "trend/BulkRename.h"
#include "trend/FolderIndex.h"
#include "trend/TrendTools.h"

namespace morvelle {
namespace {

namespace fs = std::filesystem;
using test::FolderImage;
using test::TrendRecipe;

std::vector<std::string> Names(const TrendFiles& files) {
  std::vector<std::string> names = files.dataFiles;
  for (const SkippedFile& file : files.skipped)
    names.push_back(file.name + ": " + file.reason);
  for (const std::string& name : files.ambiguous)
    names.push_back(name + ": ambiguous");
  return names;
}

TEST(FolderIndexTest, FindsTheSameFilesAsTheWholeListing) {
  std::vector<FolderEntry> listing;
  for (const char* name :
       {"Trend1.HST", "Trend1.000", "TREND1.001", "Trend1.old.001",
        "Trend1.old.HST", "Trend1.old.002", "Trend1.", "Trend1", "Trend10.000",
        "Trend1.bak", "trend1.hst", "A.B.C.000", "A.B.C.HST", "A.B.000",
        "a.b.c.d", ".000", "..HST"})
    listing.push_back({name, EntryType::kRegular});
  listing.push_back({"Trend1.002", EntryType::kDirectory});
  FolderIndex index(listing);
  struct Case {
    std::string base, history;
    std::vector<std::string> names;
  } cases[] = {
      // trend1.hst makes two trends whose names differ in case only.
      {"Trend1",
       "Trend1.HST",
       {"Trend1.000", "Trend1.: not a data file name", "Trend1.002: a folder",
        "Trend1.bak: not a data file name",
        "Trend1.old.001: not a data file name",
        "Trend1.old.002: not a data file name",
        "Trend1.old.HST: not a data file name",
        "trend1.hst: another history file", "TREND1.001: ambiguous"}},
      {"trend1",
       "trend1.hst",
       {"Trend1.: not a data file name",
        "Trend1.000: a data file of the "
        "trend Trend1.HST",
        "Trend1.002: a folder", "Trend1.HST: another history file",
        "Trend1.bak: not a data file name",
        "Trend1.old.001: not a data file name",
        "Trend1.old.002: not a data file name",
        "Trend1.old.HST: not a data file name", "TREND1.001: ambiguous"}},
      {"Trend1.old", "Trend1.old.HST", {"Trend1.old.001", "Trend1.old.002"}},
      {"TREND1.OLD",
       "TREND1.OLD.HST",
       {"Trend1.old.001: a data file of the trend Trend1.old.HST",
        "Trend1.old.002: a data file of the trend Trend1.old.HST",
        "Trend1.old.HST: another history file"}},
      {"A.B.C", "A.B.C.HST", {"A.B.C.000", "a.b.c.d: not a data file name"}},
      {"A.B",
       "A.B.HST",
       {"A.B.000", "A.B.C.000: not a data file name",
        "A.B.C.HST: not a data file name", "a.b.c.d: not a data file name"}},
      {"", "..HST", {".000"}},
      {"Trend", "Trend.HST", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.base);
    EXPECT_EQ(Names(FindTrendFiles(index, c.base, c.history)), c.names);
    EXPECT_EQ(Names(FindTrendFiles(listing, c.base, c.history)), c.names);
  }
  EXPECT_TRUE(index.HoldsNameFolded("trend1.OLD.001"));
  EXPECT_FALSE(index.HoldsNameFolded("Trend1.old.00"));
  EXPECT_FALSE(index.HoldsNameFolded("Trend1.003"));
}

// Writes the trend `name` (files `name`.HST, .000, .001, .002) into
// `folder`; returns its history file.
std::string WriteNamed(const fs::path& folder, const std::string& name) {
  TrendRecipe recipe;
  recipe.name = name;
  recipe.entryPath = "C:\\Data\\" + name;
  recipe.tag = name;
  recipe.seed = static_cast<std::uint32_t>(std::hash<std::string>()(name));
  return test::WriteTrend(folder, recipe);
}

TEST(PlanRenamesTest, ListsEachFolderOnceAndStatsOnlyWhatTheListingHolds) {
  test::TempFolder folder;
  std::vector<RenameRequest> requests;
  for (int i = 0; i < 20; ++i) {
    std::string name = "T" + std::to_string(i);
    requests.push_back({WriteNamed(folder.path(), name), name + "X",
                        "C:\\New\\" + name + "X"});
  }
  for (int i = 0; i < 200; ++i)
    test::WriteFile(folder.path() / ("Other" + std::to_string(i)), "x");
  test::FailingEnv env(Env::Default());
  std::vector<PlannedRename> rows = PlanRenames(env, requests);
  for (const PlannedRename& row : rows)
    EXPECT_EQ(row.outcome, RenameOutcome::kRenamed) << row.failure.ToString();
  EXPECT_EQ(env.callsOf("list folder"), 1);
  // One look at the folder, for its identity. The listing describes each
  // history file, a file to rewrite is described by its open when the
  // rename runs, and no new name is in the listing, so none is asked about.
  EXPECT_EQ(env.callsOf("stat"), 1);
}

TEST(PlanRenamesTest, RowsThatMeetAreRefusedWithTheEarlierRowNamed) {
  struct Case {
    std::string what;
    std::vector<RenameRequest> requests;  // file names in the folder
    std::size_t refused, conflictsWith;
    std::string message;
  } cases[] = {
      {"two trends bound for one name",
       {{"A.HST", "N", "C:\\N"},
        {"B.HST", "M", "C:\\X"},
        {"C.HST", "N2", "D:\\Else\\n"}},
       2,
       0,
       "another row renames a file to that name too"},
      {"two trends bound for one name in different folders of the table",
       {{"A.HST", "N", "C:\\N"}, {"B.HST", "M", "E:\\N"}},
       1,
       0,
       "another row renames a file to that name too"},
      {"a trend renamed onto another in the list",
       {{"A.HST", "B", "C:\\B"}, {"B.HST", "D", "C:\\D"}},
       0,
       kNoRequest,
       "already exists"},
      {"the other order",
       {{"B.HST", "D", "C:\\D"}, {"A.HST", "B", "C:\\B"}},
       1,
       kNoRequest,
       "already exists"},
      {"onto another trend in the list in another letter case",
       {{"A.HST", "b", "C:\\b"}, {"B.HST", "D", "C:\\D"}},
       0,
       kNoRequest,
       // Taken where names fold, the other trend's files would join it
       // where they do not.
       "Cannot rename"},
      {"the same trend twice",
       {{"A.HST", "X", "C:\\X"}, {"./A.HST", "Y", "C:\\Y"}},
       1,
       0,
       "is a file of another row's trend too"},
      {"history files that differ in case",
       {{"C.HST", "X", "C:\\X"}, {"c.hst", "Y", "C:\\Y"}},
       1,
       0,
       "is a file of another row's trend too"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    test::TempFolder folder;
    for (const char* name : {"A", "B", "C"}) WriteNamed(folder.path(), name);
    test::WriteFile(folder.path() / "c.hst",
                    test::ReadFile(folder.path() / "C.HST"));
    FolderImage before = test::ReadFolder(folder.path());
    std::vector<RenameRequest> requests = c.requests;
    for (RenameRequest& request : requests)
      request.hstPath = folder.File(request.hstPath);
    std::vector<PlannedRename> rows = PlanRenames(Env::Default(), requests);
    for (std::size_t i = 0; i < rows.size(); ++i) {
      SCOPED_TRACE(i);
      EXPECT_EQ(rows[i].outcome, i == c.refused ? RenameOutcome::kRefused
                                                : RenameOutcome::kRenamed)
          << rows[i].failure.ToString();
    }
    EXPECT_EQ(rows[c.refused].conflictsWith, c.conflictsWith);
    EXPECT_NE(rows[c.refused].failure.ToString().find(c.message),
              std::string::npos)
        << rows[c.refused].failure.ToString();
    EXPECT_EQ(test::ReadFolder(folder.path()), before);
  }
}

TEST(PlanRenamesTest, UndoRequestRenamesBackOrSaysWhyItCannot) {
  struct Case {
    std::string what;
    int version = 5;
    std::string newPath = "C:\\New\\B";
    std::function<void(const fs::path&)> change;
    std::string problem;  // empty: the undo restores everything
  } cases[] = {
      {"a sound trend", 5, "C:\\New\\B", {}, ""},
      {"version 4", 4, "C:\\New\\B", {}, ""},
      {"only the folder changes", 5, "D:\\Moved\\A", {}, ""},
      {"entries with different paths", 5, "C:\\New\\B",
       [](const fs::path& hst) {
         std::string bytes = test::ReadFile(hst);
         bytes.replace(176 + 288, 144, test::Field("C:\\Older\\A.001", 144));
         test::WriteFile(hst, bytes);
       },
       "entry 1 of its table would not get its path and tag back"},
      {"bytes after the tag's NUL", 5, "C:\\New\\B",
       [](const fs::path& hst) {
         std::string bytes = test::ReadFile(hst);
         bytes[176 + 160 + 70] = 'j';
         test::WriteFile(hst, bytes);
       },
       "entry 0 of its table"},
      {"a new path cut to its field, extension lost",
       5,
       "C:\\" + std::string(139, 'p'),
       {},
       "entry 0 of its table"},
      {"files not named after the path", 5, "C:\\New\\B",
       [](const fs::path& hst) {
         std::string bytes = test::ReadFile(hst);
         for (int i = 0; i < 4; ++i)
           bytes.replace(
               176 + i * 288, 144,
               test::Field("C:\\Old\\Pump.00" + std::to_string(i % 3), 144));
         test::WriteFile(hst, bytes);
       },
       "'A.HST' would come back as 'Pump.HST'"},
      {"a data file named in other case", 5, "C:\\New\\B",
       // Written anew rather than renamed: a rename in case only keeps the
       // old spelling on some case-folding file systems.
       [](const fs::path& hst) {
         fs::path folder = hst.parent_path();
         std::string bytes = test::ReadFile(folder / "A.001");
         fs::remove(folder / "A.001");
         test::WriteFile(folder / "a.001", bytes);
       },
       "'a.001' would come back as 'A.001'"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    test::TempFolder folder;
    TrendRecipe recipe;
    recipe.name = "A";
    recipe.version = c.version;
    recipe.entryPath = "C:\\Old\\A";
    recipe.tag = "Old tag";
    std::string hst = test::WriteTrend(folder.path(), recipe);
    if (c.change) c.change(hst);
    FolderImage before = test::ReadFolder(folder.path());

    std::vector<PlannedRename> rows =
        PlanRenames(Env::Default(), {{hst, "New tag", c.newPath}});
    ASSERT_EQ(rows[0].outcome, RenameOutcome::kRenamed)
        << rows[0].failure.ToString();
    Status inexact;
    RenameRequest undo = UndoRequest(rows[0].plan, &inexact);
    const std::string problem = inexact.ok() ? "" : inexact.ToString();
    EXPECT_EQ(problem.substr(0, c.problem.size()), c.problem) << problem;
    EXPECT_EQ(problem.empty(), c.problem.empty()) << problem;
    ASSERT_TRUE(ExecuteRenamePlan(Env::Default(), rows[0].plan).ok());

    rows = PlanRenames(Env::Default(), {undo});
    ASSERT_EQ(rows[0].outcome, RenameOutcome::kRenamed)
        << rows[0].failure.ToString();
    ASSERT_TRUE(ExecuteRenamePlan(Env::Default(), rows[0].plan).ok());
    EXPECT_EQ(test::ReadFolder(folder.path()) == before, c.problem.empty());
  }
}

}  // namespace
}  // namespace morvelle
