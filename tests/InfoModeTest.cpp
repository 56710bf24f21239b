#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>

#include "TrendFixture.h"
#include "app/CommandLine.h"
#include "app/FolderList.h"
#include "app/InfoMode.h"
#include "app/Json.h"
#include "app/Messages.h"
#include "platform/Env.h"
#include "platform/FieldEncoding.h"

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
  EXPECT_EQ(err.str(), "morvelle: Could not read '" + folder_.File("Bad.HST") +
                           "': Invalid Trend Version 7\n");
  Json json = Json::parse(out.str());
  EXPECT_EQ(json.at("folder"), folder_.File(""));
  std::vector<std::string> seen;
  for (const Json& t : json.at("trends")) seen.push_back(t.dump());
  EXPECT_EQ(
      seen,
      (std::vector<std::string>{
          "{\"historyFile\":" + Json(folder_.File("A.HST")).dump() +
              ",\"tag\":\"Tag A\",\"path\":\"C:\\\\D\\\\A\","
              "\"version\":6,\"entryCount\":3,\"extraCount\":1,"
              "\"tableValid\":true,\"interrupted\":false,"
              "\"dataFiles\":[\"A.000\",\"A.001\"],\"dataFileCount\":2}",
          "{\"historyFile\":" + Json(folder_.File("b.hst")).dump() +
              ",\"tag\":\"Tag b\",\"path\":\"C:\\\\D\\\\b\","
              "\"version\":4,\"entryCount\":2,\"extraCount\":1,"
              "\"tableValid\":true,\"interrupted\":false,"
              "\"dataFiles\":[\"b.000\",\"b.001\"],\"dataFileCount\":2}"}));
  ASSERT_EQ(json.at("unreadable").size(), 1u);
  EXPECT_EQ(json.at("unreadable")[0].at("historyFile"),
            folder_.File("Bad.HST"));
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
       "--json: goes with --info, --list, --dry-run or --batch"},
      {{"--json", "--recover"},
       "--json: goes with --info, --list, --dry-run or --batch"},
      {{"--dry-run", "--json", "T.HST", "Tag", "/d/T"},
       "dry-run json T.HST|Tag|/d/T"},
      {{"--batch", "l.csv", "--json"}, "batch l.csv undo= json"},
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
