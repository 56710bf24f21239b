// The main and help windows, driven through their real widgets. The
// open-file dialog and the message boxes are answered by the test.
#include <gtest/gtest.h>

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QWindow>
#include <functional>

#include "FailingEnv.h"
#include "RecordingReporter.h"
#include "TrendFixture.h"
#include "app/AppInfo.h"
#include "app/Settings.h"
#include "trend/TrendTools.h"
#include "ui/Controls.h"
#include "ui/frmHelp.h"
#include "ui/frmMain.h"

namespace morvelle {
namespace {

using testing::FolderImage;
using testing::TrendRecipe;

using testing::kNewPath;
using testing::kNewTag;

struct DialogCall {
  QString title, initialFile, filter;
  int flags;
};

struct ShownMessage {
  MessageLook look;
  QString text;
  bool underWaitCursor;
};

bool WaitCursorIsOn() {
  return QApplication::overrideCursor() &&
         QApplication::overrideCursor()->shape() == Qt::WaitCursor;
}

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override { SaveFileSet(""); }
  void TearDown() override {
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  }

  std::unique_ptr<frmMain> NewWindow(Env* env = &Env::Default()) {
    frmMain::Services services;
    services.env = env;
    services.showOpenDialog = [this](const QString& title,
                                     const QString& initialFile,
                                     const QString& filter, int flags) {
      dialogCalls_.push_back({title, initialFile, filter, flags});
      return OpenDialogResult{dialogAnswer_, false};
    };
    services.showMessage = [this](QWidget*, MessageLook look,
                                  const QString& text) {
      shown_.push_back({look, text, WaitCursorIsOn()});
    };
    return std::make_unique<frmMain>(services);
  }

  QString Write(const TrendRecipe& recipe) {
    return QString::fromStdString(testing::WriteTrend(folder_.path(), recipe));
  }
  FolderImage Image() const { return testing::ReadFolder(folder_.path()); }

  // Browse, with the dialog answering `answer` ("" is a cancel).
  void Browse(frmMain& window, const QString& answer) {
    dialogAnswer_ = answer;
    window.cmdBrowse->click();
  }

  // The help windows that are open.
  static std::vector<frmHelp*> OpenHelpWindows() {
    std::vector<frmHelp*> open;
    for (QWidget* widget : QApplication::topLevelWidgets())
      if (auto* help = dynamic_cast<frmHelp*>(widget);
          help && help->isVisible())
        open.push_back(help);
    return open;
  }

  testing::TempFolder folder_;
  QString dialogAnswer_;
  std::vector<DialogCall> dialogCalls_;
  std::vector<ShownMessage> shown_;
};

QColor TextColour(const QLabel* label) {
  return label->palette().color(QPalette::WindowText);
}

const QColor kBlack(0, 0, 0);
const QColor kRed(255, 0, 0);

TEST_F(WindowTest, BrowseShowsEntryZeroAndTheLimitsOfItsLayout) {
  struct Case {
    int version;
    const char* pathTip;
    const char* tagTip;
  } cases[] = {{5, "Maximum length 140 chars", "Maximum length 80 chars"},
               {4, "Maximum length 268 chars", "Maximum length 64 chars"},
               {6, "Maximum length 268 chars", "Maximum length 80 chars"},
               {0, "Maximum length 140 chars", "Maximum length 32 chars"}};
  auto window = NewWindow();
  window->txtFileSet->setText("/typed/before.HST");
  QString previous = window->txtFileSet->text();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.version);
    TrendRecipe recipe;
    recipe.version = c.version;
    recipe.name = "V" + std::to_string(c.version);
    // Field bytes are Windows-1252: \xE9 is shown as "é".
    recipe.entryPath = "C:\\Ostrel\\Daten\\Tr\xE9nd" + recipe.name;
    recipe.tag = "Tag\xE9" + recipe.name;
    QString hst = Write(recipe);

    Browse(*window, hst);

    ASSERT_FALSE(dialogCalls_.empty());
    const DialogCall& call = dialogCalls_.back();
    EXPECT_EQ(call.title, "");
    EXPECT_EQ(call.initialFile, previous);
    EXPECT_EQ(call.filter, "Trends|*.HST|All Files|*.*|");
    EXPECT_EQ(call.flags, 6148);
    previous = hst;

    QString path = QString::fromUtf8("C:\\Ostrel\\Daten\\Tr\xC3\xA9nd") +
                   QString::fromStdString(recipe.name);
    QString tag =
        QString::fromUtf8("Tag\xC3\xA9") + QString::fromStdString(recipe.name);
    EXPECT_EQ(window->txtFileSet->text(), hst);
    EXPECT_EQ(window->txtPathOriginal->text(), path);
    EXPECT_EQ(window->txtPathNew->text(), path);
    EXPECT_EQ(window->txtTagOriginal->text(), tag);
    EXPECT_EQ(window->txtTagNew->text(), tag);
    EXPECT_EQ(window->lblPathLength->text(), QString::number(path.size()));
    EXPECT_EQ(window->lblTagLength->text(), QString::number(tag.size()));
    EXPECT_EQ(TextColour(window->lblPathLength), kBlack);
    EXPECT_EQ(TextColour(window->lblTagLength), kBlack);
    EXPECT_EQ(window->lblPathLength->toolTip(), c.pathTip);
    EXPECT_EQ(window->lblTagLength->toolTip(), c.tagTip);
  }
  EXPECT_TRUE(shown_.empty());
}

TEST_F(WindowTest, LengthCountTurnsRedOnePastItsLimit) {
  auto window = NewWindow();
  struct Case {
    QLineEdit* box;
    QLabel* count;
    int limit;
  };
  // Before any Browse both limits are 0.
  for (const Case& c : {Case{window->txtTagNew, window->lblTagLength, 0},
                        Case{window->txtPathNew, window->lblPathLength, 0}}) {
    c.box->setText("x");
    EXPECT_EQ(c.count->text(), "1");
    EXPECT_EQ(TextColour(c.count), kRed);
    c.box->clear();
    EXPECT_EQ(c.count->text(), "0");
    EXPECT_EQ(TextColour(c.count), kBlack);
  }

  Browse(*window, Write(TrendRecipe{}));  // version 5: limits 140 and 80
  for (const Case& c : {Case{window->txtTagNew, window->lblTagLength, 80},
                        Case{window->txtPathNew, window->lblPathLength, 140}}) {
    SCOPED_TRACE(c.limit);
    c.box->setText(QString(c.limit - 1, 'a'));
    QTest::keyClick(c.box, Qt::Key_B);
    EXPECT_EQ(c.count->text(), QString::number(c.limit));
    EXPECT_EQ(TextColour(c.count), kBlack);
    QTest::keyClick(c.box, Qt::Key_C);
    EXPECT_EQ(c.count->text(), QString::number(c.limit + 1));
    EXPECT_EQ(TextColour(c.count), kRed);
    QTest::keyClick(c.box, Qt::Key_Backspace);
    EXPECT_EQ(TextColour(c.count), kBlack);
  }
}

TEST_F(WindowTest, CancelledBrowseEmptiesOnlyTheFileSetBox) {
  auto window = NewWindow();
  Browse(*window, Write(TrendRecipe{}));
  window->txtTagNew->setText(QString(81, 't'));
  const QLineEdit* boxes[] = {window->txtPathOriginal, window->txtPathNew,
                              window->txtTagOriginal, window->txtTagNew};
  std::vector<QString> before;
  for (const QLineEdit* box : boxes) before.push_back(box->text());

  Browse(*window, "");

  EXPECT_EQ(window->txtFileSet->text(), "");
  for (std::size_t i = 0; i < std::size(boxes); ++i)
    EXPECT_EQ(boxes[i]->text(), before[i]);
  EXPECT_EQ(window->lblTagLength->text(), "81");
  EXPECT_EQ(TextColour(window->lblTagLength), kRed);
  EXPECT_EQ(window->lblTagLength->toolTip(), "Maximum length 80 chars");
  EXPECT_EQ(window->lblPathLength->toolTip(), "Maximum length 140 chars");
  EXPECT_TRUE(shown_.empty());
}

TEST_F(WindowTest, UnknownVersionIsReportedAndLeavesEmptyBoxes) {
  auto window = NewWindow();
  Browse(*window, Write(TrendRecipe{}));
  TrendRecipe invalid;
  invalid.name = "Invalid";
  invalid.version = 7;
  Browse(*window, Write(invalid));

  ASSERT_EQ(shown_.size(), 1u);
  EXPECT_EQ(shown_[0].look, MessageLook::kCritical);
  EXPECT_EQ(shown_[0].text, "Invalid Trend Version 7");
  for (const QLineEdit* box : {window->txtPathOriginal, window->txtPathNew,
                               window->txtTagOriginal, window->txtTagNew})
    EXPECT_EQ(box->text(), "");
  EXPECT_EQ(window->lblPathLength->toolTip(), "Maximum length -4 chars");
  EXPECT_EQ(window->lblTagLength->toolTip(), "Maximum length 0 chars");
}

TEST_F(WindowTest, SaveRenamesWithTheThreeTextsThenSaysDone) {
  testing::FailingEnv env(Env::Default());
  bool everyCallUnderWaitCursor = true;
  env.onCall = [&] {
    everyCallUnderWaitCursor = everyCallUnderWaitCursor && WaitCursorIsOn();
  };
  auto window = NewWindow(&env);
  TrendRecipe recipe;
  // Typed by hand, without Browse: Save takes the box as it stands.
  QString hst = Write(recipe);
  window->txtFileSet->setText(hst);
  window->txtPathNew->setText(kNewPath);
  window->txtTagNew->setText(kNewTag);
  FolderImage before = Image();

  window->cmdSave->click();

  EXPECT_EQ(Image(),
            testing::ExpectedAfterRename(recipe, before, kNewPath, kNewTag));
  ASSERT_EQ(shown_.size(), 1u);
  EXPECT_EQ(shown_[0].look, MessageLook::kNoIcon);
  EXPECT_EQ(shown_[0].text, "Done");
  EXPECT_FALSE(shown_[0].underWaitCursor);
  EXPECT_GT(env.calls(), 0);
  EXPECT_TRUE(everyCallUnderWaitCursor);
  // Save does not read the trend again: the box keeps the old name.
  EXPECT_EQ(window->txtFileSet->text(), hst);
  EXPECT_EQ(window->txtPathOriginal->text(), "");
}

TEST_F(WindowTest, FailedSaveShowsItsMessageAndNeverDone) {
  TrendRecipe recipe;
  QString hst = Write(recipe);
  // Fails the last file-system call of the rename: that of the last data
  // file, counted on a copy.
  int renameCalls = 0;
  {
    testing::TempFolder copy;
    testing::FailingEnv counting(Env::Default());
    testing::RecordingReporter ignored;
    RenameTrend(counting, ignored, testing::WriteTrend(copy.path(), recipe),
                kNewPath, kNewTag);
    renameCalls = counting.calls();
  }
  testing::FailingEnv failing(Env::Default(), renameCalls);

  struct Case {
    const char* what;
    QString fileSet, newPath, newTag;
    Env* env;
    MessageLook look;
    QString message;  // the start of the message
    bool changesFiles;
  } cases[] = {
      {"no history file", folder_.File("Missing.HST").c_str(), kNewPath,
       kNewTag, &Env::Default(), MessageLook::kExclamation,
       ("Trend '" + folder_.File("Missing.HST") + "' not found").c_str(),
       false},
      {"empty File Set", "", kNewPath, kNewTag, &Env::Default(),
       MessageLook::kExclamation, "Trend '' not found", false},
      {"refused value", hst, kNewPath, "", &Env::Default(),
       MessageLook::kExclamation, "The new tag is empty", false},
      {"name taken", hst, "C:\\Ostrel\\Taken", kNewTag, &Env::Default(),
       MessageLook::kExclamation, "Cannot rename", false},
      {"file-system error", hst, kNewPath, kNewTag, &failing,
       MessageLook::kCritical, "Renaming trend", false},
  };
  testing::WriteFile(folder_.path() / "Taken.001", "someone else's");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    shown_.clear();
    auto window = NewWindow(c.env);
    window->show();
    window->txtFileSet->setText(c.fileSet);
    window->txtPathNew->setText(c.newPath);
    window->txtTagNew->setText(c.newTag);
    FolderImage before = Image();

    window->cmdSave->click();

    ASSERT_EQ(shown_.size(), 1u);
    EXPECT_EQ(shown_[0].look, c.look);
    EXPECT_TRUE(shown_[0].text.startsWith(c.message))
        << shown_[0].text.toStdString();
    EXPECT_FALSE(shown_[0].underWaitCursor);
    EXPECT_TRUE(window->isVisible());
    if (!c.changesFiles) {
      EXPECT_EQ(Image(), before);
    }
  }
  // A failure part-way is undone, and the message says so.
  const QString& failure = shown_.back().text;
  EXPECT_TRUE(failure.contains("injected failure"));
  EXPECT_TRUE(
      failure.contains("Every change was undone: the trend is as it was."));
}

TEST_F(WindowTest, FileSetIsStoredOnCloseAndRestoredAtTheNextStart) {
  QString remembered = QString::fromUtf8("/data/Tr\xC3\xA9nds/Trend1.HST");
  {
    auto window = NewWindow();
    EXPECT_EQ(window->txtFileSet->text(), "");
    window->show();
    window->txtFileSet->setText(remembered);
    window->cmdClose->click();
    EXPECT_FALSE(window->isVisible());
  }
  EXPECT_EQ(LoadFileSet(), remembered);

  auto window = NewWindow();
  EXPECT_EQ(window->txtFileSet->text(), remembered);
  // Nothing is read from the trend until Browse.
  EXPECT_EQ(window->txtPathOriginal->text(), "");
  EXPECT_EQ(window->txtTagNew->text(), "");
  EXPECT_EQ(window->lblPathLength->text(), "");
  EXPECT_TRUE(dialogCalls_.empty());

  // The window's close box takes the same way out.
  window->show();
  window->txtFileSet->setText("/data/Other.HST");
  ASSERT_NE(window->windowHandle(), nullptr);
  window->windowHandle()->close();
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(LoadFileSet(), "/data/Other.HST");
}

TEST_F(WindowTest, HelpOpensBesideTheWindowAndClosesWithIt) {
  auto window = NewWindow();
  window->show();
  window->cmdHelp->click();
  window->cmdHelp->click();

  ASSERT_EQ(OpenHelpWindows().size(), 1u);
  frmHelp* help = OpenHelpWindows()[0];
  EXPECT_FALSE(help->isModal());
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  EXPECT_TRUE(window->isEnabled());

  // Closed by the user and opened again: loaded anew, version line and all.
  help->close();
  EXPECT_TRUE(OpenHelpWindows().empty());
  window->cmdHelp->click();
  ASSERT_EQ(OpenHelpWindows().size(), 1u);
  EXPECT_TRUE(OpenHelpWindows()[0]->lblVersion->text().startsWith("Morvelle"));

  window->txtFileSet->setText("/data/Trend1.HST");
  window->close();
  EXPECT_TRUE(OpenHelpWindows().empty());
  EXPECT_EQ(LoadFileSet(), "/data/Trend1.HST");
}

TEST_F(WindowTest, AccessKeysPressTheirButtons) {
  auto window = NewWindow();
  window->show();
  // A button pressed by its access key is released, and so clicked, a
  // moment later.
  auto press = [&](Qt::Key key, const std::function<bool()>& clicked) {
    window->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
    QTest::keyClick(window->windowHandle(), key, Qt::AltModifier);
    return QTest::qWaitFor(clicked, 2000);
  };
  EXPECT_TRUE(press(Qt::Key_B, [&] { return dialogCalls_.size() == 1; }));
  EXPECT_TRUE(press(Qt::Key_H, [&] { return OpenHelpWindows().size() == 1; }));
  EXPECT_TRUE(press(Qt::Key_S, [&] { return shown_.size() == 1; }));
  EXPECT_TRUE(press(Qt::Key_C, [&] { return !window->isVisible(); }));
  EXPECT_TRUE(OpenHelpWindows().empty());
}

TEST_F(WindowTest, MainWindowLayout) {
  auto window = NewWindow();
  EXPECT_EQ(window->windowTitle(), "Ostrel Morvelle");
  EXPECT_EQ(window->size(), QSize(847, 248));
  struct Control {
    QWidget* widget;
    QWidget* parent;
    QRect pixels;
    QString caption;  // as shown, buttons with their "&"
  } controls[] = {
      {window->Label1, window.get(), {16, 16, 35, 13}, "File Set"},
      {window->txtFileSet, window.get(), {64, 16, 705, 19}, ""},
      {window->cmdBrowse, window.get(), {776, 16, 57, 17}, "&Browse"},
      {window->Frame1, window.get(), {16, 48, 817, 153}, ""},
      {window->Label4, window->Frame1, {96, 16, 81, 13}, "Original"},
      {window->Label5, window->Frame1, {456, 16, 81, 13}, "New"},
      {window->Label2, window->Frame1, {8, 32, 81, 13}, "Tag Name"},
      {window->txtTagOriginal, window->Frame1, {96, 32, 345, 37}, ""},
      {window->txtTagNew, window->Frame1, {456, 32, 345, 37}, ""},
      {window->lblTagLength, window->Frame1, {768, 72, 33, 17}, ""},
      {window->Label3, window->Frame1, {8, 88, 76, 13}, "Path & Filename"},
      {window->txtPathOriginal, window->Frame1, {96, 88, 345, 37}, ""},
      {window->txtPathNew, window->Frame1, {456, 88, 345, 37}, ""},
      {window->lblPathLength, window->Frame1, {768, 128, 33, 17}, ""},
      {window->cmdHelp, window.get(), {576, 208, 81, 25}, "&Help"},
      {window->cmdClose, window.get(), {664, 208, 81, 25}, "&Close"},
      {window->cmdSave, window.get(), {752, 208, 81, 25}, "&Save"},
  };
  for (const Control& c : controls) {
    SCOPED_TRACE(c.widget->objectName().toStdString());
    EXPECT_EQ(c.widget->parentWidget(), c.parent);
    EXPECT_EQ(c.widget->geometry(), c.pixels);
    if (auto* label = qobject_cast<QLabel*>(c.widget)) {
      EXPECT_EQ(label->text(), c.caption);
      EXPECT_EQ(label->textFormat(), Qt::PlainText);
      EXPECT_TRUE(TextFitsLabel(*label, label->font()));
    }
    if (auto* button = qobject_cast<QPushButton*>(c.widget)) {
      EXPECT_EQ(button->text(), c.caption);
    }
  }
  for (QLabel* bold : {window->Label4, window->Label5}) {
    EXPECT_EQ(bold->font().family(), "MS Sans Serif");
    EXPECT_EQ(bold->font().pointSizeF(), 8.25);
    EXPECT_EQ(bold->font().weight(), 700);
  }
  EXPECT_NE(window->Label2->font().weight(), 700);
  for (QLineEdit* original :
       {window->txtTagOriginal, window->txtPathOriginal}) {
    EXPECT_TRUE(original->isReadOnly());
    EXPECT_EQ(original->palette().color(QPalette::Text), QColor(128, 128, 128));
  }
  EXPECT_FALSE(window->txtTagNew->isReadOnly());

  std::vector<QString> tabOrder;
  QWidget* widget = window->txtFileSet;
  do {
    if (widget->focusPolicy() & Qt::TabFocus)
      tabOrder.push_back(widget->objectName());
    widget = widget->nextInFocusChain();
  } while (widget != window->txtFileSet);
  EXPECT_EQ(tabOrder, (std::vector<QString>{"txtFileSet", "cmdSave", "cmdClose",
                                            "cmdBrowse", "cmdHelp",
                                            "txtTagOriginal", "txtPathOriginal",
                                            "txtTagNew", "txtPathNew"}));
}

TEST_F(WindowTest, HelpWindowLayoutAndVersionLine) {
  frmHelp help;
  EXPECT_EQ(help.windowTitle(), "Help");
  EXPECT_EQ(help.size(), QSize(439, 328));
  EXPECT_EQ(help.lblVersion->text(),
            QString("Morvelle version 1.00.003 ") + kVersionComments);
  struct Row {
    QLabel* label;
    int top, height;
  } rows[] = {{help.lblVersion, 8, 17}, {help.Label1, 32, 73},
              {help.Label3, 104, 97},   {help.Label2, 200, 57},
              {help.Label4, 259, 41},   {help.Label5, 307, 17}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.label->objectName().toStdString());
    EXPECT_EQ(row.label->geometry(), QRect(8, row.top, 425, row.height));
    EXPECT_TRUE(row.label->wordWrap());
    // The syntax line holds "<HST path and filename>", which rich text
    // would swallow as a tag.
    EXPECT_EQ(row.label->textFormat(), Qt::PlainText);
    EXPECT_TRUE(TextFitsLabel(*row.label, row.label->font()));
  }
  EXPECT_TRUE(help.Label4->text().contains("\"<HST path and filename>\""));
}

}  // namespace
}  // namespace morvelle
