// The Win32 file-system layer and field encoding on what only Windows
// has: a file system that folds letter case, backslash paths, hidden
// files, sharing modes and the ANSI code page.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <filesystem>

#include "RecordingReporter.h"
#include "TrendFixture.h"
#include "platform/FieldEncoding.h"
#include "trend/TrendTools.h"

namespace morvelle {
namespace {

namespace fs = std::filesystem;
using testing::FolderImage;
using testing::TrendRecipe;

using testing::kNewPath;
using testing::kNewTag;

std::wstring Wide(const std::string& utf8) {
  return testing::PathOf(utf8).wstring();
}

class WindowsEnvTest : public ::testing::Test {
 protected:
  Env& env() { return Env::Default(); }
  FolderImage Image() const { return testing::ReadFolder(folder_.path()); }
  std::vector<std::string> Names() {
    std::vector<FolderEntry> entries;
    EXPECT_TRUE(env().ListFolder(folder_.File(""), &entries).ok());
    std::vector<std::string> names;
    for (const FolderEntry& entry : entries) names.push_back(entry.name);
    std::sort(names.begin(), names.end());
    return names;
  }
  RenameReport Rename(const std::string& hst, const std::string& newPath,
                      const std::string& newTag = kNewTag) {
    return RenameTrend(env(), reporter_, hst, newPath, newTag);
  }

  testing::TempFolder folder_;
  testing::RecordingReporter reporter_;
};

TEST_F(WindowsEnvTest, TrendFilesMatchInAnyCaseAsTheFileSystemDoes) {
  struct Case {
    std::string typedName;  // the history file as the user typed it
    std::vector<std::string> dataNames;
  } cases[] = {
      {"Trend1.HST", {"TREND1.000", "trend1.001", "Trend1.002"}},
      {"TREND1.hst", {"Trend1.000", "tReNd1.001"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typedName);
    testing::TempFolder folder;
    TrendRecipe recipe;
    recipe.dataExtensions.clear();
    testing::WriteTrend(folder.path(), recipe);
    for (const std::string& name : c.dataNames) {
      recipe.dataExtensions.push_back(name.substr(7));
      testing::WriteFile(folder.path() / name,
                         testing::DataFileBytes(recipe, 0));
    }
    FolderImage before = testing::ReadFolder(folder.path());

    RenameReport report = Rename(folder.File(c.typedName), kNewPath);

    ASSERT_TRUE(report.ok()) << report.message;
    EXPECT_TRUE(report.plan.skipped.empty())
        << report.plan.skipped[0].name << ": " << report.plan.skipped[0].reason;
    FolderImage after = testing::ReadFolder(folder.path());
    std::vector<std::string> names;
    for (const auto& [name, bytes] : after) names.push_back(name);
    std::vector<std::string> expected = {"Trend1A.HST"};
    for (const std::string& extension : recipe.dataExtensions)
      expected.push_back("Trend1A." + extension);
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(names, expected);
    std::string data = before.at(c.dataNames[0]);
    data.replace(144, 80, testing::Field(kNewTag, 80));
    EXPECT_EQ(after.at("Trend1A." + recipe.dataExtensions[0]), data);
  }
}

TEST_F(WindowsEnvTest, CaseOnlyRenameTakesTheNewSpelling) {
  testing::WriteFile(folder_.path() / "Pump.000", "bytes");
  ASSERT_TRUE(
      env()
          .RenameNoReplace(folder_.File("Pump.000"), folder_.File("PUMP.000"))
          .ok());
  EXPECT_EQ(Names(), std::vector<std::string>{"PUMP.000"});
  EXPECT_EQ(testing::ReadFile(folder_.path() / "PUMP.000"), "bytes");

  TrendRecipe recipe;
  std::string hst = testing::WriteTrend(folder_.path(), recipe);
  FolderImage before = Image();
  RenameReport report = Rename(hst, "C:\\Ostrel\\Data\\TREND1");
  ASSERT_TRUE(report.ok()) << report.message;
  EXPECT_EQ(Image(), testing::ExpectedAfterRename(
                         recipe, before, "C:\\Ostrel\\Data\\TREND1", kNewTag));
}

TEST_F(WindowsEnvTest, RenameOntoAnExistingNameChangesNothing) {
  struct Case {
    std::string target;  // exists before the rename
    bool folder;
  } cases[] = {{"b.000", false}, {"B.000", false}, {"Sub", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.target);
    testing::TempFolder folder;
    testing::WriteFile(folder.path() / "a.000", "A");
    if (c.folder)
      fs::create_directory(folder.path() / c.target);
    else
      testing::WriteFile(folder.path() / c.target, "B");
    FolderImage before = testing::ReadFolder(folder.path());
    Status s = env().RenameNoReplace(folder.File("a.000"),
                                     folder.File(c.folder ? "SUB" : "b.000"));
    EXPECT_EQ(s.kind(), ErrorKind::kAlreadyExists) << s.ToString();
    EXPECT_EQ(testing::ReadFolder(folder.path()), before);
    EXPECT_EQ(fs::is_directory(folder.path() / c.target), c.folder);
  }

  // The plan finds the taken name in any case and refuses the whole rename.
  std::string hst = testing::WriteTrend(folder_.path(), TrendRecipe());
  testing::WriteFile(folder_.path() / "TREND1A.001", "precious");
  FolderImage before = Image();
  RenameReport report = Rename(hst, kNewPath);
  EXPECT_EQ(report.outcome, RenameOutcome::kRefused);
  EXPECT_EQ(Image(), before);
}

TEST_F(WindowsEnvTest, BackslashPathsThroughout) {
  TrendRecipe recipe;
  fs::create_directory(folder_.path() / "Sub");
  testing::WriteTrend(folder_.path() / "Sub", recipe);
  std::string sub = folder_.File("Sub");
  std::string slashed = sub + "/Trend1.HST";
  std::replace(slashed.begin(), slashed.end(), '\\', '/');
  struct Case {
    std::string hstPath;
    std::string current;  // current folder during the rename; "" for none
  } cases[] = {
      {slashed, ""},
      {"Sub\\Trend1.HST", folder_.File("")},
      {".\\Trend1.HST", sub},
      {"..\\Sub\\.\\Trend1.HST", sub},
      {sub.substr(2) + "\\Trend1.HST", sub},  // no drive letter
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.hstPath);
    FolderImage before = testing::ReadFolder(folder_.path() / "Sub");
    fs::path previous = fs::current_path();
    if (!c.current.empty()) fs::current_path(testing::PathOf(c.current));
    RenameReport report = Rename(c.hstPath, kNewPath);
    fs::current_path(previous);
    ASSERT_TRUE(report.ok()) << report.message;
    EXPECT_EQ(report.plan.hstPath, sub + "\\Trend1.HST");
    for (const RenameStep& step : report.plan.steps) {
      EXPECT_EQ(step.path.find('/'), std::string::npos) << step.path;
      EXPECT_EQ(step.newPath.find('/'), std::string::npos) << step.newPath;
    }
    EXPECT_EQ(testing::ReadFolder(folder_.path() / "Sub"),
              testing::ExpectedAfterRename(recipe, before, kNewPath, kNewTag));
    // Back to the old name and values for the next case.
    ASSERT_TRUE(
        Rename(sub + "\\Trend1A.HST", "C:\\Ostrel\\Data\\Trend1", recipe.tag)
            .ok());
  }
}

TEST_F(WindowsEnvTest, HiddenAndSystemFilesAreNotNormalFiles) {
  TrendRecipe recipe;
  recipe.dataExtensions = {"000", "001"};
  std::string hst = testing::WriteTrend(folder_.path(), recipe);
  testing::WriteFile(folder_.path() / "Trend1.002", "hidden");
  testing::WriteFile(folder_.path() / "Trend1.003", "system");
  ASSERT_TRUE(SetFileAttributesW(Wide(folder_.File("Trend1.002")).c_str(),
                                 FILE_ATTRIBUTE_HIDDEN));
  ASSERT_TRUE(SetFileAttributesW(Wide(folder_.File("Trend1.003")).c_str(),
                                 FILE_ATTRIBUTE_SYSTEM));
  FolderImage before = Image();

  RenameReport report = Rename(hst, kNewPath);

  ASSERT_TRUE(report.ok()) << report.message;
  EXPECT_EQ(Image(),
            testing::ExpectedAfterRename(recipe, before, kNewPath, kNewTag));
  EXPECT_EQ(testing::SkippedLines(report.plan),
            (std::vector<std::string>{
                "Trend1.002: not a regular file",
                "Trend1.003: not a regular file",
            }));
}

TEST_F(WindowsEnvTest, NamesOutsideAsciiCrossTheLayerAsUtf8) {
  std::string folder =
      "Pr\xC3\xBC"
      "fstand \xCE\xA9";  // Prüfstand Ω
  fs::create_directory(folder_.path() / testing::PathOf(folder));
  fs::path where = folder_.path() / testing::PathOf(folder);
  TrendRecipe recipe;
  recipe.name = "K\xC3\xBChlung";  // Kühlung
  std::string hst = testing::WriteTrend(where, recipe);
  FolderImage before = testing::ReadFolder(where);

  RenameReport report = Rename(hst, "C:\\Daten\\K\xC3\xBChlung2");

  ASSERT_TRUE(report.ok()) << report.message;
  // The field holds the code page's byte for ü; the file names hold ü.
  FolderImage expected = testing::ExpectedAfterRename(
      recipe, before, "C:\\Daten\\K\xFChlung2", kNewTag);
  FolderImage renamed;
  for (auto& [name, bytes] : expected)
    renamed["K\xC3\xBChlung2" + name.substr(name.find('.'))] = bytes;
  EXPECT_EQ(testing::ReadFolder(where), renamed);
}

TEST_F(WindowsEnvTest, AFileHeldOpenByAnotherProgramIsNotChanged) {
  std::string hst = testing::WriteTrend(folder_.path(), TrendRecipe());
  FolderImage before = Image();
  // The Ostrel runtime appends to its history file and lets others read.
  HANDLE runtime = CreateFileW(Wide(hst).c_str(), GENERIC_READ | GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(runtime, INVALID_HANDLE_VALUE);
  RenameReport report = Rename(hst, kNewPath);
  std::unique_ptr<File> file;
  Status write = env().OpenFile(hst, OpenMode::kReadWrite, &file);
  CloseHandle(runtime);

  EXPECT_EQ(report.outcome, RenameOutcome::kFailed);
  ASSERT_FALSE(report.plan.steps.empty());
  EXPECT_EQ(report.plan.steps[0].error.kind(), ErrorKind::kInUse);
  EXPECT_EQ(Image(), before);
  EXPECT_EQ(write.kind(), ErrorKind::kInUse);
  EXPECT_FALSE(file);

  // Held for this program alone, the file cannot even be read.
  HANDLE exclusive = CreateFileW(Wide(hst).c_str(), GENERIC_READ, 0, nullptr,
                                 OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(exclusive, INVALID_HANDLE_VALUE);
  Status read = env().OpenFile(hst, OpenMode::kRead, &file);
  FileInfo info;
  Status stat = env().GetFileInfo(hst, &info);
  CloseHandle(exclusive);
  EXPECT_EQ(read.kind(), ErrorKind::kInUse);
  EXPECT_TRUE(stat.ok()) << stat.ToString();
  EXPECT_EQ(info.type, EntryType::kRegular);
}

TEST_F(WindowsEnvTest, WhatIsNotANormalFileIsNeitherOpenedNorCalledOne) {
  testing::WriteFile(folder_.path() / "T.HST", "x");
  fs::create_directory(folder_.path() / "D.HST");
  struct Case {
    std::string path;
    EntryType type;       // from GetFileInfo
    ErrorKind openError;  // from OpenFile
  } cases[] = {
      {folder_.File("T.HST"), EntryType::kRegular, ErrorKind::kNone},
      {folder_.File("t.hst"), EntryType::kRegular, ErrorKind::kNone},
      {folder_.File("D.HST"), EntryType::kDirectory,
       ErrorKind::kNotARegularFile},
      {"NUL", EntryType::kOther, ErrorKind::kNotARegularFile},
  };
  FileInfo first;
  ASSERT_TRUE(env().GetFileInfo(folder_.File("T.HST"), &first).ok());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    FileInfo info;
    Status s = env().GetFileInfo(c.path, &info);
    ASSERT_TRUE(s.ok()) << s.ToString();
    EXPECT_EQ(info.type, c.type);
    if (c.type == EntryType::kRegular) {
      EXPECT_EQ(info.device, first.device);
      EXPECT_EQ(info.index, first.index);
    }
    std::unique_ptr<File> file;
    EXPECT_EQ(env().OpenFile(c.path, OpenMode::kReadWrite, &file).kind(),
              c.openError);
    EXPECT_EQ(file != nullptr, c.openError == ErrorKind::kNone);
  }
  FileInfo info;
  for (const char* missing : {"missing.HST", "Nope\\T.HST"})
    EXPECT_EQ(env().GetFileInfo(folder_.File(missing), &info).kind(),
              ErrorKind::kNotFound)
        << missing;
  std::unique_ptr<File> file;
  EXPECT_EQ(
      env().OpenFile(std::string("T.HST\0x", 7), OpenMode::kRead, &file).kind(),
      ErrorKind::kInvalidArgument);
  EXPECT_EQ(env().OpenFile("\xFF.HST", OpenMode::kRead, &file).kind(),
            ErrorKind::kInvalidArgument);
}

TEST_F(WindowsEnvTest, OffsetsBeyondFourGigabytes) {
  testing::WriteFile(folder_.path() / "Big.000", "head");
  std::unique_ptr<File> file;
  ASSERT_TRUE(
      env()
          .OpenFile(folder_.File("Big.000"), OpenMode::kReadWrite, &file)
          .ok());
  const std::uint64_t beyond = (std::uint64_t{5} << 30) + 3;
  ASSERT_TRUE(file->WriteAt(beyond, "tail").ok());
  std::string read;
  ASSERT_TRUE(file->ReadAt(beyond - 2, 10, &read).ok());
  EXPECT_EQ(read, std::string(2, '\0') + "tail");
  ASSERT_TRUE(file->ReadAt(0, 4, &read).ok());
  EXPECT_EQ(read, "head");
  ASSERT_TRUE(file->ReadAt(beyond + 4, 4, &read).ok());
  EXPECT_EQ(read, "");
  EXPECT_TRUE(file->Close().ok());
  EXPECT_EQ(fs::file_size(folder_.path() / "Big.000"), beyond + 4);
}

TEST(WindowsFieldEncodingTest, NoBestFitLookAlikes) {
  if (GetACP() != 1252) GTEST_SKIP() << "needs the ANSI code page 1252";
  struct Case {
    const char* utf8;
    const char* unencodable;  // nullptr: encodes to `bytes`
    const char* bytes;
  } cases[] = {
      {"Pumpe \xC4\x80", "\xC4\x80", nullptr},    // Ā, best fit "A"
      {"\xE2\x88\x9E", "\xE2\x88\x9E", nullptr},  // ∞, best fit "8"
      {"a\xE2\x88\x92"
       "b",
       "\xE2\x88\x92", nullptr},                          // minus, best fit "-"
      {"\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80", nullptr},  // a surrogate pair
      {"Why?", nullptr, "Why?"},  // the default character itself is fine
      {"K\xC3\xBChlung \xE2\x82\xAC", nullptr, "K\xFChlung \x80"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.utf8);
    std::string bad = "unset";
    std::optional<std::string> bytes = EncodeFieldText(c.utf8, &bad);
    if (c.unencodable) {
      EXPECT_FALSE(bytes);
      EXPECT_EQ(bad, c.unencodable);
    } else {
      ASSERT_TRUE(bytes);
      EXPECT_EQ(*bytes, c.bytes);
    }
  }
}

}  // namespace
}  // namespace morvelle
