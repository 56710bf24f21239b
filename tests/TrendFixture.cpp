#include "TrendFixture.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

#include "FailingEnv.h"
#include "MemEnv.h"
#include "MessageLog.h"
#include "trend/Journal.h"

namespace morvelle::test {
namespace {

constexpr std::size_t kHeaderSize = 176;

std::string RandomBytes(std::mt19937& rng, std::size_t n) {
  std::string bytes(n, '\0');
  for (char& b : bytes) b = static_cast<char>(rng() & 0xFF);
  return bytes;
}

void PutInt16(std::string* bytes, std::size_t offset, int value) {
  (*bytes)[offset] = static_cast<char>(value & 0xFF);
  (*bytes)[offset + 1] = static_cast<char>((value >> 8) & 0xFF);
}

void Put(std::string* bytes, std::size_t offset, const std::string& value) {
  bytes->replace(offset, value.size(), value);
}

std::string ExtensionOfEntry(const TrendRecipe& recipe, int i) {
  return recipe.dataExtensions.empty()
             ? "000"
             : recipe.dataExtensions[i % recipe.dataExtensions.size()];
}

std::string HistoryName(const TrendRecipe& recipe) {
  return recipe.name + "." + recipe.historyExtension;
}

}  // namespace

FixtureLayout FixtureLayoutFor(int version) {
  switch (version) {
    case 4:
      return {432, 272, 304, 64, 288, 160};
    case 5:
      return {288, 144, 160, 80, 272, 144};
    case 6:
      return {448, 272, 304, 80, 304, 160};
    default:
      return {240, 144, 160, 32, 224, 144};
  }
}

TempFolder::TempFolder() {
  static std::mt19937_64 rng(std::random_device{}());
  std::filesystem::path temp = std::filesystem::temp_directory_path();
  for (int attempt = 0; attempt < 100; ++attempt) {
    char name[32];
    std::snprintf(name, sizeof name, "morvelle-%012llx",
                  static_cast<unsigned long long>(rng() & 0xFFFFFFFFFFFFull));
    // create_directory is false, not an error, when the name is taken.
    if (std::filesystem::create_directory(temp / name)) {
      path_ = temp / name;
      return;
    }
  }
  throw std::runtime_error("cannot create a temporary folder");
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                               ignored);
  std::filesystem::remove_all(path_, ignored);
}

std::string TempFolder::File(const std::string& name) const {
  return Utf8Of(path_ / PathOf(name));
}

std::filesystem::path PathOf(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string Utf8Of(const std::filesystem::path& path) {
  std::u8string utf8 = path.u8string();
  return std::string(utf8.begin(), utf8.end());
}

std::string Field(const std::string& value, std::size_t width) {
  std::string field = value.substr(0, width);
  field.resize(width, '\0');
  return field;
}

std::string HistoryBytes(const TrendRecipe& recipe) {
  std::mt19937 rng(recipe.seed);
  FixtureLayout layout = FixtureLayoutFor(recipe.version);
  std::string bytes = RandomBytes(rng, kHeaderSize);
  PutInt16(&bytes, 138, recipe.version);
  PutInt16(&bytes, 150, recipe.entryCount);
  PutInt16(&bytes, 154, recipe.extraCount);
  int entries = std::max(0, recipe.entryCount + recipe.extraCount);
  for (int i = 0; i < entries; ++i) {
    std::string entry = RandomBytes(rng, layout.entrySize);
    Put(&entry, 0,
        Field(recipe.entryPath + "." + ExtensionOfEntry(recipe, i),
              layout.pathWidth));
    Put(&entry, layout.entryTagOffset, Field(recipe.tag, layout.tagWidth));
    bytes += entry;
  }
  return bytes;
}

std::string DataFileBytes(const TrendRecipe& recipe, std::size_t index) {
  std::mt19937 rng(recipe.seed * 7919 + static_cast<std::uint32_t>(index) + 1);
  FixtureLayout layout = FixtureLayoutFor(recipe.version);
  std::string bytes =
      RandomBytes(rng, layout.dataHeaderSize + recipe.dataBodySize);
  Put(&bytes, layout.dataTagOffset,
      Field(recipe.dataTag.empty() ? recipe.tag : recipe.dataTag,
            layout.tagWidth));
  return bytes;
}

std::string WriteTrend(const std::filesystem::path& folder,
                       const TrendRecipe& recipe) {
  std::filesystem::path hst = folder / PathOf(HistoryName(recipe));
  WriteFile(hst, HistoryBytes(recipe));
  for (std::size_t i = 0; i < recipe.dataExtensions.size(); ++i)
    WriteFile(folder / PathOf(recipe.name + "." + recipe.dataExtensions[i]),
              DataFileBytes(recipe, i));
  return Utf8Of(hst);
}

void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + Utf8Of(path));
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

FolderImage ReadFolder(const std::filesystem::path& folder) {
  FolderImage image;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    if (entry.is_regular_file() && !entry.is_symlink())
      image[Utf8Of(entry.path().filename())] = ReadFile(entry.path());
  return image;
}

FolderImage WithoutJournals(FolderImage image, int* journals) {
  *journals = static_cast<int>(std::erase_if(
      image, [](const auto& file) { return IsJournalName(file.first); }));
  return image;
}

bool RecoverAll(Env& env, const std::string& folder, std::string* report) {
  std::vector<JournalRecovery> recoveries;
  Status s = RecoverFolder(env, folder, "", &recoveries);
  if (!s.ok()) {
    *report = s.ToString();
    return false;
  }
  bool all = true;
  for (const JournalRecovery& journal : recoveries) {
    all = all && journal.removed;
    if (!journal.problem.ok())
      *report += journal.journalPath + ": " + journal.problem.ToString() + "\n";
    for (const TrendRecovery& trend : journal.trends)
      *report += trend.historyFile + ": " + trend.Text() + "\n";
  }
  return all;
}

bool InterruptRename(const std::string& hstPath, const std::string& call,
                     const std::string& pathEnd, const std::string& newPath) {
  const std::filesystem::path hst = PathOf(hstPath);
  TempFolder copy;
  // Entry by entry: MinGW's copy of a folder refuses a target that exists.
  for (const auto& entry :
       std::filesystem::directory_iterator(hst.parent_path()))
    std::filesystem::copy(entry.path(), copy.path() / entry.path().filename(),
                          std::filesystem::copy_options::recursive);
  FailingEnv counting(Env::Default());
  RenameTrend(counting, Utf8Of(copy.path() / hst.filename()), kNewPath,
              kNewTag);
  const int at = counting.lastCallOf(call, pathEnd);
  if (at == 0) return false;
  FailingEnv killed(Env::Default(), Fault{.kind = FaultKind::kCrash, .at = at});
  RenameTrend(killed, hstPath, newPath, kNewTag);
  int journals = 0;
  WithoutJournals(ReadFolder(hst.parent_path()), &journals);
  return journals > 0;
}

void AddImage(MemEnv& env, const std::string& folder,
              const FolderImage& image) {
  for (const auto& [name, bytes] : image) env.AddFile(folder + name, bytes);
}

RenamedInMemory RenameInMemory(const TrendRecipe& recipe,
                               const FolderImage& others) {
  MemEnv env;
  AddImage(env, "/t/", others);
  for (std::size_t i = 0; i < recipe.dataExtensions.size(); ++i)
    env.AddFile("/t/" + recipe.name + "." + recipe.dataExtensions[i],
                DataFileBytes(recipe, i));
  env.AddFile("/t/" + recipe.name + "." + recipe.historyExtension,
              HistoryBytes(recipe));
  RenamedInMemory folder{env.Image("/t"), {}};
  RenameReport report =
      RenameTrend(env, "/t/" + recipe.name + "." + recipe.historyExtension,
                  kNewPath, kNewTag);
  if (!report.ok()) throw std::runtime_error(report.failure.ToString());
  folder.renamed = env.Image("/t");
  return folder;
}

FolderImage HalfDone(const FolderImage& before, FolderImage renamed,
                     const std::string& oldName, const std::string& newName,
                     const std::vector<std::string>& extensions) {
  for (const std::string& extension : extensions) {
    renamed.erase(newName + "." + extension);
    renamed[oldName + "." + extension] = before.at(oldName + "." + extension);
  }
  return renamed;
}

FolderImage ExpectedAfterRename(const TrendRecipe& recipe,
                                const FolderImage& before,
                                const std::string& newPath,
                                const std::string& newTag) {
  FixtureLayout layout = FixtureLayoutFor(recipe.version);
  std::string newName = newPath.substr(newPath.find_last_of("\\/") + 1);
  FolderImage expected = before;

  std::string history = expected.at(HistoryName(recipe));
  expected.erase(HistoryName(recipe));
  for (int i = 0; i < recipe.entryCount; ++i) {
    std::size_t entry = kHeaderSize + i * layout.entrySize;
    Put(&history, entry,
        Field(newPath + "." + ExtensionOfEntry(recipe, i), layout.pathWidth));
    Put(&history, entry + layout.entryTagOffset,
        Field(newTag, layout.tagWidth));
  }
  expected[newName + ".HST"] = history;

  for (const std::string& extension : recipe.dataExtensions) {
    std::string data = expected.at(recipe.name + "." + extension);
    expected.erase(recipe.name + "." + extension);
    Put(&data, layout.dataTagOffset, Field(newTag, layout.tagWidth));
    expected[newName + "." + extension] = data;
  }
  return expected;
}

namespace {

// Rewrites `count` bytes of the file `name` of `folder` at `offset` with
// `bytes`, or cuts it to `offset` bytes when `bytes` is empty.
void Patch(const std::filesystem::path& folder, const std::string& name,
           std::size_t offset, const std::string& bytes) {
  std::string content = ReadFile(folder / name);
  if (bytes.empty())
    content.resize(offset);
  else
    content.replace(offset, bytes.size(), bytes);
  WriteFile(folder / name, content);
}

std::string Int16(int value) {
  std::string bytes(2, '\0');
  PutInt16(&bytes, 0, value);
  return bytes;
}

// Entry `i`'s field at `offset` of the default recipe's history file.
std::size_t EntryField(int i, std::size_t offset) {
  return kHeaderSize + i * FixtureLayoutFor(5).entrySize + offset;
}

}  // namespace

const std::vector<DamageCase>& DamageCases() {
  using K = ProblemKind;
  using P = const std::filesystem::path&;
  static const std::vector<DamageCase> cases = {
      {"HistoryTooShort", [](P f) { Patch(f, "Trend1.HST", 100, ""); },
       K::kHistoryTooShort, "Trend1.HST", "", "100 bytes"},
      {"UnknownVersion", [](P f) { Patch(f, "Trend1.HST", 138, Int16(7)); },
       K::kUnknownVersion, "Trend1.HST", "Version", "unknown version 7"},
      {"NegativeEntryCount",
       [](P f) { Patch(f, "Trend1.HST", 150, Int16(-1)); }, K::kInvalidCounts,
       "Trend1.HST", "EntryCount", "EntryCount -1"},
      {"TableCutInsideEntries",
       [](P f) { Patch(f, "Trend1.HST", EntryField(2, 10), ""); }, K::kTableCut,
       "Trend1.HST", "EntryCount", "2 whole entries of the 4"},
      {"TableCutInsideExtraEntries",
       [](P f) { Patch(f, "Trend1.HST", EntryField(3, 0), ""); }, K::kTableCut,
       "Trend1.HST", "ExtraCount", "3 whole entries of the 4"},
      {"TagsDiffer",
       [](P f) {
         Patch(f, "Trend1.HST", EntryField(1, 160), Field("Pump", 80));
       },
       K::kTagsDiffer, "Trend1.HST", "entry 1 Tag", "'Pump' differs"},
      {"PathNamesAnotherFile",
       [](P f) {
         Patch(f, "Trend1.HST", EntryField(2, 0),
               Field("C:\\Ostrel\\Data\\Trend1A.002", 144));
       },
       K::kPathNameDiffers, "Trend1.HST", "entry 2 Path", "'Trend1A'"},
      {"DataFileMissing",
       [](P f) { std::filesystem::remove(f / "Trend1.001"); },
       K::kDataFileMissing, "Trend1.001", "entry 1 Path", "missing"},
      {"NumberedFileUnlisted",
       [](P f) {
         std::filesystem::copy_file(f / "Trend1.000", f / "Trend1.007");
       },
       K::kDataFileUnlisted, "Trend1.007", "", "does not list"},
      {"DataFileShorterThanItsHeader",
       [](P f) { Patch(f, "Trend1.002", 200, ""); }, K::kDataFileUnreadable,
       "Trend1.002", "", "200 bytes long"},
      {"DataTagDiffers",
       [](P f) { Patch(f, "Trend1.002", 144, Field("Trend1A", 80)); },
       K::kDataTagDiffers, "Trend1.002", "Tag", "'Trend1A' differs"},
      {"NamedInAnotherCase",
       [](P f) {
         std::filesystem::copy_file(f / "Trend1.000", f / "TREND1.003");
       },
       K::kCaseVariant, "TREND1.003", "", "another letter case"},
      {"PendingJournal",
       [](P f) {
         // The journal of a run that ends before its first change.
         RenameReport plan = PlanRename(
             Env::Default(), Utf8Of(f / "Trend1.HST"), kNewPath, kNewTag);
         RunJournal journal(Env::Default());
         if (!plan.ok() || !journal.Begin({&plan.plan}).ok())
           throw std::runtime_error("cannot journal a run");
       },
       K::kPendingRun, "Trend1.HST", "", "morvelle --recover"},
      {"Orphan", [](P f) { WriteFile(f / "Trend2.004", "x"); }, K::kOrphan,
       "Trend2.004", "", "no history file claims"},
      {"CaseTwins",
       [](P f) {
         TrendRecipe twin;
         twin.name = "TREND1";
         twin.entryPath = "C:\\Ostrel\\Data\\TREND1";
         WriteTrend(f, twin);
       },
       K::kCaseTwins, "Trend1.HST", "", "'TREND1.HST' in letter case only",
       true},
      {"FolderNamedLikeAHistoryFile",
       [](P f) { std::filesystem::create_directory(f / "Trend2.HST"); },
       K::kNotARegularFile, "Trend2.HST", "", "a folder"},
  };
  return cases;
}

std::vector<std::string> SkippedLines(const RenamePlan& plan) {
  std::vector<std::string> lines;
  for (const SkippedFile& file : plan.skipped)
    lines.push_back(file.name + ": " + file.reason);
  return lines;
}

}  // namespace morvelle::test
