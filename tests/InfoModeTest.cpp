#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>

#include "MemEnv.h"
#include "TrendFixture.h"
#include "app/CheckMode.h"
#include "app/CommandLine.h"
#include "app/FolderList.h"
#include "app/InfoMode.h"
#include "app/Json.h"
#include "app/Messages.h"
#include "app/RepairMode.h"
#include "platform/Env.h"
#include "platform/FieldEncoding.h"
#include "trend/TrendCheck.h"

namespace morvelle {
namespace {

namespace fs = std::filesystem;
using test::TrendRecipe;
// Keeps the keys in the order written. Its parse throws on anything that
// is not one JSON value in valid UTF-8.
using Json = nlohmann::ordered_json;

struct Output {
  int status = -1;
  std::string out, err;
};

Output Info(const std::string& hst, bool json) {
  std::ostringstream out, err;
  int status = RunInfo(Env::Default(), hst, json, out, err);
  return {status, out.str(), err.str()};
}

TEST(JsonStringTest, EscapesWhatJsonNeedsAndKeepsTheRest) {
  struct Case {
    std::string text, json;
  } cases[] = {
      {"plain", "\"plain\""},
      {"C:\\Data\\\"T\"", "\"C:\\\\Data\\\\\\\"T\\\"\""},
      {"a\nb\tc\rd", "\"a\\nb\\tc\\rd\""},
      {std::string("\x01\x1f\x7f", 3), "\"\\u0001\\u001f\x7f\""},
      {"K\xC3\xBChlung \xE2\x82\xAC \xF0\x9F\x98\x80",
       "\"K\xC3\xBChlung \xE2\x82\xAC \xF0\x9F\x98\x80\""},
      // Bytes that are not UTF-8: stray, cut short, overlong, surrogate.
      {"a\xFF"
       "b\xC3",
       "\"a\\ufffdb\\ufffd\""},
      {"\xC0\xAF\xED\xA0\x80", "\"\\ufffd\\ufffd\\ufffd\\ufffd\\ufffd\""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(JsonString(c.text), c.json) << c.text;
    EXPECT_TRUE(Json::parse(JsonString(c.text)).is_string()) << c.text;
  }
}

TEST(ErrorTextTest, EveryLineNamesTheProgram) {
  struct Case {
    std::string text, lines;
  } cases[] = {
      {"open 'T.HST': No such file", "morvelle: open 'T.HST': No such file\n"},
      {"one\n", "morvelle: one\n"},
      {"one\n  two\n", "morvelle: one\nmorvelle:   two\n"},
      {"", "morvelle: \n"},
  };
  for (const Case& c : cases) EXPECT_EQ(ErrorText(c.text), c.lines) << c.text;
  EXPECT_EQ(UsageErrorText("--x: no such option"),
            "morvelle: --x: no such option\n"
            "Try 'morvelle --help' for more information.\n");
}

class InfoTest : public ::testing::Test {
 protected:
  test::TempFolder folder_;
};

TEST_F(InfoTest, JsonParsesAndCarriesTheDocumentedKeys) {
  TrendRecipe recipe;
  recipe.name = "Pump.7";
  recipe.version = 4;
  recipe.entryCount = 2;
  recipe.extraCount = 3;
  recipe.dataExtensions = {"000", "001"};
  recipe.entryPath = "C:\\Ostrel \"A\"\\Pump.7";
  recipe.tag = "K\xFChlung\t\x80";  // Windows-1252 bytes and a tab
  std::string hst = test::WriteTrend(folder_.path(), recipe);
  test::WriteFile(folder_.path() / "Pump.7.bak", "x");
  test::WriteFile(folder_.path() / "Pump.7.old.001", "x");
  // A name beyond ASCII, which the listing must hand on as UTF-8.
  test::WriteFile(folder_.path() / test::PathOf("Pump.7.\xC3\xA9t\xC3\xA9"),
                  "x");
  fs::create_directory(folder_.path() / "Pump.7.002");

  Output run = Info(hst, true);
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  Json json = Json::parse(run.out);
  ASSERT_TRUE(json.is_object()) << run.out;
  std::vector<std::string> keys;
  for (const auto& [key, value] : json.items()) keys.push_back(key);
  EXPECT_EQ(keys, (std::vector<std::string>{
                      "schema", "kind", "historyFile", "tag", "path", "version",
                      "entryCount", "extraCount", "tableValid", "interrupted",
                      "dataFiles", "dataFileCount", "pathWidth", "tagWidth",
                      "pathEditLimit", "tagEditLimit", "skipped"}));
  EXPECT_EQ(run.out.find('\n'), run.out.size() - 1) << "one line";
  EXPECT_EQ(json.at("historyFile"), hst);
  EXPECT_EQ(json.at("version"), 4);
  EXPECT_EQ(json.at("entryCount"), 2);
  EXPECT_EQ(json.at("extraCount"), 3);
  EXPECT_EQ(json.at("tableValid"), true);
  EXPECT_EQ(json.at("interrupted"), false);
  EXPECT_EQ(json.at("path"), recipe.entryPath);
  EXPECT_EQ(json.at("tag"), "K\xC3\xBChlung\t\xE2\x82\xAC");
  EXPECT_EQ(json.at("pathWidth"), 272);
  EXPECT_EQ(json.at("tagWidth"), 64);
  EXPECT_EQ(json.at("pathEditLimit"), 268);
  EXPECT_EQ(json.at("tagEditLimit"), 64);
  EXPECT_EQ(json.at("dataFiles"), Json::array({"Pump.7.000", "Pump.7.001"}));
  std::vector<std::string> skipped;
  for (const Json& file : json.at("skipped"))
    skipped.push_back(file.at("name").get<std::string>() + ": " +
                      file.at("reason").get<std::string>());
  EXPECT_EQ(skipped, (std::vector<std::string>{
                         "Pump.7.002: a folder",
                         "Pump.7.bak: not a data file name",
                         "Pump.7.old.001: not a data file name",
                         "Pump.7.\xC3\xA9t\xC3\xA9: not a data file name",
                     }));
}

TEST_F(InfoTest, JsonCarriesFieldsWhateverBytesTheyHold) {
  // Every byte but NUL, which ends a field's text, in slices that fit the
  // tag field of version 4. The JSON must hold text that encodes back to
  // the very bytes of the field.
  std::string bytes;
  for (int b = 1; b < 256; ++b) bytes.push_back(static_cast<char>(b));
  for (std::size_t start = 0; start < bytes.size(); start += 64) {
    TrendRecipe recipe;
    recipe.version = 4;
    recipe.tag = bytes.substr(start, 64);
    recipe.entryPath = recipe.tag;
    std::string hst = test::WriteTrend(folder_.path(), recipe);
    Output run = Info(hst, true);
    ASSERT_EQ(run.status, 0) << run.err;
    Json json = Json::parse(run.out);
    for (const char* field : {"path", "tag"})
      EXPECT_EQ(EncodeFieldText(json.at(field).get<std::string>()), recipe.tag)
          << field << " from byte " << start + 1;
  }
}

TEST_F(InfoTest, TextShowsTheSameAndFlagsAnInvalidTable) {
  TrendRecipe recipe;
  recipe.entryCount = 0;
  recipe.extraCount = 0;
  recipe.dataExtensions = {"000"};
  std::string hst = test::WriteTrend(folder_.path(), recipe);
  Output run = Info(hst, false);
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out,
            "History file:  " + hst +
                "\n"
                "Version:       5\n"
                "EntryCount:    0\n"
                "ExtraCount:    0\n"
                "File table:    invalid counts; a rename refuses this trend\n"
                // With no entry at all, entry 0 reads as zeros.
                "Path:          \n"
                "Tag:           \n"
                "Path field:    144 characters; new paths up to 140 keep a "
                "3-digit extension\n"
                "Tag field:     80 characters\n"
                "Data files:    1\n"
                "  Trend1.000\n"
                "Skipped:       0\n");
  EXPECT_EQ(Json::parse(Info(hst, true).out).at("tableValid"), false);
}

TEST_F(InfoTest, MissingOrUnknownTrendExitsOneWithItsMessage) {
  TrendRecipe recipe;
  recipe.version = 7;
  std::string bad = test::WriteTrend(folder_.path(), recipe);
  std::string missing = folder_.File("None.HST");
  for (bool json : {false, true}) {
    Output not_found = Info(missing, json);
    EXPECT_EQ(not_found.status, 1);
    EXPECT_EQ(not_found.out, "");
    EXPECT_EQ(not_found.err, "morvelle: Trend '" + missing + "' not found\n");
    Output invalid = Info(bad, json);
    EXPECT_EQ(invalid.status, 1);
    EXPECT_EQ(invalid.out, "");
    EXPECT_EQ(invalid.err, "morvelle: Invalid Trend Version 7\n");
  }
}

TEST_F(InfoTest, FolderListAsJsonCarriesEveryTrendAndNamesTheUnreadable) {
  struct Trend {
    std::string name, extension;
    int version, entries;
  } trends[] = {{"b", "hst", 4, 2}, {"A", "HST", 6, 3}, {"Bad", "HST", 7, 1}};
  for (const Trend& t : trends) {
    TrendRecipe recipe;
    recipe.name = t.name;
    recipe.historyExtension = t.extension;
    recipe.version = t.version;
    recipe.entryCount = t.entries;
    recipe.dataExtensions = {"000", "001"};
    recipe.entryPath = "C:\\D\\" + t.name;
    recipe.tag = "Tag " + t.name;
    test::WriteTrend(folder_.path(), recipe);
  }
  fs::create_directory(folder_.path() / "Folder.HST");
  test::WriteFile(folder_.path() / "notes.txt", "x");

  std::ostringstream out, err;
  int status =
      RunList(Env::Default(), test::Utf8Of(folder_.path()), true, out, err);
  EXPECT_EQ(status, 1);
  // A folder named like a history file is no trend, and said so.
  EXPECT_EQ(err.str(), "morvelle: Could not read '" + folder_.File("Bad.HST") +
                           "': Invalid Trend Version 7\nmorvelle: Could not "
                           "read '" +
                           folder_.File("Folder.HST") +
                           "': named like a history file but a folder\n");
  Json json = Json::parse(out.str());
  EXPECT_EQ(json.at("folder"), folder_.File(""));
  std::vector<std::string> seen;
  for (const Json& t : json.at("trends")) seen.push_back(t.dump());
  EXPECT_EQ(seen,
            (std::vector<std::string>{
                "{\"historyFile\":" + Json(folder_.File("A.HST")).dump() +
                    ",\"tag\":\"Tag A\",\"path\":\"C:\\\\D\\\\A\","
                    "\"version\":6,\"entryCount\":3,\"extraCount\":1,"
                    "\"tableValid\":true,\"interrupted\":false,"
                    "\"dataFiles\":[\"A.000\",\"A.001\"],\"dataFileCount\":2,"
                    "\"healthy\":true,\"problems\":[]}",
                "{\"historyFile\":" + Json(folder_.File("b.hst")).dump() +
                    ",\"tag\":\"Tag b\",\"path\":\"C:\\\\D\\\\b\","
                    "\"version\":4,\"entryCount\":2,\"extraCount\":1,"
                    "\"tableValid\":true,\"interrupted\":false,"
                    "\"dataFiles\":[\"b.000\",\"b.001\"],\"dataFileCount\":2,"
                    "\"healthy\":true,\"problems\":[]}"}));
  ASSERT_EQ(json.at("unreadable").size(), 2u);
  EXPECT_EQ(json.at("unreadable")[0].at("historyFile"),
            folder_.File("Bad.HST"));
}

// Every problem of `check`, the folder's last, one "file|field|what" each.
std::vector<std::string> ProblemLines(const FolderCheck& check) {
  std::vector<std::string> lines;
  auto add = [&](const std::vector<TrendProblem>& problems) {
    for (const TrendProblem& p : problems)
      lines.push_back(std::string(ProblemKindName(p.kind)) + "|" + p.file +
                      "|" + p.field + "|" + p.what);
  };
  for (const TrendCheck& trend : check.trends) add(trend.problems);
  add(check.problems);
  return lines;
}

bool FoldsCase(const fs::path& folder) {
  test::WriteFile(folder / "case", "");
  bool folds = fs::exists(folder / "CASE");
  fs::remove(folder / "case");
  return folds;
}

TEST(CheckTest, EachDamageGivesItsOneProblem) {
  for (const test::DamageCase& c : test::DamageCases()) {
    test::TempFolder folder;
    test::WriteTrend(folder.path(), TrendRecipe());
    if (c.needsCaseSensitiveNames && FoldsCase(folder.path())) continue;
    c.damage(folder.path());
    FolderCheck check;
    ASSERT_TRUE(
        CheckFolder(Env::Default(), test::Utf8Of(folder.path()), &check).ok());
    std::vector<std::string> lines = ProblemLines(check);
    ASSERT_EQ(lines.size(), 1u)
        << c.name << ": " << ::testing::PrintToString(lines);
    std::string expected = std::string(ProblemKindName(c.kind)) + "|" + c.file +
                           "|" + c.field + "|";
    EXPECT_EQ(lines[0].substr(0, expected.size()), expected) << c.name;
    EXPECT_NE(lines[0].find(c.says), std::string::npos)
        << c.name << ": " << lines[0];
    EXPECT_FALSE(check.healthy()) << c.name;
  }
}

TEST(CheckTest, WholeTrendsOfEveryVersionAreHealthy) {
  test::TempFolder folder;
  for (int version = 0; version <= 6; ++version) {
    TrendRecipe recipe;
    recipe.name = "T" + std::to_string(version);
    recipe.entryPath = "C:\\D\\" + recipe.name;
    recipe.version = version;
    test::WriteTrend(folder.path(), recipe);
  }
  test::WriteFile(folder.path() / "T1.bak", "x");  // no numbered file
  FolderCheck check;
  ASSERT_TRUE(
      CheckFolder(Env::Default(), test::Utf8Of(folder.path()), &check).ok());
  EXPECT_EQ(ProblemLines(check), std::vector<std::string>());
  ASSERT_EQ(check.trends.size(), 7u);
  EXPECT_EQ(check.trends[4].dataFiles,
            (std::vector<std::string>{"T4.000", "T4.001", "T4.002"}));
  EXPECT_EQ(FieldDisplayText(check.trends[4].tag), "Trend1");
}

TEST(CheckTest, CommandGivesALinePerProblemAndJsonOfOneSchema) {
  test::TempFolder folder;
  const std::string hst = test::WriteTrend(folder.path(), TrendRecipe());
  TrendRecipe other;
  other.name = "Pump";
  other.entryPath = "C:\\D\\Pump";
  const std::string pump = test::WriteTrend(folder.path(), other);
  fs::remove(folder.path() / "Trend1.001");
  test::WriteFile(folder.path() / "Lost.004", "x");
  const std::string dir = folder.File("");
  std::ostringstream out, err;
  EXPECT_EQ(RunCheck(Env::Default(), dir, false, out, err), 1);
  EXPECT_EQ(err.str(), "");
  EXPECT_EQ(out.str(),
            pump + ": healthy\n" + dir +
                "Trend1.001: entry 1 Path: missing: the table expects this "
                "data file\n" +
                dir +
                "Lost.004: a numbered file that no history file claims\n" +
                "Checked 2 trends in " + dir +
                ": 1 healthy, 1 damaged; 2 problems in all\n");

  std::ostringstream json_out, info_out;
  EXPECT_EQ(RunCheck(Env::Default(), dir, true, json_out, err), 1);
  Json json = Json::parse(json_out.str());
  EXPECT_EQ(json.at("schema"), 1);
  EXPECT_EQ(json.at("kind"), "check");
  EXPECT_EQ(json.at("healthy"), false);
  EXPECT_EQ(json.at("problems")[0].at("file"), dir + "Lost.004");
  ASSERT_EQ(json.at("trends").size(), 2u);
  const Json& trend = json.at("trends")[1];
  EXPECT_EQ(trend.at("problems")[0].at("problem"), "dataFileMissing");
  EXPECT_EQ(trend.at("problems")[0].at("field"), "entry 1 Path");
  // Keys --info --json has too carry the same values, of the same types.
  RunInfo(Env::Default(), hst, true, info_out, err);
  Json info = Json::parse(info_out.str());
  for (const char* key :
       {"historyFile", "version", "entryCount", "extraCount", "tableValid",
        "interrupted", "path", "tag", "dataFiles"})
    EXPECT_EQ(trend.at(key), info.at(key)) << key;

  std::ostringstream one, nothing;
  EXPECT_EQ(RunCheck(Env::Default(), pump, false, one, err), 0);
  EXPECT_EQ(one.str(), pump + ": healthy\nChecked 1 trend in " + dir +
                           ": 1 healthy, 0 damaged; 0 problems in all\n");
  EXPECT_EQ(RunCheck(Env::Default(), dir + "None.HST", false, nothing, err), 1);
  EXPECT_EQ(nothing.str(), "");
  EXPECT_NE(err.str().find("morvelle: cannot check '" + dir + "None.HST': "),
            std::string::npos)
      << err.str();
}

TEST_F(InfoTest, HistoryFileCutShortOrEmptyIsToldSo) {
  struct Case {
    std::size_t size;   // of the history file; 0: as written
    std::string table;  // what --info says of the table; empty: valid
  } cases[] = {
      {0, ""},
      {176 + 3 * 288 + 10,
       "cut short: the table needs 1328 bytes, the file "
       "holds 1050"},
      {100, "too short: 100 bytes, shorter than the 176-byte header"},
  };
  for (const Case& c : cases) {
    test::TempFolder folder;
    std::string hst = test::WriteTrend(folder.path(), TrendRecipe());
    if (c.size) fs::resize_file(test::PathOf(hst), c.size);
    Output text = Info(hst, false);
    EXPECT_EQ(text.out.find("File table:") != std::string::npos,
              !c.table.empty())
        << text.out;
    if (!c.table.empty()) {
      EXPECT_NE(text.out.find("File table:    " + c.table +
                              "; a rename refuses this trend\n"),
                std::string::npos)
          << text.out;
    }
    EXPECT_EQ(Json::parse(Info(hst, true).out).at("tableValid"),
              c.table.empty());
  }
  // An empty history file holds no tag or path to list.
  test::WriteFile(folder_.path() / "Empty.HST", "");
  std::ostringstream out, err;
  EXPECT_EQ(RunList(Env::Default(), folder_.File(""), false, out, err), 1);
  EXPECT_EQ(out.str().find("Empty.HST,"), std::string::npos) << out.str();
  EXPECT_EQ(err.str(), "morvelle: Could not read '" +
                           folder_.File("Empty.HST") +
                           "': The history file is too short: 0 bytes, "
                           "shorter than the 176-byte header\n");
}

// A half-done rename is shown by --repair --dry-run, finished by
// --repair, then healthy; a trend no name explains is said so.
TEST(CheckTest, RepairCommandFinishesAHalfDoneRename) {
  test::RenamedInMemory whole = test::RenameInMemory(TrendRecipe());
  const test::FolderImage half = test::HalfDone(
      whole.before, whole.renamed, "Trend1", "Trend1A", {"001", "002"});
  test::MemEnv env;
  test::AddImage(env, "/t/", half);
  const std::string plan =
      "'Trend1A.HST':\n"
      "  'Trend1.001' -> 'Trend1A.001', tag 'Trend1A'\n"
      "  'Trend1.002' -> 'Trend1A.002', tag 'Trend1A'\n";
  std::ostringstream dry, out, again, err;
  EXPECT_EQ(RunRepair(env, "/t", true, dry, err), 0);
  EXPECT_EQ(dry.str(), "Would repair " + plan +
                           "1 to repair, 0 healthy, 0 not repairable in /t/\n"
                           "Dry run: nothing was changed.\n");
  EXPECT_EQ(env.Image("/t"), half);
  EXPECT_EQ(RunRepair(env, "/t/Trend1A.HST", false, out, err), 0);
  EXPECT_EQ(out.str(), "Repaired " + plan +
                           "1 repaired, 0 healthy, 0 not repairable in /t/\n");
  EXPECT_EQ(env.Image("/t"), whole.renamed);
  EXPECT_EQ(err.str(), "");
  ASSERT_TRUE(env.RemoveFile("/t/Trend1A.002").ok());
  EXPECT_EQ(RunRepair(env, "/t", false, again, err), 1);
  EXPECT_EQ(err.str(),
            "morvelle: cannot repair 'Trend1A.HST': no other name holds all of "
            "its missing data files 'Trend1A.002'\n");
}

TEST(CommandLineTest, OptionsAndValuesMakeOneCommand) {
  struct Case {
    std::vector<std::string> args;
    std::string command;  // kind and values, or the problem
  } cases[] = {
      {{"--help"}, "help"},
      {{"-h"}, "help"},
      {{"--version"}, "version"},
      {{"--help", "x"}, "--help: takes no other option or value"},
      {{"/?"}, "help"},
      {{"T.HST", "Tag", "/d/T"}, "rename T.HST|Tag|/d/T"},
      {{"T.HST", "--tag", "/d/T"}, "rename T.HST|--tag|/d/T"},
      {{"--", "--T.HST", "Tag", "/d/T"}, "rename --T.HST|Tag|/d/T"},
      {{"--dry-run", "T.HST,", "Tag,", "/d/T"}, "dry-run T.HST|Tag|/d/T"},
      {{"--dry-run", "T.HST"},
       "a rename needs three values: history file, new tag, new path"},
      {{"--info", "T.HST"}, "info T.HST"},
      {{"--json", "--info", "T.HST"}, "info json T.HST"},
      {{"--info", "T.HST", "x"}, "--info: needs one value, the history file"},
      {{"--json", "T.HST", "Tag", "/d/T"},
       "--json: goes with --info, --list, --check, --dry-run or --batch"},
      {{"--json", "--recover"},
       "--json: goes with --info, --list, --check, --dry-run or --batch"},
      {{"--dry-run", "--json", "T.HST", "Tag", "/d/T"},
       "dry-run json T.HST|Tag|/d/T"},
      {{"--batch", "l.csv", "--json"}, "batch l.csv undo= json"},
      {{"--check"}, "check "},
      {{"--check", "/d", "--json"}, "check json /d"},
      {{"--json", "--check", "T.HST"}, "check json T.HST"},
      {{"--check", "/d", "x"},
       "--check: takes one value at most, the folder or the history file, "
       "and no other option but --json"},
      {{"--check", "--dry-run", "/d"},
       "--check: takes one value at most, the folder or the history file, "
       "and no other option but --json"},
      {{"--repair"}, "repair "},
      {{"--dry-run", "--repair", "/d"}, "repair dry-run /d"},
      {{"--repair", "/d", "x"},
       "--repair: takes one value at most, the folder or the history file, "
       "and no other option but --dry-run"},
      {{"--list", "/d", "--json"}, "list json /d"},
      {{"--list"}, "--list: needs a folder"},
      {{"--many"}, "many "},
      {{"--many", "/d"}, "many /d"},
      {{"--many", "/d", "x"},
       "--many: takes one value at most, the folder of trends"},
      {{"--list", "/d", "T.HST"},
       "--list: takes no value and no other option but --json"},
      {{"--info", "--dry-run", "T.HST"},
       "--info: takes no other option but --json"},
      {{"--batch", "l.csv"}, "batch l.csv undo="},
      {{"--undo-list", "u.csv", "--dry-run", "--batch", "l.csv"},
       "batch l.csv undo=u.csv dry-run"},
      {{"--batch"}, "--batch: needs a file name"},
      {{"--batch", "l.csv", "T.HST"},
       "--batch: takes its trends from the list, not from values on the "
       "command line"},
      {{"--undo-list", "u.csv", "T.HST", "Tag", "/d/T"},
       "--undo-list: goes with --batch"},
      {{"--force", "T.HST", "Tag", "/d/T"}, "--force: no such option"},
      // "-" is standard input, which only a list is read from.
      {{"--batch", "-", "--dry-run"}, "batch - undo= dry-run"},
      {{"--batch", "-", "--undo-list", "-"},
       "the undo list '-': only --batch reads standard input"},
      {{"--info", "-"},
       "the history file '-': only --batch reads standard input"},
      {{"--dry-run", "-", "Tag", "/d/T"},
       "the history file '-': only --batch reads standard input"},
      {{"T.HST", "-", "/d/T"},
       "the new tag '-': only --batch reads standard input"},
      {{"\"T.HST\", \"Tag\", \"-\""},
       "the new path '-': only --batch reads standard input"},
      {{"--list", "-"}, "the folder '-': only --batch reads standard input"},
      {{"--recover", "-"}, "the folder '-': only --batch reads standard input"},
  };
  for (const Case& c : cases) {
    Result<Command> command = ParseCommandLine(c.args);
    std::string seen = command.ok() ? "" : command.status().ToString();
    if (command.ok()) {
      switch (command->kind) {
        case CommandKind::kHelp:
          seen = "help";
          break;
        case CommandKind::kVersion:
          seen = "version";
          break;
        case CommandKind::kRename:
          seen = std::string(command->dryRun ? "dry-run " : "rename ") +
                 (command->json ? "json " : "") + command->values.hstPath +
                 "|" + command->values.newTag + "|" + command->values.newPath;
          break;
        case CommandKind::kInfo:
          seen = std::string("info ") + (command->json ? "json " : "") +
                 command->hstPath;
          break;
        case CommandKind::kList:
          seen = std::string("list ") + (command->json ? "json " : "") +
                 command->folder;
          break;
        case CommandKind::kManyTrends:
          seen = "many " + command->folder;
          break;
        case CommandKind::kRecover:
          seen = "recover " + command->folder;
          break;
        case CommandKind::kCheck:
          seen = std::string("check ") + (command->json ? "json " : "") +
                 command->folder;
          break;
        case CommandKind::kRepair:
          seen = std::string("repair ") + (command->dryRun ? "dry-run " : "") +
                 command->folder;
          break;
        case CommandKind::kBatchList:
          seen = "batch " + command->listPath +
                 " undo=" + command->undoListPath +
                 (command->dryRun ? " dry-run" : "") +
                 (command->json ? " json" : "");
          break;
      }
    }
    EXPECT_EQ(seen, c.command) << c.args[0];
  }
}

}  // namespace
}  // namespace morvelle
