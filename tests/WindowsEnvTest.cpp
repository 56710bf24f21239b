// The Win32 file-system layer and field encoding on what only Windows
// has: a file system that folds letter case, backslash paths, hidden
// files, sharing modes and the ANSI code page.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <map>

#include "MessageLog.h"
#include "TrendFixture.h"
#include "platform/FieldEncoding.h"
#include "trend/TrendTools.h"

namespace morvelle {
namespace {

namespace fs = std::filesystem;
using test::FolderImage;
using test::TrendRecipe;

using test::kNewPath;
using test::kNewTag;

std::wstring Wide(const std::string& utf8) {
  return test::PathOf(utf8).wstring();
}

class WindowsEnvTest : public ::testing::Test {
 protected:
  Env& env() { return Env::Default(); }
  FolderImage Image() const { return test::ReadFolder(folder_.path()); }
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
    return shown_.Tell(RenameTrend(env(), hst, newPath, newTag));
  }

  test::TempFolder folder_;
  test::MessageLog shown_;
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
    test::TempFolder folder;
    TrendRecipe recipe;
    recipe.dataExtensions.clear();
    test::WriteTrend(folder.path(), recipe);
    for (const std::string& name : c.dataNames) {
      recipe.dataExtensions.push_back(name.substr(7));
      test::WriteFile(folder.path() / name, test::DataFileBytes(recipe, 0));
    }
    FolderImage before = test::ReadFolder(folder.path());

    RenameReport report = Rename(folder.File(c.typedName), kNewPath);

    ASSERT_TRUE(report.ok()) << report.failure.ToString();
    EXPECT_TRUE(report.plan.skipped.empty())
        << report.plan.skipped[0].name << ": " << report.plan.skipped[0].reason;
    FolderImage after = test::ReadFolder(folder.path());
    std::vector<std::string> names;
    for (const auto& [name, bytes] : after) names.push_back(name);
    std::vector<std::string> expected = {"Trend1A.HST"};
    for (const std::string& extension : recipe.dataExtensions)
      expected.push_back("Trend1A." + extension);
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(names, expected);
    std::string data = before.at(c.dataNames[0]);
    data.replace(144, 80, test::Field(kNewTag, 80));
    EXPECT_EQ(after.at("Trend1A." + recipe.dataExtensions[0]), data);
  }
}

TEST_F(WindowsEnvTest, CaseOnlyRenameTakesTheNewSpelling) {
  test::WriteFile(folder_.path() / "Pump.000", "bytes");
  ASSERT_TRUE(
      env()
          .RenameNoReplace(folder_.File("Pump.000"), folder_.File("PUMP.000"))
          .ok());
  EXPECT_EQ(Names(), std::vector<std::string>{"PUMP.000"});
  EXPECT_EQ(test::ReadFile(folder_.path() / "PUMP.000"), "bytes");

  TrendRecipe recipe;
  std::string hst = test::WriteTrend(folder_.path(), recipe);
  FolderImage before = Image();
  RenameReport report = Rename(hst, "C:\\Ostrel\\Data\\TREND1");
  ASSERT_TRUE(report.ok()) << report.failure.ToString();
  EXPECT_EQ(Image(), test::ExpectedAfterRename(
                         recipe, before, "C:\\Ostrel\\Data\\TREND1", kNewTag));
}

TEST_F(WindowsEnvTest, RenameOntoAnExistingNameChangesNothing) {
  struct Case {
    std::string target;  // exists before the rename
    bool folder;
  } cases[] = {{"b.000", false}, {"B.000", false}, {"Sub", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.target);
    test::TempFolder folder;
    test::WriteFile(folder.path() / "a.000", "A");
    if (c.folder)
      fs::create_directory(folder.path() / c.target);
    else
      test::WriteFile(folder.path() / c.target, "B");
    FolderImage before = test::ReadFolder(folder.path());
    Status s = env().RenameNoReplace(folder.File("a.000"),
                                     folder.File(c.folder ? "SUB" : "b.000"));
    EXPECT_EQ(s.kind(), ErrorKind::kAlreadyExists) << s.ToString();
    EXPECT_EQ(test::ReadFolder(folder.path()), before);
    EXPECT_EQ(fs::is_directory(folder.path() / c.target), c.folder);
  }

  // The plan finds the taken name in any case and refuses the whole rename.
  std::string hst = test::WriteTrend(folder_.path(), TrendRecipe());
  test::WriteFile(folder_.path() / "TREND1A.001", "precious");
  FolderImage before = Image();
  RenameReport report = Rename(hst, kNewPath);
  EXPECT_EQ(report.outcome, RenameOutcome::kRefused);
  EXPECT_EQ(Image(), before);
}

TEST_F(WindowsEnvTest, BackslashPathsThroughout) {
  TrendRecipe recipe;
  fs::create_directory(folder_.path() / "Sub");
  test::WriteTrend(folder_.path() / "Sub", recipe);
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
    FolderImage before = test::ReadFolder(folder_.path() / "Sub");
    fs::path previous = fs::current_path();
    if (!c.current.empty()) fs::current_path(test::PathOf(c.current));
    RenameReport report = Rename(c.hstPath, kNewPath);
    fs::current_path(previous);
    ASSERT_TRUE(report.ok()) << report.failure.ToString();
    EXPECT_EQ(report.plan.hstPath, sub + "\\Trend1.HST");
    for (const FileChange& file : report.plan.files) {
      EXPECT_EQ(file.path.find('/'), std::string::npos) << file.path;
      EXPECT_EQ(file.newPath.find('/'), std::string::npos) << file.newPath;
    }
    EXPECT_EQ(test::ReadFolder(folder_.path() / "Sub"),
              test::ExpectedAfterRename(recipe, before, kNewPath, kNewTag));
    // Back to the old name and values for the next case.
    ASSERT_TRUE(
        Rename(sub + "\\Trend1A.HST", "C:\\Ostrel\\Data\\Trend1", recipe.tag)
            .ok());
  }
}

TEST_F(WindowsEnvTest, HiddenAndSystemFilesAreNotNormalFiles) {
  TrendRecipe recipe;
  recipe.dataExtensions = {"000", "001"};
  std::string hst = test::WriteTrend(folder_.path(), recipe);
  test::WriteFile(folder_.path() / "Trend1.002", "hidden");
  test::WriteFile(folder_.path() / "Trend1.003", "system");
  ASSERT_TRUE(SetFileAttributesW(Wide(folder_.File("Trend1.002")).c_str(),
                                 FILE_ATTRIBUTE_HIDDEN));
  ASSERT_TRUE(SetFileAttributesW(Wide(folder_.File("Trend1.003")).c_str(),
                                 FILE_ATTRIBUTE_SYSTEM));
  FolderImage before = Image();

  RenameReport report = Rename(hst, kNewPath);

  ASSERT_TRUE(report.ok()) << report.failure.ToString();
  EXPECT_EQ(Image(),
            test::ExpectedAfterRename(recipe, before, kNewPath, kNewTag));
  EXPECT_EQ(test::SkippedLines(report.plan),
            (std::vector<std::string>{
                "Trend1.002: not a regular file",
                "Trend1.003: not a regular file",
            }));

  // A history file that is hidden or system is not found by either
  // operation.
  std::string renamed = folder_.File("Trend1A.HST");
  for (DWORD attribute : {FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_SYSTEM}) {
    ASSERT_TRUE(SetFileAttributesW(Wide(renamed).c_str(), attribute));
    test::MessageLog shown;
    FolderImage hidden_before = Image();
    RenameReport hidden =
        shown.Tell(RenameTrend(env(), renamed, kNewPath, "X"));
    EXPECT_EQ(hidden.outcome, RenameOutcome::kNotFound);
    EXPECT_EQ(shown.Tell(ReadTrendInfo(env(), renamed)).pathWidth, 0);
    EXPECT_EQ(shown.warnings,
              std::vector<std::string>(2, "Trend '" + renamed + "' not found"));
    EXPECT_EQ(Image(), hidden_before);
  }
}

TEST_F(WindowsEnvTest, NamesOutsideAsciiCrossTheLayerAsUtf8) {
  std::string folder =
      "Pr\xC3\xBC"
      "fstand \xCE\xA9";  // Prüfstand Ω
  fs::create_directory(folder_.path() / test::PathOf(folder));
  fs::path where = folder_.path() / test::PathOf(folder);
  TrendRecipe recipe;
  recipe.name = "K\xC3\xBChlung";  // Kühlung
  std::string hst = test::WriteTrend(where, recipe);
  FolderImage before = test::ReadFolder(where);

  RenameReport report = Rename(hst, "C:\\Daten\\K\xC3\xBChlung2");

  ASSERT_TRUE(report.ok()) << report.failure.ToString();
  // The field holds the code page's byte for ü; the file names hold ü.
  FolderImage expected = test::ExpectedAfterRename(
      recipe, before, "C:\\Daten\\K\xFChlung2", kNewTag);
  FolderImage renamed;
  for (auto& [name, bytes] : expected)
    renamed["K\xC3\xBChlung2" + name.substr(name.find('.'))] = bytes;
  EXPECT_EQ(test::ReadFolder(where), renamed);
}

TEST_F(WindowsEnvTest, AFileHeldOpenByAnotherProgramIsNotChanged) {
  std::string hst = test::WriteTrend(folder_.path(), TrendRecipe());
  FolderImage before = Image();
  // The Ostrel runtime appends to its history file and lets others read.
  HANDLE runtime = CreateFileW(Wide(hst).c_str(), GENERIC_READ | GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(runtime, INVALID_HANDLE_VALUE);
  RenameReport report = Rename(hst, kNewPath);
  // Planning asks each file first: the platform says that another program
  // holds it, and the planner, once, which program that may be.
  const std::string planned =
      PlanRename(env(), hst, kNewPath, kNewTag).failure.ToString();
  std::unique_ptr<File> file;
  Status write = env().OpenFile(hst, OpenMode::kReadWrite, &file);
  CloseHandle(runtime);

  const std::string hint = "the Ostrel runtime may be using it";
  EXPECT_TRUE(planned.ends_with("Another program holds the file open (" + hint +
                                "). Nothing was "
                                "changed."))
      << planned;
  EXPECT_EQ(planned.find(hint), planned.rfind(hint)) << planned;

  // Refused before anything is written, with a hint at the runtime.
  EXPECT_EQ(report.outcome, RenameOutcome::kRefused);
  EXPECT_NE(report.failure.ToString().find("Ostrel runtime may be using it"),
            std::string::npos)
      << report.failure.ToString();
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

// True when the system opens NUL as the null device.
bool NulIsADevice() {
  HANDLE h = CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  const bool device = GetFileType(h) == FILE_TYPE_CHAR;
  CloseHandle(h);
  return device;
}

TEST_F(WindowsEnvTest, WhatIsNotANormalFileIsNeitherOpenedNorCalledOne) {
  test::WriteFile(folder_.path() / "T.HST", "x");
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
    // Some Wine builds open NUL as a file on disk; there is no device to
    // tell apart then.
    if (c.path == "NUL" && !NulIsADevice()) continue;
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
  test::WriteFile(folder_.path() / "Big.000", "head");
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

TEST_F(WindowsEnvTest, ALockedFileIsHeldAloneUnderEveryNameItIsGiven) {
  test::WriteFile(folder_.path() / "Trend1.HST", "0123456789");
  std::unique_ptr<File> locked;
  ASSERT_TRUE(
      env()
          .OpenFile(folder_.File("Trend1.HST"), OpenMode::kLocked, &locked)
          .ok());
  // Each step renames the held file and appends through the handle; the
  // length under the new name shows where the byte went.
  struct Step {
    std::string from, to;
    char appended;
  } steps[] = {
      {"Trend1.HST", "Trend1A.HST", 'a'},
      {"Trend1A.HST", "TREND1A.HST", 'b'},  // letter case only
      {"TREND1A.HST", "Trend1.HST", 'c'},   // back to where it started
  };
  std::string bytes = "0123456789";
  for (const Step& step : steps) {
    SCOPED_TRACE(step.to);
    for (OpenMode mode :
         {OpenMode::kLocked, OpenMode::kReadWrite, OpenMode::kRead}) {
      std::unique_ptr<File> second;
      EXPECT_EQ(env().OpenFile(folder_.File(step.from), mode, &second).kind(),
                ErrorKind::kInUse);
      EXPECT_FALSE(second);
    }
    Status s =
        env().RenameNoReplace(folder_.File(step.from), folder_.File(step.to));
    ASSERT_TRUE(s.ok()) << s.ToString();
    EXPECT_EQ(Names(), std::vector<std::string>{step.to});
    ASSERT_TRUE(locked->WriteAt(bytes.size(), {&step.appended, 1}).ok());
    bytes += step.appended;
    FileInfo info;
    ASSERT_TRUE(env().GetFileInfo(folder_.File(step.to), &info).ok());
    EXPECT_EQ(info.size, bytes.size());
  }
  ASSERT_TRUE(locked->Close().ok());
  EXPECT_EQ(Image(), (FolderImage{{"Trend1.HST", bytes}}));
}

// A run's journal: made hidden as its dot name is on POSIX, yet listed and
// opened as a regular file, for recovery finds it in a listing and reads it.
TEST_F(WindowsEnvTest, ACreatedFileIsHeldUntilClosedAndADotNameIsHidden) {
  struct Case {
    std::string name;
    bool hidden;
  } cases[] = {{".morvelle-journal-1", true}, {"Trend1.000", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = folder_.File(c.name);
    std::unique_ptr<File> created;
    ASSERT_TRUE(env().CreateNewFile(path, &created).ok());
    ASSERT_TRUE(created->WriteAt(0, "plan").ok());
    EXPECT_TRUE(created->Sync().ok());
    DWORD attributes = GetFileAttributesW(Wide(path).c_str());
    EXPECT_EQ((attributes & FILE_ATTRIBUTE_HIDDEN) != 0, c.hidden);
    std::unique_ptr<File> second;
    EXPECT_EQ(env().OpenFile(path, OpenMode::kLocked, &second).kind(),
              ErrorKind::kInUse);
    ASSERT_TRUE(created->Close().ok());
    Status s = env().OpenFile(path, OpenMode::kLocked, &second);
    ASSERT_TRUE(s.ok()) << s.ToString();
    EXPECT_EQ(second->OpenedInfo().type, EntryType::kRegular);
    EXPECT_FALSE(second->OpenedInfo().hidden);
  }
  std::vector<FolderEntry> entries;
  ASSERT_TRUE(env().ListFolder(folder_.File(""), &entries).ok());
  std::map<std::string, EntryType> types;
  for (const FolderEntry& entry : entries) types[entry.name] = entry.type;
  EXPECT_EQ(types, (std::map<std::string, EntryType>{
                       {".morvelle-journal-1", EntryType::kRegular},
                       {"Trend1.000", EntryType::kRegular}}));
  EXPECT_TRUE(env().SyncFolder(folder_.File("")).ok());
  EXPECT_TRUE(env().SyncFileSystem(folder_.File("")).ok());
}

TEST_F(WindowsEnvTest, TruncateCutsButNeverGrows) {
  const std::string bytes = "0123456789";
  struct Case {
    OpenMode mode;
    std::uint64_t size;
    bool ok;
    std::string left;
  } cases[] = {
      {OpenMode::kLocked, 4, true, "0123"},
      {OpenMode::kReadWrite, 0, true, ""},
      {OpenMode::kLocked, 10, true, bytes},
      {OpenMode::kLocked, 11, true, bytes},
      // Windows answers "access denied", Wine "invalid parameter".
      {OpenMode::kRead, 4, false, bytes},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.size);
    test::WriteFile(folder_.path() / "T.000", bytes);
    std::unique_ptr<File> file;
    ASSERT_TRUE(env().OpenFile(folder_.File("T.000"), c.mode, &file).ok());
    Status s = file->Truncate(c.size);
    EXPECT_EQ(s.ok(), c.ok) << s.ToString();
    ASSERT_TRUE(file->Close().ok());
    EXPECT_EQ(test::ReadFile(folder_.path() / "T.000"), c.left);
  }
}

TEST_F(WindowsEnvTest, RemoveFileRemovesAFileAndNothingElse) {
  test::WriteFile(folder_.path() / "New.000", "x");
  test::WriteFile(folder_.path() / "ReadOnly.000", "kept");
  fs::create_directory(folder_.path() / "Sub");
  std::wstring readOnly = Wide(folder_.File("ReadOnly.000"));
  ASSERT_TRUE(SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY));
  struct Case {
    std::string name;
    ErrorKind error;
  } cases[] = {
      {"New.000", ErrorKind::kNone},
      {"ReadOnly.000", ErrorKind::kPermissionDenied},
      {"Sub", ErrorKind::kNotARegularFile},
      {"Missing.000", ErrorKind::kNotFound},
  };
  for (const Case& c : cases) {
    Status s = env().RemoveFile(folder_.File(c.name));
    EXPECT_EQ(s.kind(), c.error) << s.ToString();
  }
  EXPECT_EQ(Names(), (std::vector<std::string>{"ReadOnly.000", "Sub"}));
  EXPECT_TRUE(SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL));
  EXPECT_EQ(Image(), (FolderImage{{"ReadOnly.000", "kept"}}));
}

TEST_F(WindowsEnvTest, CheckWritableFindsReadOnlyAndHeldFiles) {
  for (const char* name : {"Free.000", "ReadOnly.000", "Held.000"})
    test::WriteFile(folder_.path() / name, name);
  fs::create_directory(folder_.path() / "Sub");
  fs::create_directory(folder_.path() / "ReadOnlySub");
  std::wstring readOnly = Wide(folder_.File("ReadOnly.000"));
  ASSERT_TRUE(SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY));
  ASSERT_TRUE(SetFileAttributesW(Wide(folder_.File("ReadOnlySub")).c_str(),
                                 FILE_ATTRIBUTE_READONLY));
  // The Ostrel runtime appends to its files and lets others read and write.
  HANDLE runtime = CreateFileW(
      Wide(folder_.File("Held.000")).c_str(), GENERIC_READ | GENERIC_WRITE,
      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(runtime, INVALID_HANDLE_VALUE);
  FolderImage before = Image();
  struct Case {
    std::string name;
    ErrorKind error;
  } cases[] = {
      {"Free.000", ErrorKind::kNone},
      {"ReadOnly.000", ErrorKind::kPermissionDenied},
      {"Held.000", ErrorKind::kInUse},
      {"Sub", ErrorKind::kNone},
      {"ReadOnlySub", ErrorKind::kNone},  // renames in it still work
      {"Missing.000", ErrorKind::kNotFound},
  };
  for (const Case& c : cases) {
    Status s = env().CheckWritable(folder_.File(c.name));
    EXPECT_EQ(s.kind(), c.error) << c.name << ": " << s.ToString();
    // Which program that may be is the planner's to say, once.
    if (c.error == ErrorKind::kInUse)
      EXPECT_EQ(s.detail(), "Another program holds the file open");
  }
  CloseHandle(runtime);
  EXPECT_EQ(Image(), before);
  // The trial open is closed again: nothing holds the file any more.
  std::unique_ptr<File> file;
  EXPECT_TRUE(
      env().OpenFile(folder_.File("Free.000"), OpenMode::kLocked, &file).ok());
  EXPECT_TRUE(SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL));
}

TEST_F(WindowsEnvTest, CheckNameFitsCountsUtf16Units) {
  auto times = [](const std::string& text, int n) {
    std::string repeated;
    for (int i = 0; i < n; ++i) repeated += text;
    return repeated;
  };
  const std::string u = "\xC3\xBC";              // ü: two bytes, one unit
  const std::string smile = "\xF0\x9F\x98\x80";  // two units
  const std::string a200(200, 'a'), a255(255, 'a'), a256(256, 'a');
  struct Case {
    std::string path;
    bool fits;
  } cases[] = {
      {"C:\\" + a255, true},
      {"C:\\" + a256, false},
      {"C:/" + a256 + "/T.HST", false},
      {"C:\\" + times(u, 255), true},
      {"C:\\" + times(smile, 127) + "a", true},
      {"C:\\" + times(smile, 128), false},
      {"C:\\" + a200 + "\\" + std::string(55, 'b'), true},   // 259 units
      {"C:\\" + a200 + "\\" + std::string(56, 'b'), false},  // MAX_PATH
      {"\\\\?\\C:\\" + a200 + "\\" + a200, true},
      {"\\\\?\\C:\\" + a256, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path.size());
    Status s = env().CheckNameFits(c.path);
    EXPECT_EQ(s.kind(), c.fits ? ErrorKind::kNone : ErrorKind::kInvalidArgument)
        << s.ToString();
  }
}

TEST_F(WindowsEnvTest, ReadTextFileStopsPastItsLimit) {
  std::string list;
  for (int i = 0; list.size() < 200000; ++i)  // several reads' worth
    list += "\"C:\\Data\\T" + std::to_string(i) + ".HST\", \"T\"\r\n";
  test::WriteFile(folder_.path() / "List.txt", list);
  test::WriteFile(folder_.path() / "Empty.txt", "");
  fs::create_directory(folder_.path() / "Sub");
  // Another program writing the list does not keep it from being read.
  HANDLE writer = CreateFileW(Wide(folder_.File("List.txt")).c_str(),
                              GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(writer, INVALID_HANDLE_VALUE);
  struct Case {
    std::string name;
    std::size_t limit;
    ErrorKind error;
    std::string text;  // what is read; "unset" when left alone
  } cases[] = {
      {"List.txt", list.size(), ErrorKind::kNone, list},
      {"List.txt", SIZE_MAX, ErrorKind::kNone, list},
      {"List.txt", list.size() - 1, ErrorKind::kTooLarge, "unset"},
      {"Empty.txt", 0, ErrorKind::kNone, ""},
      {"Missing.txt", 10, ErrorKind::kNotFound, "unset"},
      {"Sub", 10, ErrorKind::kNotARegularFile, "unset"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name + " " + std::to_string(c.limit));
    std::string text = "unset";
    Status s = env().ReadTextFile(folder_.File(c.name), c.limit, &text);
    EXPECT_EQ(s.kind(), c.error) << s.ToString();
    EXPECT_EQ(text, c.text);
  }
  CloseHandle(writer);
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
