#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>

#include "FailingEnv.h"
#include "TrendFixture.h"
#include "app/BatchList.h"
#include "app/CommandLine.h"
#include "app/RenameRuns.h"
#include "platform/Env.h"
#include "ui/RunReport.h"

namespace morvelle {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::ordered_json;
using test::FolderImage;
using test::TrendRecipe;

struct Output {
  int status = -1;
  std::string out, err;
};

// Trends A, B, C of different versions, each in a folder of its own, and
// a folder for lists.
class BatchListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* names[] = {"A", "B.old", "C"};
    int versions[] = {0, 4, 6};
    for (int i = 0; i < 3; ++i) {
      TrendRecipe& recipe = recipes_[i];
      recipe.name = names[i];
      recipe.version = versions[i];
      recipe.entryPath = std::string("C:\\Ostrel\\") + names[i];
      recipe.tag = std::string("Tag ") + names[i];
      recipe.seed = 10 + i;
    }
    Reset();
  }

  // Puts the three trends back as they were at the start.
  void Reset() {
    for (int i = 0; i < 3; ++i) {
      for (const auto& entry : fs::directory_iterator(folders_[i].path()))
        fs::remove(entry.path());
      hst_[i] = test::WriteTrend(folders_[i].path(), recipes_[i]);
      test::WriteFile(folders_[i].path() / (recipes_[i].name + ".bak"), "bak");
    }
  }

  // The three folders, without the journals of runs, which `*journals`
  // counts when given.
  std::vector<FolderImage> Images(int* journals = nullptr) const {
    std::vector<FolderImage> images;
    int count = 0;
    for (const test::TempFolder& folder : folders_) {
      int in_folder = 0;
      images.push_back(
          test::WithoutJournals(test::ReadFolder(folder.path()), &in_folder));
      count += in_folder;
    }
    if (journals) *journals = count;
    return images;
  }

  // Recovers every folder as the next Morvelle would; true when no journal
  // is left.
  bool RecoverAll(std::string* report) const {
    bool all = true;
    for (const test::TempFolder& folder : folders_)
      all = test::RecoverAll(Env::Default(), folder.File(""), report) && all;
    return all;
  }

  std::string List(const std::string& text) {
    std::string path = lists_.File("list.csv");
    test::WriteFile(path, text);
    return path;
  }

  // The list that renames trend i to NEWi with tag "New i".
  std::string StandardList() {
    std::string text = "# history file, new tag, new path\n";
    for (int i = 0; i < 3; ++i)
      text += CsvValue(hst_[i]) + ",\"New, " + std::to_string(i) +
              "\",C:\\Moved\\NEW" + std::to_string(i) + "\n";
    return List(text);
  }

  FolderImage Expected(int i, const FolderImage& before) const {
    return test::ExpectedAfterRename(recipes_[i], before,
                                     "C:\\Moved\\NEW" + std::to_string(i),
                                     "New, " + std::to_string(i));
  }

  Output Run(const std::vector<std::string>& args, Env& env = Env::Default(),
             bool progress = false, const std::atomic<bool>* stop = nullptr) {
    Result<Command> command = ParseCommandLine(args);
    EXPECT_TRUE(command.ok()) << command.status().ToString();
    if (!command.ok()) return {};
    std::ostringstream out, err;
    int status = RunCommand(env, *command, progress, stop, out, err);
    return {status, out.str(), err.str()};
  }

  TrendRecipe recipes_[3];
  std::string hst_[3];
  test::TempFolder folders_[3], lists_;
};

// What a JSON value is, as a script that reads a field expects it.
std::string TypeOf(const Json& value) {
  return value.is_number_unsigned() ? "number" : value.type_name();
}

// Every field of `object` and of the objects within it, by key, with the
// type it has and the record it was seen in.
void CollectTypes(
    const Json& object, const std::string& record,
    std::map<std::string, std::map<std::string, std::string>>* types) {
  for (const auto& [key, value] : object.items()) {
    (*types)[key][TypeOf(value)] = record;
    std::vector<Json> within = value.is_array()    ? std::vector<Json>(value)
                               : value.is_object() ? std::vector<Json>{value}
                                                   : std::vector<Json>{};
    for (const Json& element : within)
      if (element.is_object()) CollectTypes(element, record, types);
  }
}

// Every mode that takes --json writes records, one to a line, each with
// the schema and its kind; runs end with their summary; a field has one
// type wherever it is written.
TEST_F(BatchListTest, JsonOutputIsRecordsWithOneTypePerField) {
  const std::string folder = folders_[0].File("");
  const std::string standard = test::ReadFile(StandardList());
  struct Case {
    std::vector<std::string> args;
    std::string list;   // written to the list --batch is given first
    std::string kinds;  // the records' kinds, in order
  } cases[] = {
      {{"--info", "--json", hst_[0]}, "", "trend"},
      {{"--list", folder, "--json"}, "", "folder"},
      {{"--check", folder, "--json"}, "", "check"},
      {{"--dry-run", "--json", hst_[1], "New", "C:\\N"}, "", "plan"},
      {{"--dry-run", "--json"}, standard, "row row row summary"},
      {{"--json"}, CsvValue(hst_[0]) + ",,C:\\N\n", "row summary"},
      {{"--json"}, "a,b\n", "summary"},
      {{"--json"}, standard, "row row row summary"},
  };
  std::map<std::string, std::map<std::string, std::string>> types;
  for (Case& c : cases) {
    if (!c.list.empty())
      c.args.insert(c.args.begin(), {"--batch", List(c.list)});
    Output run = Run(c.args);
    std::istringstream lines(run.out);
    std::string line, kinds;
    while (std::getline(lines, line)) {
      Json record;
      ASSERT_NO_THROW(record = Json::parse(line)) << line;
      ASSERT_TRUE(record.is_object()) << line;
      EXPECT_EQ(record.value("schema", Json()), 1) << line;
      kinds += (kinds.empty() ? "" : " ") + record.value("kind", "");
      CollectTypes(record, record.value("kind", ""), &types);
    }
    EXPECT_EQ(kinds, c.kinds) << c.args[0] << " " << run.out;
    EXPECT_TRUE(run.out.ends_with("}\n")) << run.out;
  }
  for (const auto& [key, seen] : types) {
    std::string all;
    for (const auto& [type, record] : seen)
      all += type + " in " + record + "; ";
    EXPECT_EQ(seen.size(), 1u) << key << ": " << all;
  }
  EXPECT_EQ(types.at("dataFiles").begin()->first, "array");
  EXPECT_EQ(types.at("dataFileCount").begin()->first, "number");
}

TEST_F(BatchListTest, RenamesEveryRowAndSummarises) {
  std::vector<FolderImage> before = Images();
  std::string list = StandardList();
  Output run = Run({"--batch", list});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out, list + ":2: renamed '" + hst_[0] +
                         "' to 'NEW0.HST' with 3 data files\n" + list +
                         ":3: renamed '" + hst_[1] +
                         "' to 'NEW1.HST' with 3 data files\n" + list +
                         ":4: renamed '" + hst_[2] +
                         "' to 'NEW2.HST' with 3 data files\n"
                         "Summary: 3 renamed, 0 refused, 0 failed, 0 not "
                         "run.\n");
  std::vector<FolderImage> after = Images();
  for (int i = 0; i < 3; ++i) EXPECT_EQ(after[i], Expected(i, before[i]));
}

// A row that keeps the file name (a new tag, the path moved to another
// folder) is not said to be renamed to itself.
TEST_F(BatchListTest, ARowThatKeepsTheNameSaysSo) {
  std::string list = List(CsvValue(hst_[0]) + ",Tag A2,D:\\New\\A\n");
  Output run = Run({"--batch", list});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, list + ":1: rewrote '" + hst_[0] +
                         "' and its 3 data files, their names kept\n"
                         "Summary: 1 renamed, 0 refused, 0 failed, 0 not "
                         "run.\n");
}

// Reads what --dry-run printed: per trend, "old -> new" for each file and
// the new path and tag shown for each table entry.
struct PlanSeen {
  std::map<std::string, std::string> names;
  std::vector<std::string> entryPaths, entryTags;
  std::string dataTag;
};

std::vector<PlanSeen> ReadPlans(const std::string& text) {
  std::vector<PlanSeen> plans;
  std::istringstream lines(text);
  std::string line;
  auto last_quoted = [](const std::string& s) {
    std::size_t end = s.rfind('\'');
    std::size_t begin = s.rfind('\'', end - 1);
    return s.substr(begin + 1, end - begin - 1);
  };
  while (std::getline(lines, line)) {
    if (line.rfind("Trend '", 0) == 0) plans.emplace_back();
    if (plans.empty() || line.rfind("  ", 0) != 0) continue;
    PlanSeen& plan = plans.back();
    std::size_t arrow = line.find(" -> ");
    if (line.rfind("  entry ", 0) == 0) {
      plan.entryPaths.push_back(last_quoted(line.substr(0, line.size() - 1)));
    } else if (line.rfind("           tag ", 0) == 0) {
      plan.entryTags.push_back(last_quoted(line));
    } else if (line.rfind("  data-file headers: ", 0) == 0) {
      plan.dataTag = last_quoted(line);
    } else if (line.rfind(" (keeps its name)") != std::string::npos) {
      std::string name = line.substr(2, line.size() - 19);
      plan.names[name] = name;
    } else if (arrow != std::string::npos &&
               line.find('\'') == std::string::npos) {
      plan.names[line.substr(2, arrow - 2)] = line.substr(arrow + 4);
    }
  }
  return plans;
}

// Checks the files of `folder` against a plan that was printed: every file
// the plan renames is under its new name only, every other file as it was,
// and the fields hold the values the plan showed.
void ExpectFolderMatchesPlan(const FolderImage& before,
                             const FolderImage& after, const PlanSeen& plan,
                             const test::FixtureLayout& layout) {
  for (const auto& [name, bytes] : before) {
    auto renamed = plan.names.find(name);
    if (renamed == plan.names.end()) {
      EXPECT_EQ(after.at(name), bytes) << name;
      continue;
    }
    if (renamed->second != name) {
      EXPECT_EQ(after.count(name), 0u) << name;
    }
    ASSERT_EQ(after.count(renamed->second), 1u) << renamed->second;
    const std::string& now = after.at(renamed->second);
    EXPECT_EQ(now.size(), bytes.size());
    if (name.size() > 4 && name.substr(name.size() - 4) == ".HST") {
      ASSERT_GE(now.size(), 176 + plan.entryPaths.size() * layout.entrySize);
      for (std::size_t i = 0; i < plan.entryPaths.size(); ++i) {
        std::string entry = now.substr(176 + i * layout.entrySize);
        EXPECT_EQ(test::Field(plan.entryPaths[i], layout.pathWidth),
                  entry.substr(0, layout.pathWidth));
        EXPECT_EQ(test::Field(plan.entryTags[i], layout.tagWidth),
                  entry.substr(layout.entryTagOffset, layout.tagWidth));
      }
    } else {
      EXPECT_EQ(now.substr(layout.dataTagOffset, layout.tagWidth),
                test::Field(plan.dataTag, layout.tagWidth));
    }
  }
  EXPECT_EQ(after.size(), before.size());
}

TEST_F(BatchListTest, DryRunPlanMatchesWhatTheRenameThenDoes) {
  // A tag longer than version 0's Tag field: the plan shows it cut.
  std::string long_tag = std::string(40, 't');
  std::vector<FolderImage> before = Images();

  Output single = Run({"--dry-run", hst_[0], long_tag, "C:\\Moved\\Single"});
  ASSERT_EQ(single.status, 0) << single.err;
  EXPECT_NE(single.out.find("Warning: The new tag is 40 characters long; the "
                            "Tag field holds 32"),
            std::string::npos);
  EXPECT_NE(single.out.find("left untouched: A.bak (not a data file name)"),
            std::string::npos);
  EXPECT_EQ(Images(), before);
  std::vector<PlanSeen> plans = ReadPlans(single.out);
  ASSERT_EQ(plans.size(), 1u);
  EXPECT_EQ(plans[0].names.size(), 4u);
  EXPECT_EQ(plans[0].entryPaths.size(), 3u);
  EXPECT_EQ(plans[0].dataTag, std::string(32, 't'));
  ASSERT_EQ(Run({hst_[0], long_tag, "C:\\Moved\\Single"}).status, 0);
  ExpectFolderMatchesPlan(before[0], Images()[0], plans[0],
                          test::FixtureLayoutFor(0));

  before = Images();
  std::string list =
      List(CsvValue(folders_[0].File("Single.HST")) + ",Back,C:\\Ostrel\\A\n" +
           CsvValue(hst_[1]) + ",\"New, 1\",C:\\Moved\\NEW1\n" +
           CsvValue(hst_[2]) + ",New2,C:\\Moved\\C\n");
  Output dry = Run({"--batch", list, "--dry-run"});
  ASSERT_EQ(dry.status, 0) << dry.err;
  EXPECT_TRUE(dry.out.ends_with(
      "Dry run: 3 trends would be renamed.\nSummary: 0 renamed, 0 refused, "
      "0 failed, 3 not run. Nothing was changed.\n"))
      << dry.out;
  EXPECT_NE(dry.out.find("  C.000 (keeps its name)\n"), std::string::npos);
  EXPECT_EQ(Images(), before);
  plans = ReadPlans(dry.out);
  ASSERT_EQ(plans.size(), 3u);
  ASSERT_EQ(Run({"--batch", list}).status, 0);
  std::vector<FolderImage> after = Images();
  int versions[] = {0, 4, 6};
  for (int i = 0; i < 3; ++i)
    ExpectFolderMatchesPlan(before[i], after[i], plans[i],
                            test::FixtureLayoutFor(versions[i]));
}

// What --list prints is a list that, run as it stands, keeps every name:
// only a trend whose recorded path names another file gets that name.
TEST_F(BatchListTest, FolderListRunsBackAsAListThatKeepsTheNames) {
  fs::path folder = folders_[0].path();
  TrendRecipe moved = recipes_[2];
  moved.name = "Other";
  moved.historyExtension = "hst";
  moved.tag = "Pump 7, north";
  moved.entryPath = "C:\\Ostrel\\Moved";
  test::WriteTrend(folder, moved);
  std::string other = folders_[0].File("Other.hst");

  Output listed = Run({"--list", test::Utf8Of(folder)});
  ASSERT_EQ(listed.status, 0) << listed.err;
  // Its table naming another file is damage the header tells.
  EXPECT_EQ(listed.out, "# Morvelle: the trends of " + folders_[0].File("") +
                            "\n# Damaged: " + other +
                            " (3 problems; morvelle --check tells them): "
                            "Other.hst: entry 0 Path: names the file 'Moved', "
                            "not 'Other' as the history file"
                            "\n# history file, new tag, new path\n" +
                            CsvValue(hst_[0]) + ",Tag A,C:\\Ostrel\\A\n" +
                            CsvValue(other) +
                            ",\"Pump 7, north\",C:\\Ostrel\\Moved\n");
  // The JSON form carries the same damage, each trend's whole.
  Json trends = Json::parse(Run({"--list", test::Utf8Of(folder), "--json"}).out)
                    .at("trends");
  ASSERT_EQ(trends.size(), 2u);
  EXPECT_EQ(trends[0].at("healthy"), true);
  EXPECT_EQ(trends[0].at("problems").size(), 0u);
  EXPECT_EQ(trends[1].at("healthy"), false);
  ASSERT_EQ(trends[1].at("problems").size(), 3u);
  EXPECT_EQ(trends[1]["problems"][0].at("file"), other);
  std::vector<FolderImage> before = Images();
  Output dry = Run({"--batch", List(listed.out), "--dry-run"});
  ASSERT_EQ(dry.status, 0) << dry.err;
  EXPECT_EQ(Images(), before);
  std::vector<PlanSeen> plans = ReadPlans(dry.out);
  ASSERT_EQ(plans.size(), 2u);
  std::map<std::string, std::string> kept, renamed;
  for (const char* name : {"A.HST", "A.000", "A.001", "A.002"})
    kept[name] = name;
  for (const char* ext : {"000", "001", "002"})
    renamed[std::string("Other.") + ext] = std::string("Moved.") + ext;
  renamed["Other.hst"] = "Moved.HST";
  EXPECT_EQ(plans[0].names, kept);
  EXPECT_EQ(plans[1].names, renamed);
}

TEST_F(BatchListTest, ConflictBetweenRowsChangesNothing) {
  test::WriteFile(folders_[0].path() / "Taken.HST", "another trend");
  // Trend B once more, spelled another way. Messages name files by their
  // absolute path, which on Windows has the "." resolved.
  std::string b_again = folders_[1].File("./B.old.HST"), b_again_named;
  ASSERT_TRUE(Env::Default().AbsolutePath(b_again, &b_again_named).ok());
  // Two rows that both work on their own: trend A, and a copy of it as
  // trend D in folder 0.
  TrendRecipe d = recipes_[0];
  d.name = "D";
  std::string hst_d = test::WriteTrend(folders_[0].path(), d);
  struct Case {
    std::string what, list, message;
  } cases[] = {
      {"two trends bound for one name",
       hst_[0] + ",X,C:\\Moved\\Same\n" + hst_[1] + ",Y,C:\\Y\n" + hst_d +
           ",Z,D:\\Other\\Same\n",
       ":3: Cannot rename '" + hst_d +
           "' to 'Same.HST': another row renames a file to that name too "
           "(line 1)\n"},
      {"two trends bound for one name in another letter case",
       hst_[0] + ",X,C:\\Moved\\\xC3\x96l\n" + hst_d +
           ",Z,D:\\Other\\\xC3\xB6L\n",
       ":2: Cannot rename '" + hst_d +
           "' to '\xC3\xB6L.HST': another row renames a file to that name too "
           "(line 1)\n"},
      {"the same trend twice",
       hst_[1] + ",X,C:\\X\n" + hst_[2] + ",Y,C:\\Y\n" + b_again + ",Z,C:\\Z\n",
       ":3: '" + b_again_named +
           "' is a file of another row's trend too (line 1)\n"},
      {"a trend renamed onto a name another holds",
       hst_[0] + ",X,C:\\Taken\n" + hst_[1] + ",Y,C:\\Y\n",
       ":1: Cannot rename '" + hst_[0] + "': '" +
           folders_[0].File("Taken.HST") + "' already exists\n"},
  };
  std::vector<FolderImage> before = Images();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string list = List(c.list);
    Output run = Run({"--batch", list, "--undo-list", lists_.File("undo")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find(list + c.message), std::string::npos) << run.err;
    EXPECT_NE(run.err.find(" renamed, 1 refused, 0 failed, "),
              std::string::npos)
        << run.err;
    EXPECT_EQ(Images(), before);
    EXPECT_FALSE(fs::exists(lists_.File("undo")));
  }
}

TEST_F(BatchListTest, OneRefusedRowChangesNothing) {
  TrendRecipe bad;
  bad.name = "Bad";
  bad.version = 9;
  std::string hst_bad = test::WriteTrend(folders_[1].path(), bad);
  std::vector<FolderImage> before = Images();
  struct Case {
    std::string row, message;
  } cases[] = {
      {"\"" + hst_[1] + "\",,C:\\X", "The new tag is empty"},
      {hst_[1] + ",X,C:\\Data\\", "has no file name"},
      {hst_[1] + ",X,C:\\Data\\CON", "reserves for a device"},
      {folders_[1].File("Missing.HST") + ",X,C:\\X", "not found"},
      {hst_bad + ",X,C:\\X", "Invalid Trend Version 9"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.row);
    std::string list = List(hst_[0] + ",T0,C:\\N0\n" + c.row + "\n" + hst_[2] +
                            ",T2,C:\\N2\n");
    for (bool dry_run : {false, true}) {
      std::vector<std::string> args = {"--batch", list};
      if (dry_run) args.push_back("--dry-run");
      Output run = Run(args);
      EXPECT_EQ(run.status, 1);
      EXPECT_EQ(run.out, "");
      EXPECT_NE(run.err.find(list + ":2: "), std::string::npos) << run.err;
      EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
      EXPECT_NE(run.err.find("Summary: 0 renamed, 1 refused, 0 failed, 2 not "
                             "run. Nothing was changed.\n"),
                std::string::npos)
          << run.err;
      EXPECT_EQ(Images(), before);
    }
  }
}

// Ends with the summary line of a run that changed nothing.
void ExpectNothingChanged(const Output& run, const std::string& counts) {
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_TRUE(run.err.ends_with("\nmorvelle: Summary: " + counts +
                                ". Nothing was changed.\n"))
      << run.err;
}

TEST_F(BatchListTest, UnsoundListChangesNothing) {
  std::vector<FolderImage> before = Images();
  std::string good = CsvValue(hst_[0]) + ",T,C:\\T\n";
  const std::string undo_marker = "# Morvelle undo list: renames back\n";
  // A folder as the list: refused in the words of the platform's
  // file-system layer.
  std::string folder_path = test::Utf8Of(lists_.path()), text;
  Status not_readable =
      Env::Default().ReadTextFile(folder_path, 1 << 20, &text);
  ASSERT_FALSE(not_readable.ok());
  struct Case {
    std::string list;  // empty: no such file
    std::string message, counts;
  } cases[] = {
      {good + hst_[1] + ",T\n", "list.csv:2: has 2 values",
       "0 renamed, 1 refused, 0 failed, 1 not run"},
      {good + "\"" + hst_[1] + ",T,C:\\T\n",
       "list.csv:2: a quoted value is not closed",
       "0 renamed, 1 refused, 0 failed, 1 not run"},
      {good + hst_[1] + ",T \"x\",C:\\T\n",
       "list.csv:2: a value holds a double quote",
       "0 renamed, 1 refused, 0 failed, 1 not run"},
      {undo_marker + good + hst_[1] + ",T,C:\\T",
       "list.csv:3: has no line end: this undo list was cut short",
       "0 renamed, 1 refused, 0 failed, 1 not run"},
      {"# only a comment\n\n", "holds no trend",
       "0 renamed, 0 refused, 0 failed, 0 not run"},
      {"", "Could not read the list: open '",
       "0 renamed, 0 refused, 0 failed, 0 not run"},
      {"folder", "Could not read the list: " + not_readable.ToString() + "\n",
       "0 renamed, 0 refused, 0 failed, 0 not run"},
      {"huge", "' is larger than 64 MiB, the most Morvelle reads; split it",
       "0 renamed, 0 refused, 0 failed, 0 not run"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    fs::remove(lists_.File("list.csv"));
    std::string list = c.list == "folder" ? folder_path
                       : c.list.empty()   ? lists_.File("list.csv")
                                          : List(c.list);
    // Sparse: 64 MiB and one byte, of which only the first row is written.
    if (c.list == "huge")
      fs::resize_file(test::PathOf(list), (std::uintmax_t{64} << 20) + 1);
    Output run = Run({"--batch", list});
    ExpectNothingChanged(run, c.counts);
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    EXPECT_EQ(Images(), before);
  }
}

TEST_F(BatchListTest, UndoListRestoresEveryFileByteForByte) {
  std::vector<FolderImage> before = Images();
  // Not under a name the run gives a file, whatever the letter case.
  for (const std::string& taken :
       {folders_[0].File("NEW0.HST"), folders_[2].File("new2.002")}) {
    SCOPED_TRACE(taken);
    for (bool dry_run : {false, true}) {
      std::vector<std::string> args = {"--batch", StandardList(), "--undo-list",
                                       taken};
      if (dry_run) args.push_back("--dry-run");
      Output refused = Run(args);
      ExpectNothingChanged(refused,
                           "0 renamed, 0 refused, 0 failed, 3 not run");
      EXPECT_NE(refused.err.find("' would take the name of the trend file '"),
                std::string::npos)
          << refused.err;
      EXPECT_EQ(Images(), before);
      EXPECT_FALSE(fs::exists(test::PathOf(taken)));
    }
  }
  // A name beyond ASCII must reach the file system as given.
  std::string undo = lists_.File("undo \xC3\xA9t\xC3\xA9.csv");
  Output run = Run({"--batch", StandardList(), "--undo-list", undo});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  std::vector<FolderImage> renamed = Images();
  for (int i = 0; i < 3; ++i) EXPECT_EQ(renamed[i], Expected(i, before[i]));
  EXPECT_TRUE(fs::exists(test::PathOf(undo)));

  // Asked again, it refuses to overwrite the undo list it wrote.
  Output again = Run({"--batch", StandardList(), "--undo-list", undo});
  ExpectNothingChanged(again, "0 renamed, 0 refused, 0 failed, 3 not run");
  EXPECT_NE(again.err.find("exists already"), std::string::npos);

  Output back = Run({"--batch", undo});
  ASSERT_EQ(back.status, 0) << back.err;
  EXPECT_EQ(Images(), before);
}

// Warned about before anything is changed: a row the undo run would
// refuse (trend A's old path holds a double quote) or could not restore
// byte for byte (trend C's entries differ).
TEST_F(BatchListTest, UndoListWarnsWhenItCannotRestoreExactly) {
  recipes_[0].entryPath = "C:\\Ostrel\\Pump \"7\"";
  Reset();
  std::string bytes = test::ReadFile(hst_[2]);
  bytes.replace(176 + 448 + 304, 80, test::Field("Another tag", 80));
  test::WriteFile(hst_[2], bytes);
  Output run = Run({"--batch", StandardList(), "--dry-run", "--undo-list",
                    lists_.File("undo.csv")});
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.err.find(":2: warning: the undo list cannot rename this trend "
                         "back: The new path 'C:\\Ostrel\\Pump \"7\"' holds "
                         "'\"', which a file name cannot hold\n"),
            std::string::npos)
      << run.err;
  EXPECT_NE(run.err.find(":4: warning: the undo list cannot restore this "
                         "trend exactly: entry 1 of its table"),
            std::string::npos)
      << run.err;
  EXPECT_EQ(run.err.find(":3: warning"), std::string::npos) << run.err;
  EXPECT_FALSE(fs::exists(lists_.File("undo.csv")));
}

// A file-system failure at any call, or a write cut short, stops the run
// at the row it hits: the rows before it stay renamed and are in the undo
// list, the row itself is rolled back, the rows after it are untouched. A
// row the undo list cannot take stays renamed, is named, and ends the run
// likewise; the list keeps its whole rows only. An undo list that cannot
// be started is not left behind.
TEST_F(BatchListTest, FailureStopsTheRunAtItsRow) {
  std::vector<FolderImage> original = Images();
  std::string list = StandardList();
  std::string undo = lists_.File("undo.csv");
  std::vector<test::Fault> faults;
  {
    test::FailingEnv counter(Env::Default());
    ASSERT_EQ(Run({"--batch", list, "--undo-list", undo}, counter).status, 0);
    ASSERT_GT(counter.calls(), 60);
    for (int k = 1; k <= counter.calls(); ++k)
      faults.push_back({test::FaultKind::kFail, k});
    for (int k = 1; k <= counter.writes(); ++k)
      faults.push_back({test::FaultKind::kShortWrite, k});
  }
  int failed_in_a_row = 0, missing_from_undo = 0, undo_not_started = 0;
  for (const test::Fault& fault : faults) {
    SCOPED_TRACE(std::to_string(static_cast<int>(fault.kind)) + " at " +
                 std::to_string(fault.at));
    Reset();
    fs::remove(undo);
    ASSERT_EQ(Images(), original);

    test::FailingEnv env(Env::Default(), fault);
    Output run = Run({"--batch", list, "--undo-list", undo}, env);
    // Closing a journal that is flushed and then removed cannot lose
    // anything: such a run has done its work.
    if (env.callWas(fault.at, "close", "journal-1")) {
      EXPECT_EQ(run.status, 0) << run.err;
      continue;
    }
    // Only the journal of a run that completed was left over.
    const bool journal_left =
        run.err.find("journal could not be removed") != std::string::npos;
    EXPECT_EQ(run.status, journal_left ? 0 : 1);
    int journals = 0;
    Images(&journals);
    std::string recovery;
    EXPECT_TRUE(RecoverAll(&recovery)) << recovery;
    EXPECT_EQ(journals > 0,
              journal_left ||
                  run.err.find("could not be flushed") != std::string::npos)
        << run.err;
    const std::string injected = fault.kind == test::FaultKind::kShortWrite
                                     ? "injected short write"
                                     : "injected failure";
    EXPECT_NE(run.err.find(injected), std::string::npos) << run.err;
    std::size_t renamed = 0;
    for (std::size_t at = run.out.find(": renamed '"); at != std::string::npos;
         at = run.out.find(": renamed '", at + 1))
      ++renamed;
    std::vector<FolderImage> now = Images();
    for (std::size_t i = 0; i < renamed; ++i)
      EXPECT_EQ(now[i], Expected(static_cast<int>(i), original[i])) << i;
    bool hit_a_row =
        run.err.find("Every change was undone") != std::string::npos;
    for (std::size_t i = renamed; i < 3; ++i)
      EXPECT_EQ(now[i], original[i]) << i;
    if (hit_a_row) {
      ++failed_in_a_row;
      EXPECT_NE(run.out.find("Summary: " + std::to_string(renamed) +
                             " renamed, 0 refused, 1 failed, " +
                             std::to_string(2 - renamed) + " not run.\n"),
                std::string::npos)
          << run.out;
      EXPECT_NE(run.err.find("The rows after it were not run.\n"),
                std::string::npos);
    }
    std::size_t not_in_undo = 0;
    if (run.err.find(": renamed, but the undo list lacks it: ") !=
        std::string::npos) {
      ++missing_from_undo;
      not_in_undo = 1;
      EXPECT_NE(run.err.find(":" + std::to_string(renamed + 1) +
                             ": renamed, but the undo list lacks it: write '" +
                             undo + "': " + injected +
                             "\nmorvelle: The rows after it were not run.\n"),
                std::string::npos)
          << run.err;
      EXPECT_NE(run.out.find("Summary: " + std::to_string(renamed) +
                             " renamed, 0 refused, 0 failed, " +
                             std::to_string(3 - renamed) + " not run.\n"),
                std::string::npos)
          << run.out;
    }
    if (run.err.find("Could not create the undo list: ") != std::string::npos) {
      ++undo_not_started;
      EXPECT_FALSE(fs::exists(test::PathOf(undo)));
    }
    if (!fs::exists(test::PathOf(undo))) {
      EXPECT_EQ(renamed, 0u);
      continue;
    }
    std::string undo_text = test::ReadFile(undo);
    RenameList rows = ParseRenameList(undo_text);
    EXPECT_TRUE(undo_text.ends_with("\n"));
    EXPECT_TRUE(rows.errors.empty());
    EXPECT_EQ(rows.rows.size() + not_in_undo, renamed);
  }
  EXPECT_GT(failed_in_a_row, 40);
  // The three rows, each by a failed and by a short write.
  EXPECT_EQ(missing_from_undo, 6);
  // The creation, and the first lines by a failed and by a short write.
  EXPECT_EQ(undo_not_started, 3);
}

// A stop request is seen between rows and inside the row in progress, which
// is finished (its undo row written) or put back as it was. The rows after
// it are not run, and the run ends with the status a shell gives an
// interrupted program.
TEST_F(BatchListTest, StopRequestLeavesEveryTrendWhole) {
  std::vector<FolderImage> original = Images();
  const FolderImage first_renamed = Expected(0, original[0]);
  std::string undo = lists_.File("undo.csv");
  for (std::size_t renamed : {0, 1}) {
    SCOPED_TRACE(renamed);
    Reset();
    fs::remove(undo);
    std::atomic<bool> stop = renamed == 0;
    test::FailingEnv env(Env::Default());
    env.onCall = [&] {
      if (Images()[0] == first_renamed) stop = true;
    };
    Output run = Run({"--batch", StandardList(), "--undo-list", undo}, env,
                     false, &stop);
    EXPECT_EQ(run.status, kExitInterrupted);
    EXPECT_EQ(run.err, "morvelle: Stopped on request before line " +
                           std::to_string(2 + renamed) +
                           "; the rows from it on were not run.\n");
    EXPECT_TRUE(run.out.ends_with("Summary: " + std::to_string(renamed) +
                                  " renamed, 0 refused, 0 failed, " +
                                  std::to_string(3 - renamed) + " not run.\n"))
        << run.out;
    std::vector<FolderImage> now = Images();
    for (std::size_t i = 0; i < 3; ++i)
      EXPECT_EQ(now[i], i < renamed ? Expected(static_cast<int>(i), original[i])
                                    : original[i])
          << i;
    EXPECT_EQ(ParseRenameList(test::ReadFile(undo)).rows.size(), renamed);
  }
  // A single rename stopped part-way is put back as it was.
  Reset();
  std::atomic<bool> stop = true;
  Output single =
      Run({hst_[0], "New", "C:\\Moved\\New"}, Env::Default(), false, &stop);
  EXPECT_EQ(single.status, kExitInterrupted);
  EXPECT_NE(
      single.err.find("was stopped before it was complete.\nmorvelle: Every "
                      "change was undone: the trend is as it was."),
      std::string::npos)
      << single.err;
  EXPECT_EQ(Images(), original);
}

// `text` without the program's name that starts each line of standard
// error.
std::string WithoutProgramName(std::string text) {
  const std::string name = "morvelle: ";
  for (std::size_t at = 0; at < text.size(); at = text.find('\n', at) + 1) {
    if (text.compare(at, name.size(), name) == 0) text.erase(at, name.size());
    if (text.find('\n', at) == std::string::npos) break;
  }
  return text;
}

// The Many trends window runs a list through RunListFiles: each row's
// outcome is kept, its text is what --batch prints, standard output and
// standard error as one, byte for byte but for the program's name before
// the lines of standard error, and its report keeps what it told.
TEST_F(BatchListTest, WindowRunKeepsEachRowAndShowsWhatBatchPrints) {
  auto row = [&](int i, const std::string& tag) {
    return CsvValue(hst_[i]) + "," + tag + ",C:\\Moved\\NEW" +
           std::to_string(i) + "\n";
  };
  const std::string standard = row(0, "N0") + row(1, "N1") + row(2, "N2");
  struct Case {
    std::string name, list;
    bool stop = false;
    bool cutDataFile = false;  // C.001 shorter than a header
    std::string outcomes;      // a letter per row: Renamed, Xrefused,
                               // Failed, Not run
    std::string told;
  } cases[] = {
      // Version 0's Tag field holds 32 characters: cut, with warnings.
      {"warnings", row(0, std::string(40, 't')) + row(1, "N1"), false, false,
       "RR", ":1: warning: The new tag is 40 characters long"},
      {"conflict", standard + row(0, "Again"), false, false, "NNNX",
       " (line 1)\n"},
      {"unsound", "a,b\n" + standard, false, false, "",
       "The list is not sound.\n"},
      {"failed in a row", standard, false, true, "RRF",
       "The rows after it were not run.\n"},
      {"stopped", standard, true, false, "NNN", "Stopped on request"},
  };
  const std::string undo = lists_.File("undo.csv");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string printed;
    int printed_status = -1;
    for (bool window : {false, true}) {
      Reset();
      fs::remove(undo);
      if (c.cutDataFile) test::WriteFile(folders_[2].path() / "C.001", "short");
      std::atomic<bool> stop = c.stop;
      RunFiles files{List(c.list), undo, 0, {}};
      if (!window) {
        BatchListOptions options;
        options.listPath = files.list;
        options.undoListPath = files.undoList;
        options.stop = &stop;
        std::ostringstream text;
        printed_status = RunBatchList(Env::Default(), options, text, text);
        printed = WithoutProgramName(text.str());
        EXPECT_NE(printed, text.str());
        continue;
      }
      ListRun run = RunListFiles(Env::Default(), files, &stop, nullptr);
      const RunResult shown = ShownResult(run);
      EXPECT_EQ(shown.status, printed_status);
      EXPECT_EQ(shown.text, printed);
      EXPECT_NE(shown.text.find(c.told), std::string::npos) << shown.text;
      // Its report keeps what it told.
      const std::string report =
          ReportOfRun(RunKind::kRename, files, run, {}).Text();
      EXPECT_NE(report.find(c.told), std::string::npos) << report;
      std::string outcomes;
      for (const RowResult& r : run.rows)
        outcomes += "RXFN"[static_cast<int>(r.outcome)];
      EXPECT_EQ(outcomes, c.outcomes);
    }
  }
}

// Names and values are shown with their control characters escaped, so
// that they can neither forge a line of output nor drive the terminal.
TEST_F(BatchListTest, ControlCharactersInNamesAreShownEscaped) {
  TrendRecipe recipe;
  recipe.name = "T\x7F";
  recipe.tag = "Tag\x1B[2J\nX";
  std::string hst = test::WriteTrend(lists_.path(), recipe);
  const std::string name = "T\\x7F.HST'", tag = "'Tag\\x1B[2J\\x0AX'";
  struct Case {
    std::vector<std::string> args;
    std::string shown;
  } cases[] = {
      {{"--info", hst}, "Tag:           " + tag.substr(1, tag.size() - 2)},
      {{"--dry-run", hst, "New", "C:\\New"}, "tag " + tag + " -> 'New'"},
      {{"--dry-run", hst, "New", "C:\\New"}, name},
      {{"--batch", List(CsvValue(hst) + ",New,C:\\New\n")}, name},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.shown);
    Output run = Run(c.args);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find(c.shown), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find_first_of("\x1B\x7F"), std::string::npos);
    EXPECT_EQ(run.out.find("\nX"), std::string::npos);
  }
}

TEST_F(BatchListTest, ProgressBarOnlyWhenAskedAndGoneAtTheEnd) {
  Output plain = Run({"--batch", StandardList()});
  EXPECT_EQ(plain.err, "");
  Reset();
  Output one =
      Run({"--batch", List(hst_[0] + ",T,C:\\A1\n")}, Env::Default(), true);
  EXPECT_EQ(one.status, 0);
  EXPECT_EQ(one.err, "") << "one row draws no bar";
  Reset();
  Output bar = Run({"--batch", StandardList()}, Env::Default(), true);
  ASSERT_EQ(bar.status, 0) << bar.err;
  EXPECT_NE(bar.err.find("\r[" + std::string(10, '#') + std::string(20, '.') +
                         "] 1/3 trends"),
            std::string::npos);
  // Every bar drawn is wiped before anything else is written.
  EXPECT_EQ(bar.err.back(), '\r');
  EXPECT_EQ(bar.err.find('\n'), std::string::npos);
}

}  // namespace
}  // namespace morvelle
