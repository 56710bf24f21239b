// Synthetic trends for tests. Every byte that the program must carry
// unchanged is random, so a test that compares files byte for byte sees
// any byte the program should not have touched.
//
// The layout numbers here are written out again on purpose rather than
// taken from the program, so that a wrong number in one is caught by the
// other.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "trend/TrendCheck.h"
#include "trend/TrendTools.h"

namespace morvelle::test {

// The rename the help window gives as its example: the new path and file
// name, and the new tag.
inline constexpr const char* kNewPath = "C:\\Ostrel\\Data\\Trend1A";
inline constexpr const char* kNewTag = "Trend1A";

struct FixtureLayout {
  std::size_t entrySize, pathWidth, entryTagOffset, tagWidth;
  std::size_t dataHeaderSize, dataTagOffset;
};

// The layout of versions 0-6, written from the file format's tables.
FixtureLayout FixtureLayoutFor(int version);

struct TrendRecipe {
  std::string name = "Trend1";  // base name of every file
  int version = 5;              // stored as is, so 7 or -1 work too
  int entryCount = 3;
  int extraCount = 1;
  // Extensions of the data files, which also become the extensions of the
  // table entries' paths (entry i gets extensions[i % size]).
  std::vector<std::string> dataExtensions = {"000", "001", "002"};
  std::string entryPath = "C:\\Ostrel\\Data\\Trend1";  // before "." + ext
  std::string tag = "Trend1";
  std::string dataTag;  // the data files' Tag; empty: `tag`
  std::string historyExtension = "HST";
  std::size_t dataBodySize = 100;  // random bytes after each data header
  std::uint32_t seed = 1;
};

// Every regular file of a folder, by bare UTF-8 name.
using FolderImage = std::map<std::string, std::string>;

class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // The UTF-8 path of `name` (UTF-8) in the folder.
  std::string File(const std::string& name) const;

 private:
  std::filesystem::path path_;
};

// UTF-8, the encoding of every path the program handles, to and from the
// paths of std::filesystem, which on Windows would read a std::string in
// the ANSI code page.
std::filesystem::path PathOf(const std::string& utf8);
std::string Utf8Of(const std::filesystem::path& path);

// The bytes of a history file and of one data file of `recipe`.
std::string HistoryBytes(const TrendRecipe& recipe);
std::string DataFileBytes(const TrendRecipe& recipe, std::size_t index);

// Writes the history file and the data files of `recipe` into `folder`;
// returns the history file's path.
std::string WriteTrend(const std::filesystem::path& folder,
                       const TrendRecipe& recipe);

void WriteFile(const std::filesystem::path& path, const std::string& bytes);
std::string ReadFile(const std::filesystem::path& path);
FolderImage ReadFolder(const std::filesystem::path& folder);

// `image` without the journals of runs, whose number goes to `*journals`.
FolderImage WithoutJournals(FolderImage image, int* journals);

// Recovers every journal of `folder` (a path with its separator). True
// when each was removed, every trend whole; `*report` has a line per
// trend and per problem.
bool RecoverAll(Env& env, const std::string& folder, std::string* report);

// Renames the trend of `hstPath` to `newPath` and kNewTag and kills the
// run (FaultKind::kCrash) at its `call` on the file ending in `pathEnd`,
// as a clean run on a copy of the trend's folder counts the calls: the
// trend is left partly renamed, with the run's journal. False when the
// call was not met or no journal was left.
bool InterruptRename(const std::string& hstPath, const std::string& call,
                     const std::string& pathEnd,
                     const std::string& newPath = kNewPath);

// `value` NUL-padded to `width`, cut to it when longer.
std::string Field(const std::string& value, std::size_t width);

// What the files of `recipe` must hold after a rename to `newPath` and
// `newTag` (both plain ASCII): history file and data files under their new
// names, every byte but the rewritten fields as before. `before` is the
// folder image before the rename; files that are not the trend's are
// expected unchanged.
FolderImage ExpectedAfterRename(const TrendRecipe& recipe,
                                const FolderImage& before,
                                const std::string& newPath,
                                const std::string& newTag);

class MemEnv;

// Puts the files of `image` into `env`'s `folder` (with its separator).
void AddImage(MemEnv& env, const std::string& folder, const FolderImage& image);

// The folder of `recipe`, with `others` beside it, as a MemEnv holds it at
// /t, before and after the engine renamed it whole to kNewPath and kNewTag
// (throws std::runtime_error when it could not).
struct RenamedInMemory {
  FolderImage before, renamed;
};
RenamedInMemory RenameInMemory(const TrendRecipe& recipe,
                               const FolderImage& others = {});

// A rename of trend `oldName` to `newName` left half-done: `renamed`, the
// folder after the whole rename, with the data files of `extensions` back
// as `before` held them, under the old name with the old tag.
FolderImage HalfDone(const FolderImage& before, FolderImage renamed,
                     const std::string& oldName, const std::string& newName,
                     const std::vector<std::string>& extensions);

// One way the files of a trend get damaged, and the one problem a check of
// its folder must report for it.
struct DamageCase {
  const char* name;
  // Damages the files of the default TrendRecipe in `folder`.
  void (*damage)(const std::filesystem::path& folder);
  ProblemKind kind;
  const char* file;   // bare name
  const char* field;  // empty: the file as a whole
  const char* says;   // a part of what the problem says
  bool needsCaseSensitiveNames = false;
};

// A row for each problem a check knows.
const std::vector<DamageCase>& DamageCases();

// The files a plan leaves alone, one "name: reason" line each.
std::vector<std::string> SkippedLines(const RenamePlan& plan);

}  // namespace morvelle::test
