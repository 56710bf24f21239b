// The main window's rules, on the form with a view that records what it
// is asked to do. The same tests run against each platform's Env.
#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "FailingEnv.h"
#include "MessageLog.h"
#include "TrendFixture.h"
#include "app/Settings.h"
#include "trend/TrendTools.h"
#include "ui/CommonDialog.h"
#include "ui/FormLayout.h"
#include "ui/MainForm.h"

namespace morvelle {
namespace {

using namespace std::string_literals;
using test::FolderImage;
using test::kNewPath;
using test::kNewTag;
using test::TrendRecipe;

struct ShownMessage {
  MessageLook look;
  std::string text;
  bool underWaitCursor;
};

class MemorySettings final : public SettingsStore {
 public:
  std::string LoadFileSet() override { return fileSet; }
  void SaveFileSet(const std::string& value) override {
    fileSet = value;
    ++saves;
  }
  std::string fileSet;
  int saves = 0;
};

// A view as a toolkit would be: it keeps the texts and runs the change
// handlers and Form_QueryUnload where a toolkit's events would.
class RecordingView final : public MainView {
 public:
  std::string Text(Control control) const override {
    auto found = texts.find(control);
    return found == texts.end() ? "" : found->second;
  }
  void SetText(Control control, const std::string& text) override {
    texts[control] = text;
    if (control == Control::txtPathNew) form->txtPathNew_Change();
    if (control == Control::txtTagNew) form->txtTagNew_Change();
  }
  void SetTextColour(Control control, Colour colour) override {
    colours[control] = colour;
  }
  void SetToolTip(Control control, const std::string& tip) override {
    tips[control] = tip;
  }
  OpenDialogResult AskForFile(const OpenDialogRequest& request) override {
    dialogCalls.push_back(request);
    return {dialogAnswer, false};
  }
  void ShowMessage(MessageLook look, const std::string& text) override {
    shown.push_back({look, text, waitCursor});
  }
  void SetWaitCursor(bool on) override { waitCursor = on; }
  void ShowHelp() override { ++helpShown; }
  void CloseMainWindow() override { form->Form_QueryUnload(); }
  void CloseApplication() override { ++closedAll; }

  MainForm* form = nullptr;
  std::map<Control, std::string> texts;
  std::map<Control, Colour> colours;
  std::map<Control, std::string> tips;
  std::string dialogAnswer;
  std::vector<OpenDialogRequest> dialogCalls;
  std::vector<ShownMessage> shown;
  bool waitCursor = false;
  int helpShown = 0;
  int closedAll = 0;
};

class MainFormTest : public ::testing::Test {
 protected:
  void SetUp() override { Start(&Env::Default()); }

  // A new window, as at the program's start.
  void Start(Env* env) {
    view_ = RecordingView();
    form_ = std::make_unique<MainForm>(view_, *env, settings_);
    view_.form = form_.get();
    form_->Form_Load();
  }

  std::string Write(const TrendRecipe& recipe) {
    return test::WriteTrend(folder_.path(), recipe);
  }
  FolderImage Image() const { return test::ReadFolder(folder_.path()); }

  // Browse, with the dialog answering `answer` ("" is a cancel).
  void Browse(const std::string& answer) {
    view_.dialogAnswer = answer;
    form_->cmdBrowse_Click();
  }
  // The user types `text` into a box.
  void Type(Control box, const std::string& text) { view_.SetText(box, text); }
  // ... into File Set, then presses Enter, which reads it.
  void TypeFileSet(const std::string& hst) {
    Type(Control::txtFileSet, hst);
    form_->txtFileSet_Commit();
  }
  std::string Text(Control control) const { return view_.Text(control); }

  test::TempFolder folder_;
  MemorySettings settings_;
  RecordingView view_;
  std::unique_ptr<MainForm> form_;
};

TEST_F(MainFormTest, BrowseShowsEntryZeroAndTheLimitsOfItsLayout) {
  struct Case {
    int version;
    const char* pathTip;
    const char* tagTip;
  } cases[] = {{5, "Maximum length 140 chars", "Maximum length 80 chars"},
               {4, "Maximum length 268 chars", "Maximum length 64 chars"},
               {6, "Maximum length 268 chars", "Maximum length 80 chars"},
               {0, "Maximum length 140 chars", "Maximum length 32 chars"}};
  Type(Control::txtFileSet, "/typed/before.HST");
  std::string previous = Text(Control::txtFileSet);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.version);
    TrendRecipe recipe;
    recipe.version = c.version;
    recipe.name = "V" + std::to_string(c.version);
    // Field bytes are Windows-1252: \xE9 is shown as "é", one character.
    recipe.entryPath = "C:\\Ostrel\\Tr\xE9nd\\" + recipe.name;
    recipe.tag = "Tag\xE9" + recipe.name;
    std::string hst = Write(recipe);

    Browse(hst);

    ASSERT_FALSE(view_.dialogCalls.empty());
    const OpenDialogRequest& call = view_.dialogCalls.back();
    EXPECT_EQ(call.title, "");
    EXPECT_EQ(call.initialFile, previous);
    EXPECT_EQ(call.filter, "Trends|*.HST|All Files|*.*|");
    EXPECT_EQ(call.flags, 6148);
    previous = hst;

    std::string path = "C:\\Ostrel\\Tr\xC3\xA9nd\\" + recipe.name;
    std::string tag = "Tag\xC3\xA9" + recipe.name;
    EXPECT_EQ(Text(Control::txtFileSet), hst);
    EXPECT_EQ(Text(Control::txtPathOriginal), path);
    EXPECT_EQ(Text(Control::txtPathNew), path);
    EXPECT_EQ(Text(Control::txtTagOriginal), tag);
    EXPECT_EQ(Text(Control::txtTagNew), tag);
    EXPECT_EQ(Text(Control::lblPathLength), std::to_string(path.size() - 1));
    EXPECT_EQ(Text(Control::lblTagLength), std::to_string(tag.size() - 1));
    EXPECT_EQ(view_.colours[Control::lblPathLength], kBlack);
    EXPECT_EQ(view_.colours[Control::lblTagLength], kBlack);
    EXPECT_EQ(view_.tips[Control::lblPathLength], c.pathTip);
    EXPECT_EQ(view_.tips[Control::lblTagLength], c.tagTip);
  }
  EXPECT_TRUE(view_.shown.empty());
}

TEST_F(MainFormTest, LengthCountTurnsRedOnePastItsLimit) {
  struct Case {
    Control box, count;
    int limit;
  };
  auto check = [&](const Case& c, const std::string& text, Colour colour) {
    Type(c.box, text);
    EXPECT_EQ(Text(c.count), std::to_string(CharacterCount(text)));
    EXPECT_EQ(view_.colours[c.count], colour);
  };
  // Before any Browse both limits are 0.
  for (const Case& c : {Case{Control::txtTagNew, Control::lblTagLength, 0},
                        Case{Control::txtPathNew, Control::lblPathLength, 0}}) {
    check(c, "x", kRed);
    check(c, "", kBlack);
  }
  Browse(Write(TrendRecipe{}));  // version 5: limits 140 and 80
  for (const Case& c :
       {Case{Control::txtTagNew, Control::lblTagLength, 80},
        Case{Control::txtPathNew, Control::lblPathLength, 140}}) {
    SCOPED_TRACE(c.limit);
    check(c, std::string(c.limit, 'a'), kBlack);
    check(c, std::string(c.limit + 1, 'a'), kRed);
    // Counted in characters: "é" is two bytes of UTF-8, one of the field.
    check(c, std::string(c.limit - 1, 'a') + "\xC3\xA9", kBlack);
  }
}

TEST_F(MainFormTest, CancelledBrowseEmptiesOnlyTheFileSetBox) {
  Browse(Write(TrendRecipe{}));
  Type(Control::txtTagNew, std::string(81, 't'));
  auto before = view_.texts;
  auto tipsBefore = view_.tips;

  Browse("");

  before[Control::txtFileSet] = "";
  EXPECT_EQ(view_.texts, before);
  EXPECT_EQ(view_.tips, tipsBefore);
  EXPECT_EQ(view_.colours[Control::lblTagLength], kRed);
  EXPECT_TRUE(view_.shown.empty());
}

TEST_F(MainFormTest, UnknownVersionIsReportedAndLeavesEmptyBoxes) {
  Browse(Write(TrendRecipe{}));
  TrendRecipe invalid;
  invalid.name = "Invalid";
  invalid.version = 7;
  Browse(Write(invalid));

  ASSERT_EQ(view_.shown.size(), 1u);
  EXPECT_EQ(view_.shown[0].look, MessageLook::kCritical);
  EXPECT_EQ(view_.shown[0].text, "Invalid Trend Version 7");
  for (Control box : {Control::txtPathOriginal, Control::txtPathNew,
                      Control::txtTagOriginal, Control::txtTagNew})
    EXPECT_EQ(Text(box), "");
  EXPECT_EQ(view_.tips[Control::lblPathLength], "Maximum length -4 chars");
  EXPECT_EQ(view_.tips[Control::lblTagLength], "Maximum length 0 chars");
}

TEST_F(MainFormTest, BrowseWarnsOfATrendAnInterruptedRunLeftPartlyRenamed) {
  std::string hst = Write(TrendRecipe{});
  // Killed at the second data file: the history file has its new name.
  ASSERT_TRUE(test::InterruptRename(hst, "open", "Trend1.001"));
  std::string renamed = folder_.File("Trend1A.HST");
  struct Case {
    std::string file;
    std::vector<std::string> before;  // how the messages before it start
    std::string tag;
  } cases[] = {{hst, {"Trend '" + hst + "' not found"}, ""},
               {renamed, {}, kNewTag}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    Start(&Env::Default());
    Browse(c.file);

    ASSERT_EQ(view_.shown.size(), c.before.size() + 1);
    for (std::size_t i = 0; i < c.before.size(); ++i)
      EXPECT_TRUE(view_.shown[i].text.starts_with(c.before[i]))
          << view_.shown[i].text;
    const ShownMessage& warning = view_.shown.back();
    EXPECT_EQ(warning.look, MessageLook::kExclamation);
    EXPECT_TRUE(warning.text.starts_with("Trend '" + c.file +
                                         "' may be partly renamed"))
        << warning.text;
    EXPECT_NE(warning.text.find("morvelle --recover"), std::string::npos);
    EXPECT_EQ(Text(Control::txtTagOriginal), c.tag);
  }
  std::string report;
  ASSERT_TRUE(test::RecoverAll(Env::Default(), folder_.File(""), &report))
      << report;
  Start(&Env::Default());
  Browse(hst);
  EXPECT_TRUE(view_.shown.empty());
}

TEST_F(MainFormTest, BrowseWarnsOfADamagedTrend) {
  std::string hst = Write(TrendRecipe{});
  Browse(hst);
  EXPECT_TRUE(view_.shown.empty());
  std::filesystem::remove(folder_.path() / "Trend1.002");
  test::WriteFile(folder_.path() / "trend1.004", "x");
  Browse(hst);
  ASSERT_EQ(view_.shown.size(), 1u);
  EXPECT_EQ(view_.shown[0].look, MessageLook::kExclamation);
  EXPECT_EQ(view_.shown[0].text,
            "Trend '" + hst +
                "' is damaged: Trend1.002: entry 2 Path: missing: the table "
                "expects this data file (and 2 more). morvelle --check tells "
                "every problem.");
  EXPECT_EQ(Text(Control::txtTagOriginal), "Trend1");
}

TEST_F(MainFormTest, SaveRenamesWithTheThreeTextsThenSaysDone) {
  test::FailingEnv env(Env::Default());
  Start(&env);
  TrendRecipe recipe;
  // Typed by hand and read with Enter, without Browse.
  std::string hst = Write(recipe);
  TypeFileSet(hst);
  EXPECT_EQ(Text(Control::txtTagOriginal), recipe.tag);
  Type(Control::txtPathNew, kNewPath);
  Type(Control::txtTagNew, kNewTag);
  FolderImage before = Image();
  int readCalls = env.calls();
  bool everyCallUnderWaitCursor = true;
  env.onCall = [&] {
    everyCallUnderWaitCursor = everyCallUnderWaitCursor && view_.waitCursor;
  };

  form_->cmdSave_Click();

  EXPECT_EQ(Image(),
            test::ExpectedAfterRename(recipe, before, kNewPath, kNewTag));
  ASSERT_EQ(view_.shown.size(), 1u);
  EXPECT_EQ(view_.shown[0].look, MessageLook::kNoIcon);
  EXPECT_EQ(view_.shown[0].text, "Done");
  EXPECT_FALSE(view_.shown[0].underWaitCursor);
  EXPECT_FALSE(view_.waitCursor);
  EXPECT_GT(env.calls(), readCalls);
  EXPECT_TRUE(everyCallUnderWaitCursor);
  // Save does not read the trend again: the box keeps the old name.
  EXPECT_EQ(Text(Control::txtFileSet), hst);
}

// File Set edited after the trend was read names another trend: Save
// refuses until that one is read, and never gives it the values typed for
// the first.
TEST_F(MainFormTest, SaveRenamesOnlyTheTrendWhoseValuesAreShown) {
  TrendRecipe first, second;
  second.name = second.tag = "Pump002";
  second.entryPath = "C:\\Ostrel\\Data\\Pump002";
  std::string firstHst = Write(first), secondHst = Write(second);
  Browse(firstHst);
  Type(Control::txtTagNew, kNewTag);
  const FolderImage before = Image();
  for (const std::string& fileSet : {secondHst, std::string()}) {
    SCOPED_TRACE(fileSet);
    view_.shown.clear();
    Type(Control::txtFileSet, fileSet);
    form_->cmdSave_Click();
    ASSERT_EQ(view_.shown.size(), 1u);
    EXPECT_EQ(view_.shown[0].look, MessageLook::kExclamation);
    EXPECT_EQ(view_.shown[0].text.rfind("File Set names another trend", 0), 0u);
    EXPECT_EQ(Image(), before);
  }
  // An empty box reads nothing; Enter on the second trend reads it.
  form_->txtFileSet_Commit();
  EXPECT_EQ(Text(Control::txtTagNew), kNewTag);
  TypeFileSet(secondHst);
  EXPECT_EQ(Text(Control::txtTagOriginal), second.tag);
  EXPECT_EQ(Text(Control::txtTagNew), second.tag);
  // Values longer than their fields: "Done" says what was stored cut.
  Type(Control::txtPathNew, "C:\\" + std::string(150, 'p'));
  Type(Control::txtTagNew, std::string(81, 't'));
  view_.shown.clear();
  form_->cmdSave_Click();
  ASSERT_EQ(view_.shown.size(), 1u);
  EXPECT_EQ(view_.shown[0].text,
            "Done: the path was cut to 144 characters and the tag was cut to "
            "80 characters");
  EXPECT_EQ(Image().at("Trend1.HST"), before.at("Trend1.HST"));
}

TEST_F(MainFormTest, FailedSaveShowsItsMessageAndNeverDone) {
  TrendRecipe recipe;
  std::string hst = Write(recipe);
  // Fails the last file-system call of the rename, counted on a copy.
  int renameCalls = 0;
  {
    test::TempFolder copy;
    test::FailingEnv counting(Env::Default());
    RecordingView view;
    MainForm counter(view, counting, settings_);
    view.form = &counter;
    view.SetText(Control::txtFileSet, test::WriteTrend(copy.path(), recipe));
    counter.txtFileSet_Commit();
    view.SetText(Control::txtPathNew, kNewPath);
    view.SetText(Control::txtTagNew, kNewTag);
    counter.cmdSave_Click();
    renameCalls = counting.lastCallOf("flush file system", "");
  }
  // The run's last step fails: every file is put back.
  test::FailingEnv failing(Env::Default(), renameCalls);
  std::string missing = folder_.File("Missing.HST");

  struct Case {
    const char* what;
    std::string fileSet, newPath, newTag;
    Env* env;
    MessageLook look;
    std::string message;  // the start of the message
  } cases[] = {
      {"no history file", missing, kNewPath, kNewTag, &Env::Default(),
       MessageLook::kExclamation, "Trend '" + missing + "' not found"},
      {"empty File Set", "", kNewPath, kNewTag, &Env::Default(),
       MessageLook::kExclamation, "Trend '' not found"},
      {"refused value", hst, kNewPath, "", &Env::Default(),
       MessageLook::kExclamation, "The new tag is empty"},
      {"name taken", hst, "C:\\Ostrel\\Taken", kNewTag, &Env::Default(),
       MessageLook::kExclamation, "Cannot rename"},
      {"file-system error", hst, kNewPath, kNewTag, &failing,
       MessageLook::kCritical, "Renaming trend"},
  };
  test::WriteFile(folder_.path() / "Taken.001", "someone else's");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Start(c.env);
    TypeFileSet(c.fileSet);
    Type(Control::txtPathNew, c.newPath);
    Type(Control::txtTagNew, c.newTag);
    FolderImage before = Image();
    view_.shown.clear();  // what reading the trend told

    form_->cmdSave_Click();

    ASSERT_EQ(view_.shown.size(), 1u);
    EXPECT_EQ(view_.shown[0].look, c.look);
    EXPECT_EQ(view_.shown[0].text.substr(0, c.message.size()), c.message)
        << view_.shown[0].text;
    EXPECT_FALSE(view_.shown[0].underWaitCursor);
    EXPECT_EQ(view_.closedAll, 0);
    EXPECT_EQ(Image(), before);
  }
  // A failure part-way is undone, and the message says so.
  EXPECT_NE(view_.shown.back().text.find(
                "Every change was undone: the trend is as it was."),
            std::string::npos);
}

TEST_F(MainFormTest, FileSetIsRestoredAtStartAndStoredOnTheWayOut) {
  settings_.fileSet = "/data/Tr\xC3\xA9nds/Trend1.HST";
  Start(&Env::Default());
  EXPECT_EQ(Text(Control::txtFileSet), settings_.fileSet);
  // Nothing is read from the trend until Browse.
  for (Control untouched :
       {Control::txtPathOriginal, Control::txtTagNew, Control::lblPathLength})
    EXPECT_EQ(view_.texts.count(untouched), 0u);
  EXPECT_TRUE(view_.dialogCalls.empty());
  // Nor when the box is left: the trend may be gone since.
  form_->txtFileSet_Commit();
  EXPECT_TRUE(view_.shown.empty());

  form_->cmdHelp_Click();
  EXPECT_EQ(view_.helpShown, 1);
  EXPECT_EQ(view_.closedAll, 0);
  EXPECT_EQ(settings_.saves, 0);

  Type(Control::txtFileSet, "/data/Other.HST");
  form_->cmdClose_Click();
  EXPECT_EQ(settings_.fileSet, "/data/Other.HST");
  EXPECT_EQ(settings_.saves, 1);
  EXPECT_EQ(view_.closedAll, 1);
}

TEST(FormLayoutTest, HelpWindowGoesBesideTheMainWindowWhereItFits) {
  const ScreenRect work{0, 0, 1280, 770};
  // Save and Close of a main window across the whole screen.
  const std::vector<ScreenRect> buttons{{1100, 550, 1200, 580},
                                        {980, 550, 1080, 580}};
  struct Case {
    const char* what;
    ScreenRect main, help;
  } cases[] = {
      {"room on the right", {100, 50, 600, 330}, {600, 50, 1039, 380}},
      {"no room on the right", {700, 50, 1200, 330}, {261, 50, 700, 380}},
      {"low on the screen", {10, 600, 510, 880}, {510, 440, 949, 770}},
      {"room below only", {100, 0, 1200, 300}, {100, 300, 539, 630}},
      {"room above only", {100, 440, 1200, 740}, {100, 110, 539, 440}},
      {"room nowhere", {0, 200, 1280, 600}, {841, 0, 1280, 330}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(HelpWindowPlace(c.main, 439, 330, work, buttons), c.help);
  }
}

TEST(FormLayoutTest, TwipsBecomePixelsAtTheWindowsDpi) {
  struct Case {
    int twips, dpi, pixels;
  } cases[] = {{12705, 96, 847},   {3720, 96, 248},  {7, 96, 0},  {8, 96, 1},
               {12705, 144, 1271}, {3720, 192, 496}, {15, 120, 1}};
  for (const Case& c : cases)
    EXPECT_EQ(PixelsAt(c.twips, c.dpi), c.pixels) << c.twips << "@" << c.dpi;
  const ControlLayout& label = LayoutOf(Control::lblPathLength);
  TwipsRect place = PlaceInWindow(label);
  EXPECT_EQ(place.left, 240 + 11520);
  EXPECT_EQ(place.top, 720 + 1920);
  EXPECT_EQ(PlaceInWindow(LayoutOf(Control::cmdSave)).left, 11280);
}

TEST(FormLayoutTest, CaptionsShowASingleAmpersandForTwo) {
  struct Case {
    const char* caption;
    const char* shown;
  } cases[] = {{"Path && Filename", "Path & Filename"},
               {"&Browse", "Browse"},
               {"&&&x", "&x"},
               {"end&", "end"},
               {"", ""}};
  for (const Case& c : cases) EXPECT_EQ(ShownCaption(c.caption), c.shown);
}

// Alt and a letter reach one thing only: a button or the menu.
TEST(FormLayoutTest, AccessKeysOfTheMainWindowDiffer) {
  std::vector<std::string> captions{kToolsMenu};
  for (const ControlLayout& c : kMainControls) captions.push_back(c.caption);
  std::set<char> keys;
  for (const std::string& caption : captions) {
    for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
      if (caption[i] != '&' || caption[++i] == '&') continue;
      const auto key = static_cast<char>(
          std::toupper(static_cast<unsigned char>(caption[i])));
      EXPECT_TRUE(keys.insert(key).second) << caption;
    }
  }
  EXPECT_EQ(keys, (std::set<char>{'B', 'C', 'H', 'S', 'T'}));
}

TEST(CommonDialogTest, FilterEndsInADoubleNulAndSplitsIntoPairs) {
  struct Case {
    const char* filter;
    std::string converted;
    std::vector<std::string> pairs;  // description, patterns, ...
  } cases[] = {
      {"Trends|*.HST|All Files|*.*|",
       "Trends\0*.HST\0All Files\0*.*\0\0"s,
       {"Trends", "*.HST", "All Files", "*.*"}},
      // Already ending in "||": passed on with exactly that ending.
      {"Trends|*.HST|All Files|*.*||",
       "Trends\0*.HST\0All Files\0*.*\0\0"s,
       {"Trends", "*.HST", "All Files", "*.*"}},
      {"Trends|*.HST", "Trends\0*.HST\0\0"s, {"Trends", "*.HST"}},
      // The first empty string ends the list, as the Windows dialog reads it.
      {"Trends|*.HST||All Files|*.*|",
       "Trends\0*.HST\0\0All Files\0*.*\0\0"s,
       {"Trends", "*.HST"}},
      {"a|b|||", "a\0b\0\0\0"s, {"a", "b"}},
      {"Trends|", "Trends\0\0"s, {}},
      {"|", "\0\0"s, {}},
      {"", "\0\0"s, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.filter);
    EXPECT_EQ(ConvertFilter(c.filter), c.converted);
    std::vector<std::string> pairs;
    for (const FilterPair& pair : FilterPairs(c.converted)) {
      pairs.push_back(pair.description);
      pairs.push_back(pair.patterns);
    }
    EXPECT_EQ(pairs, c.pairs);
  }
}

}  // namespace
}  // namespace morvelle
