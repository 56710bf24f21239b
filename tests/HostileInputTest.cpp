// Trend folders that hold what no trend should: links, folders and devices
// under trend file names, files with other names elsewhere, tables that
// claim more than the file holds, files that change between the check and
// the rename. Each is refused with a message or handled as documented, and
// nothing outside the trend's folder is ever written.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/types.h>

#include <filesystem>
#include <functional>
#include <map>

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

// Every entry below a folder, with the bytes of its regular files and the
// target of its links.
std::map<std::string, std::string> Tree(const fs::path& root) {
  std::map<std::string, std::string> tree;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    std::string name = entry.path().lexically_relative(root).string();
    if (entry.is_symlink())
      tree[name] = "link to " + fs::read_symlink(entry.path()).string();
    else if (entry.is_regular_file())
      tree[name] = test::ReadFile(entry.path());
    else
      tree[name] = entry.is_directory() ? "folder" : "other";
  }
  return tree;
}

// A trend in root/trend beside a folder root/outside holding a valid
// trend of its own.
class HostileInputTest : public ::testing::Test {
 protected:
  HostileInputTest()
      : trend_(root_.path() / "trend"), outside_(root_.path() / "outside") {
    fs::create_directories(trend_);
    fs::create_directories(outside_);
    TrendRecipe other = recipe_;
    other.name = "Victim";
    other.seed = 99;
    test::WriteTrend(outside_, other);
  }

  std::string WriteTrend() { return test::WriteTrend(trend_, recipe_); }
  std::string InTrend(const std::string& name) const {
    return (trend_ / name).string();
  }
  RenameReport Rename(const std::string& hst) {
    return shown_.Tell(RenameTrend(Env::Default(), hst, kNewPath, kNewTag));
  }
  // The one message the user was shown.
  std::string Message() const {
    EXPECT_EQ(shown_.warnings.size() + shown_.criticals.size(), 1u);
    return shown_.warnings.empty() ? shown_.criticals.at(0)
                                   : shown_.warnings.at(0);
  }

  TrendRecipe recipe_;
  test::TempFolder root_;
  fs::path trend_, outside_;
  test::MessageLog shown_;
};

TEST_F(HostileInputTest, DataFileNamesHoldingLinksAndFoldersAreLeftAlone) {
  std::string hst = WriteTrend();
  fs::create_symlink(outside_ / "Victim.000", trend_ / "Trend1.003");
  fs::create_symlink(outside_ / "missing", trend_ / "Trend1.004");
  fs::create_directory(trend_ / "Trend1.005");
  test::WriteFile(trend_ / "Trend1.005" / "Trend1.000", "inside a folder");
  auto outside_before = Tree(outside_);
  FolderImage before = test::ReadFolder(trend_);

  RenameReport report = Rename(hst);

  ASSERT_TRUE(report.ok()) << report.failure.ToString();
  EXPECT_EQ(test::ReadFolder(trend_),
            test::ExpectedAfterRename(recipe_, before, kNewPath, kNewTag));
  auto after = Tree(trend_);
  EXPECT_EQ(after["Trend1.003"],
            "link to " + (outside_ / "Victim.000").string());
  EXPECT_EQ(after["Trend1.004"], "link to " + (outside_ / "missing").string());
  EXPECT_EQ(after["Trend1.005/Trend1.000"], "inside a folder");
  EXPECT_EQ(Tree(outside_), outside_before);
  EXPECT_EQ(test::SkippedLines(report.plan),
            (std::vector<std::string>{"Trend1.003: a symbolic link",
                                      "Trend1.004: a symbolic link",
                                      "Trend1.005: a folder"}));
}

// A link or a folder under a new name is a name taken like any other.
TEST_F(HostileInputTest, LinkOrFolderUnderANewNameIsAConflict) {
  for (const char* name : {"Trend1A.001", "Trend1A.HST"}) {
    for (bool folder : {false, true}) {
      SCOPED_TRACE(std::string(name) + (folder ? " folder" : " link"));
      test::TempFolder scratch;
      std::string hst = test::WriteTrend(scratch.path(), recipe_);
      if (folder)
        fs::create_directory(scratch.path() / name);
      else
        fs::create_symlink(outside_ / "Victim.000", scratch.path() / name);
      auto before = Tree(scratch.path());
      auto outside_before = Tree(outside_);
      shown_.warnings.clear();
      RenameReport report = Rename(hst);
      EXPECT_EQ(report.outcome, RenameOutcome::kRefused);
      EXPECT_NE(Message().find(std::string(name) + "' already exists"),
                std::string::npos);
      EXPECT_EQ(Tree(scratch.path()), before);
      EXPECT_EQ(Tree(outside_), outside_before);
    }
  }
}

// A history file that is a link, a folder or a fifo is refused by both
// operations before it is opened: a fifo would block a read, a link would
// be renamed instead of the trend.
TEST_F(HostileInputTest, HistoryFileThatIsNotARegularFileIsRefused) {
  struct Case {
    const char* what;
    std::function<void(const fs::path&)> make;
    const char* message;
  } cases[] = {
      {"link",
       [&](const fs::path& p) {
         fs::create_symlink(outside_ / "Victim.HST", p);
       },
       "' is a symbolic link; choose the history file it points to"},
      {"folder", [](const fs::path& p) { fs::create_directory(p); },
       "' is a folder, not a history file"},
      {"fifo", [](const fs::path& p) { ASSERT_EQ(mkfifo(p.c_str(), 0600), 0); },
       "' is not a regular file (a device, a pipe or a socket), so it cannot "
       "be a history file"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    test::TempFolder scratch;
    TrendRecipe recipe = recipe_;
    test::WriteTrend(scratch.path(), recipe);
    fs::path hst = scratch.path() / "Trend1.HST";
    fs::remove(hst);
    c.make(hst);
    auto before = Tree(scratch.path());
    auto outside_before = Tree(outside_);

    shown_ = {};
    RenameReport report = Rename(hst.string());
    EXPECT_EQ(report.outcome, RenameOutcome::kInvalidTrend);
    EXPECT_EQ(Message(), "'" + hst.string() + c.message);

    shown_ = {};
    TrendInfo info = shown_.Tell(ReadTrendInfo(Env::Default(), hst.string()));
    EXPECT_EQ(Message(), "'" + hst.string() + c.message);
    EXPECT_EQ(info.pathWidth, 0);
    EXPECT_TRUE(info.tag.empty());

    EXPECT_EQ(Tree(scratch.path()), before);
    EXPECT_EQ(Tree(outside_), outside_before);
  }
}

TEST_F(HostileInputTest, HistoryFileThatIsADeviceIsRefused) {
  test::MemEnv env;
  ASSERT_TRUE(env.AddDevice("/t/Trend1.HST"));
  ASSERT_TRUE(env.AddFile("/t/Trend1.000", test::DataFileBytes(recipe_, 0)));
  auto before = env.Tree();
  RenameReport report =
      shown_.Tell(RenameTrend(env, "/t/Trend1.HST", kNewPath, kNewTag));
  EXPECT_EQ(report.outcome, RenameOutcome::kInvalidTrend);
  EXPECT_NE(Message().find("is not a regular file (a device"),
            std::string::npos);
  EXPECT_EQ(env.Tree(), before);
  EXPECT_EQ(*env.Bytes("/t/Trend1.000"), test::DataFileBytes(recipe_, 0));
}

// A file with a second name, say in a backup made with hard links, would
// change under that name too. The history file is refused up front; a data
// file when the rename opens it, which puts back what it did.
TEST_F(HostileInputTest, FileWithOtherNamesIsRefused) {
  struct Case {
    const char* name;
    RenameOutcome outcome;
  } cases[] = {{"Trend1.HST", RenameOutcome::kRefused},
               {"Trend1.002", RenameOutcome::kRolledBack}};
  for (const auto& [name, outcome] : cases) {
    SCOPED_TRACE(name);
    test::TempFolder scratch;
    std::string hst = test::WriteTrend(scratch.path(), recipe_);
    fs::create_hard_link(scratch.path() / name, outside_ / name);
    auto before = Tree(scratch.path());
    auto outside_before = Tree(outside_);
    shown_ = {};
    RenameReport report = Rename(hst);
    EXPECT_EQ(report.outcome, outcome);
    EXPECT_NE(Message().find(std::string(name) +
                             "': the file has 2 names (hard links)"),
              std::string::npos)
        << Message();
    EXPECT_EQ(Tree(scratch.path()), before);
    EXPECT_EQ(Tree(outside_), outside_before);
    fs::remove(outside_ / name);
  }
}

// EntryCount and ExtraCount of 32767 each claim 65,534 entries: 29 MB of
// table in version 6. A file that holds them all is renamed; one that ends
// early is refused rather than grown to that size.
TEST_F(HostileInputTest, TableClaimingTheMostEntries) {
  TrendRecipe recipe = recipe_;
  recipe.version = 6;
  recipe.entryCount = 32767;
  recipe.extraCount = 32767;
  recipe.dataExtensions = {"000"};
  std::string hst = test::WriteTrend(trend_, recipe);
  FolderImage before = test::ReadFolder(trend_);
  std::string full = before.at("Trend1.HST");
  ASSERT_EQ(full.size(), 176u + 65534u * 448u);
  RenameReport report = Rename(hst);
  ASSERT_TRUE(report.ok()) << report.failure.ToString();
  EXPECT_TRUE(test::ReadFolder(trend_) ==
              test::ExpectedAfterRename(recipe, before, kNewPath, kNewTag));

  for (std::size_t kept :
       {std::size_t{176}, std::size_t{176 + 2 * 448}, std::size_t{20000}}) {
    SCOPED_TRACE(kept);
    fs::remove_all(trend_);
    fs::create_directories(trend_);
    test::WriteFile(hst, full.substr(0, kept));
    test::WriteFile(trend_ / "Trend1.000", before.at("Trend1.000"));
    FolderImage short_before = test::ReadFolder(trend_);
    shown_ = {};
    EXPECT_EQ(Rename(hst).outcome, RenameOutcome::kInvalidTrend);
    EXPECT_EQ(Message(),
              "The file table of '" + hst +
                  "' is cut short: 65534 entries (EntryCount 32767, "
                  "ExtraCount 32767) need 29359408 bytes, the file holds " +
                  std::to_string(kept));
    EXPECT_EQ(test::ReadFolder(trend_), short_before);
  }
  // Inspection reads entry 0 only, whatever the counts claim.
  shown_ = {};
  TrendInfo info = shown_.Tell(ReadTrendInfo(Env::Default(), hst));
  EXPECT_EQ(info.path, recipe.entryPath);
  EXPECT_TRUE(shown_.criticals.empty());
}

TEST_F(HostileInputTest, DataFileShorterThanItsHeaderIsRefused) {
  std::string hst = WriteTrend();  // version 5: 272-byte data headers
  test::WriteFile(trend_ / "Trend1.001", std::string(271, 'd'));
  FolderImage before = test::ReadFolder(trend_);
  RenameReport report = Rename(hst);
  EXPECT_EQ(report.outcome, RenameOutcome::kRolledBack);
  EXPECT_NE(Message().find("check '" + InTrend("Trend1.001") +
                           "': the data file is 271 bytes long, shorter "
                           "than the 272-byte header of this trend's data "
                           "files; it may be damaged"),
            std::string::npos)
      << Message();
  EXPECT_EQ(test::ReadFolder(trend_), before);
}

// A trend in memory at /t: its history file, its data files and `extra`.
std::string WriteInMemory(test::MemEnv* env, const TrendRecipe& recipe,
                          const std::vector<std::string>& extra = {}) {
  for (std::size_t i = 0; i < recipe.dataExtensions.size(); ++i)
    env->AddFile("/t/" + recipe.name + "." + recipe.dataExtensions[i],
                 test::DataFileBytes(recipe, i));
  for (const std::string& name : extra)
    env->AddFile("/t/" + name, "another program's " + name);
  std::string hst = "/t/" + recipe.name + ".HST";
  env->AddFile(hst, test::HistoryBytes(recipe));
  return hst;
}

// What would fail part-way, or touch a file that is not the trend's own,
// is refused before anything is written, and named.
TEST_F(HostileInputTest, RefusedBeforeAnythingIsWritten) {
  struct Case {
    const char* what;
    std::vector<std::string> extra;  // files beside the trend
    std::function<void(test::MemEnv*)> prepare;
    std::string hst = "/t/Trend1.HST";
    std::string newPath = kNewPath;
    std::string message;
  } cases[] = {
      {"a data file given as the history file",
       {},
       {},
       "/t/Trend1.000",
       kNewPath,
       "'/t/Trend1.000' is not a history file"},
      {"a data file of neither of two trends named alike",
       {"trend1.HST", "TREND1.003"},
       {},
       "/t/Trend1.HST",
       kNewPath,
       "'/t/TREND1.003' could be a data file of this trend or of another"},
      {"a stray data file under the new name",
       {"Trend1A.005"},
       {},
       "/t/Trend1.HST",
       kNewPath,
       "'/t/Trend1A.005' is named like a file of that trend"},
      {"another trend's history file under the new name in another case",
       {"trend1a.hst"},
       {},
       "/t/Trend1.HST",
       kNewPath,
       "'/t/trend1a.hst' is named like a file of that trend"},
      // A rename finds it as it opens it, and puts the trend back; a dry
      // run asks before.
      {"a read-only data file",
       {},
       [](test::MemEnv* env) { env->MakeReadOnly("/t/Trend1.001"); },
       "/t/Trend1.HST",
       kNewPath,
       "open '/t/Trend1.001': Permission denied"},
      {"a folder without write permission",
       {},
       [](test::MemEnv* env) { env->MakeReadOnly("/t"); },
       "/t/Trend1.HST",
       kNewPath,
       "check for writing '/t/': Permission denied"},
      {"a new name longer than a file name can be",
       {},
       {},
       "/t/Trend1.HST",
       "C:\\" + std::string(252, 'n'),
       "check name '/t/nnnn"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    test::MemEnv env;
    WriteInMemory(&env, recipe_, c.extra);
    if (c.prepare) c.prepare(&env);
    FolderImage before = env.Image("/t");
    shown_ = {};
    RenameReport report =
        shown_.Tell(RenameTrend(env, c.hst, c.newPath, kNewTag));
    EXPECT_FALSE(report.ok());
    EXPECT_NE(Message().find(c.message), std::string::npos) << Message();
    EXPECT_EQ(env.Image("/t"), before);
    EXPECT_NE(PlanRename(env, c.hst, c.newPath, kNewTag).outcome,
              RenameOutcome::kRenamed);
  }
}

// Two trends whose names differ in letter case only, as a case-sensitive
// file system holds them: each keeps its own data files.
TEST_F(HostileInputTest, TrendsNamedAlikeKeepTheirOwnDataFiles) {
  test::MemEnv env;
  std::string hst = WriteInMemory(&env, recipe_);
  TrendRecipe twin = recipe_;
  twin.name = "trend1";
  twin.dataExtensions = {"005", "006"};
  twin.seed = 7;
  std::string twin_hst = WriteInMemory(&env, twin);
  FolderImage before = env.Image("/t");
  RenameReport report = shown_.Tell(RenameTrend(env, hst, kNewPath, kNewTag));
  ASSERT_TRUE(report.ok()) << report.failure.ToString();
  FolderImage after = env.Image("/t");
  for (const char* name : {"trend1.HST", "trend1.005", "trend1.006"})
    EXPECT_EQ(after.at(name), before.at(name)) << name;
  EXPECT_EQ(report.plan.files.size(), 1 + recipe_.dataExtensions.size());
}

// A second run on the same trend while one holds it is refused whole.
TEST_F(HostileInputTest, ASecondRunOnTheTrendIsRefused) {
  test::MemEnv env;
  std::string hst = WriteInMemory(&env, recipe_);
  FolderImage before = env.Image("/t");
  std::unique_ptr<File> first_run;
  ASSERT_TRUE(env.OpenFile(hst, OpenMode::kLocked, &first_run).ok());
  RenameReport report = shown_.Tell(RenameTrend(env, hst, kNewPath, kNewTag));
  EXPECT_EQ(report.outcome, RenameOutcome::kRefused);
  EXPECT_NE(Message().find("another Morvelle run or the Ostrel runtime"),
            std::string::npos)
      << Message();
  EXPECT_EQ(env.Image("/t"), before);
}

// Bytes another writer left after the NUL of a Path, or a dot in a folder
// name, give no entry a stray extension.
TEST_F(HostileInputTest, OnlyAPathsOwnExtensionIsKept) {
  const std::string kept = "C:\\Data.old\\Trend1";
  const std::string junk = "C:\\Data\\Trend1" + std::string(2, '\0') + "x.bak";
  test::MemEnv env;
  std::string hst = WriteInMemory(&env, recipe_);
  std::string bytes = *env.Bytes(hst);
  bytes.replace(176, 144, test::Field(kept, 144));
  bytes.replace(176 + 288, 144, test::Field(junk, 144));
  ASSERT_TRUE(env.RemoveFile(hst).ok());
  env.AddFile(hst, bytes);
  ASSERT_TRUE(
      shown_.Tell(RenameTrend(env, hst, "D:\\New\\Trend1A", kNewTag)).ok());
  const std::string& after = *env.Bytes("/t/Trend1A.HST");
  EXPECT_EQ(after.substr(176, 144), test::Field("D:\\New\\Trend1A", 144));
  EXPECT_EQ(after.substr(176 + 288, 144), test::Field("D:\\New\\Trend1A", 144));
  EXPECT_EQ(after.substr(176 + 576, 144),
            test::Field("D:\\New\\Trend1A.002", 144));
}

// What another program does between the check and the rename: the run
// finds it, changes nothing outside the folder, neither grows a file nor
// follows a link, and leaves the trend as it found it.
TEST_F(HostileInputTest, FilesChangedAfterTheCheck) {
  struct Case {
    const char* what;
    std::function<void(const fs::path& trend, const fs::path& outside)> change;
    RenameOutcome outcome;
    std::string failedFile;  // the file whose step failed; none when refused
  } cases[] = {
      {"history file cut short",
       [](const fs::path& trend, const fs::path&) {
         std::string bytes = test::ReadFile(trend / "Trend1.HST");
         test::WriteFile(trend / "Trend1.HST", bytes.substr(0, 500));
       },
       RenameOutcome::kRefused, ""},
      {"history file's table rewritten by another program",
       [](const fs::path& trend, const fs::path&) {
         std::string bytes = test::ReadFile(trend / "Trend1.HST");
         bytes[176] ^= 1;
         test::WriteFile(trend / "Trend1.HST", bytes);
       },
       RenameOutcome::kRefused, ""},
      {"data file cut short",
       [](const fs::path& trend, const fs::path&) {
         test::WriteFile(trend / "Trend1.001", "short");
       },
       RenameOutcome::kRolledBack, "Trend1.001"},
      {"data file swapped for a link out of the folder",
       [](const fs::path& trend, const fs::path& outside) {
         fs::remove(trend / "Trend1.001");
         fs::create_symlink(outside / "Victim.000", trend / "Trend1.001");
       },
       RenameOutcome::kRolledBack, "Trend1.001"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(trend_);
    fs::create_directories(trend_);
    std::string hst = WriteTrend();
    RenameReport planned = PlanRename(Env::Default(), hst, kNewPath, kNewTag);
    ASSERT_EQ(planned.outcome, RenameOutcome::kRenamed);
    RenamePlan plan = std::move(planned.plan);
    c.change(trend_, outside_);
    auto before = Tree(trend_);
    auto outside_before = Tree(outside_);

    RenameReport report = ExecuteRenamePlan(Env::Default(), plan);

    EXPECT_EQ(report.outcome, c.outcome) << report.failure.ToString();
    std::string failed;
    for (const FileChange& file : report.plan.files)
      if (!file.error.ok()) failed = fs::path(file.path).filename().string();
    EXPECT_EQ(failed, c.failedFile);
    EXPECT_EQ(Tree(trend_), before);
    EXPECT_EQ(Tree(outside_), outside_before);
  }
}

}  // namespace
}  // namespace morvelle
