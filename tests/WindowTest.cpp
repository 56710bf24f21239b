// The Qt main and help windows, driven through their real widgets: their
// layout, their access keys and menu, where Help goes on a laptop's screen
// and one rename from end to end. The rules behind them are tested on the
// form (MainFormTest). The open-file dialog and the message boxes are
// answered by the test.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QWindow>
#include <functional>

#include "FailingEnv.h"
#include "TrendFixture.h"
#include "app/AppInfo.h"
#include "app/Settings.h"
#include "trend/TrendTools.h"
#include "ui/qt/Controls.h"
#include "ui/qt/frmHelp.h"
#include "ui/qt/frmMain.h"
#include "ui/qt/frmManyTrends.h"

namespace morvelle {
namespace {

using test::FolderImage;
using test::TrendRecipe;

using test::kNewPath;
using test::kNewTag;

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
  void SetUp() override { UserSettings().SaveFileSet(""); }
  void TearDown() override {
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  }

  std::unique_ptr<frmMain> NewWindow(Env* env = &Env::Default()) {
    frmMain::Services services;
    services.env = env;
    services.showOpenDialog = [this](const OpenDialogRequest& request) {
      dialogCalls_.push_back(request);
      return OpenDialogResult{dialogAnswer_.toStdString(), false};
    };
    services.showMessage = [this](QWidget*, MessageLook look,
                                  const QString& text) {
      shown_.push_back({look, text, WaitCursorIsOn()});
    };
    return std::make_unique<frmMain>(services);
  }

  QString Write(const TrendRecipe& recipe) {
    return QString::fromStdString(test::WriteTrend(folder_.path(), recipe));
  }
  FolderImage Image() const { return test::ReadFolder(folder_.path()); }

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

  test::TempFolder folder_;
  QString dialogAnswer_;
  std::vector<OpenDialogRequest> dialogCalls_;
  std::vector<ShownMessage> shown_;
};

QColor TextColour(const QLabel* label) {
  return label->palette().color(QPalette::WindowText);
}

const QColor kBlack(0, 0, 0);
const QColor kRed(255, 0, 0);

TEST_F(WindowTest, BrowseEditAndSaveRenameTheTrend) {
  test::FailingEnv env(Env::Default());
  bool everyCallUnderWaitCursor = true;
  auto window = NewWindow(&env);
  window->show();
  TrendRecipe recipe;
  Browse(*window, Write(recipe));
  EXPECT_EQ(window->txtPathOriginal->text(), "C:\\Ostrel\\Data\\Trend1");
  EXPECT_EQ(window->txtTagNew->text(), "Trend1");
  EXPECT_EQ(window->lblPathLength->text(), "21");
  EXPECT_EQ(window->lblTagLength->toolTip(), "Maximum length 80 chars");

  window->txtTagNew->setText(QString(80, 'x'));
  EXPECT_EQ(TextColour(window->lblTagLength), kBlack);
  QTest::keyClick(window->txtTagNew, Qt::Key_Y);
  EXPECT_EQ(window->lblTagLength->text(), "81");
  EXPECT_EQ(TextColour(window->lblTagLength), kRed);

  // File Set typed over and Enter: the other trend is read, and Save
  // refused while the box names one that is not shown.
  TrendRecipe other;
  other.name = other.tag = "Other";
  window->txtFileSet->clear();
  QTest::keyClicks(window->txtFileSet, Write(other));
  FolderImage typed = Image();
  window->cmdSave->click();
  ASSERT_EQ(shown_.size(), 1u);
  EXPECT_EQ(shown_[0].look, MessageLook::kExclamation);
  EXPECT_EQ(Image(), typed);
  QTest::keyClick(window->txtFileSet, Qt::Key_Return);
  EXPECT_EQ(window->txtTagOriginal->text(), "Other");
  Browse(*window, Write(recipe));
  shown_.clear();
  env.onCall = [&] {
    everyCallUnderWaitCursor = everyCallUnderWaitCursor && WaitCursorIsOn();
  };

  window->txtPathNew->clear();
  QTest::keyClicks(window->txtPathNew, kNewPath);
  window->txtTagNew->setText(kNewTag);
  FolderImage before = Image();
  window->cmdSave->click();

  EXPECT_EQ(Image(),
            test::ExpectedAfterRename(recipe, before, kNewPath, kNewTag));
  ASSERT_EQ(shown_.size(), 1u);
  EXPECT_EQ(shown_[0].look, MessageLook::kNoIcon);
  EXPECT_EQ(shown_[0].text, "Done");
  EXPECT_FALSE(shown_[0].underWaitCursor);
  EXPECT_GT(env.calls(), 0);
  EXPECT_TRUE(everyCallUnderWaitCursor);
}

TEST_F(WindowTest, HelpOpensBesideTheWindowAndClosesWithIt) {
  UserSettings().SaveFileSet("/data/Remembered.HST");
  auto window = NewWindow();
  EXPECT_EQ(window->txtFileSet->text(), "/data/Remembered.HST");
  window->move(20, 30);
  window->show();
  window->cmdHelp->click();
  window->cmdHelp->click();

  ASSERT_EQ(OpenHelpWindows().size(), 1u);
  frmHelp* help = OpenHelpWindows()[0];
  EXPECT_FALSE(help->isModal());
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  EXPECT_TRUE(window->isEnabled());
  const QRect work = window->screen()->availableGeometry();
  // Inside the screen, and never over Save or Close, whatever its size.
  EXPECT_TRUE(work.contains(help->frameGeometry()));
  for (const QPushButton* button : {window->cmdSave, window->cmdClose})
    EXPECT_FALSE(help->frameGeometry().intersects(
        QRect(button->mapToGlobal(QPoint(0, 0)), button->size())));

  // Closed by the user and opened again: loaded anew, version line and all.
  help->close();
  EXPECT_TRUE(OpenHelpWindows().empty());
  window->cmdHelp->click();
  ASSERT_EQ(OpenHelpWindows().size(), 1u);
  EXPECT_TRUE(OpenHelpWindows()[0]->lblVersion->text().startsWith("Morvelle"));

  // The window's close box takes the one way out.
  window->txtFileSet->setText("/data/Trend1.HST");
  ASSERT_NE(window->windowHandle(), nullptr);
  window->windowHandle()->close();
  EXPECT_FALSE(window->isVisible());
  EXPECT_TRUE(OpenHelpWindows().empty());
  EXPECT_EQ(UserSettings().LoadFileSet(), "/data/Trend1.HST");
}

TEST_F(WindowTest, HelpOnALaptopScreenCoversTheWindowOnlyWhereItMust) {
  struct Case {
    const char* where;
    QPoint at;
    bool room;  // for Help below or above the main window
  } cases[] = {{"top left, room below", {20, 30}, true},
               {"low, room above", {400, 500}, true},
               {"middle, room nowhere", {200, 250}, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.where);
    auto window = NewWindow();
    window->move(c.at);
    window->show();
    ASSERT_EQ(window->screen()->availableGeometry(), QRect(0, 0, 1280, 800));
    window->cmdHelp->click();
    ASSERT_EQ(OpenHelpWindows().size(), 1u);
    const QRect help = OpenHelpWindows()[0]->frameGeometry();
    EXPECT_TRUE(window->screen()->availableGeometry().contains(help));
    EXPECT_EQ(help.intersects(window->frameGeometry()), !c.room);
    for (const QPushButton* button : {window->cmdSave, window->cmdClose})
      EXPECT_FALSE(help.intersects(
          QRect(button->mapToGlobal(QPoint(0, 0)), button->size())));
    window->close();
  }
}

TEST_F(WindowTest, ToolsMenuOpensManyTrendsOnTheFolderOfFileSet) {
  UserSettings().SaveFileSet(Write(TrendRecipe()).toStdString());
  auto window = NewWindow();
  window->show();
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  QTest::keyClick(window->windowHandle(), Qt::Key_T, Qt::AltModifier);
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return QApplication::activePopupWidget() == window->mnuTools; },
      2000));
  QTest::keyClick(window->mnuTools, Qt::Key_M);
  frmManyTrends* many = nullptr;
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        for (QWidget* widget : QApplication::topLevelWidgets())
          if (widget->isVisible() && !many)
            many = dynamic_cast<frmManyTrends*>(widget);
        return many != nullptr;
      },
      2000));
  EXPECT_EQ(QDir(many->txtFolder->text()).canonicalPath(),
            QDir(QString::fromStdString(folder_.path())).canonicalPath());
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
  // The controls' area of the design under the menu bar, which takes
  // nothing from it.
  const int menuHeight = window->menuBar->height();
  EXPECT_GT(menuHeight, 0);
  EXPECT_EQ(window->menuBar->geometry(), QRect(0, 0, 847, menuHeight));
  EXPECT_EQ(window->client->geometry(), QRect(0, menuHeight, 847, 248));
  EXPECT_EQ(window->size(), QSize(847, 248 + menuHeight));
  ASSERT_EQ(window->menuBar->actions().size(), 1);
  EXPECT_EQ(window->menuBar->actions()[0]->text(), "&Tools");
  ASSERT_EQ(window->mnuTools->actions().size(), 1);
  EXPECT_EQ(window->mnuTools->actions()[0]->text(), "&Many trends...");
  struct Control {
    QWidget* widget;
    QWidget* parent;
    QRect pixels;
    QString caption;  // as shown, buttons with their "&"
  } controls[] = {
      {window->Label1, window->client, {16, 16, 35, 13}, "File Set"},
      {window->txtFileSet, window->client, {64, 16, 705, 19}, ""},
      {window->cmdBrowse, window->client, {776, 16, 57, 17}, "&Browse"},
      {window->Frame1, window->client, {16, 48, 817, 153}, ""},
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
      {window->cmdHelp, window->client, {576, 208, 81, 25}, "&Help"},
      {window->cmdClose, window->client, {664, 208, 81, 25}, "&Close"},
      {window->cmdSave, window->client, {752, 208, 81, 25}, "&Save"},
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
  // MS Sans Serif, or one stand-in for it: all text has one size.
  EXPECT_EQ(window->font().families().value(0), "MS Sans Serif");
  const int pixelSize = QFontInfo(window->font()).pixelSize();
  for (const Control& c : controls) {
    SCOPED_TRACE(c.widget->objectName().toStdString());
    EXPECT_EQ(QFontInfo(c.widget->font()).pixelSize(), pixelSize);
    EXPECT_EQ(c.widget->font().families(), window->font().families());
    bool bold = c.widget == window->Label4 || c.widget == window->Label5;
    EXPECT_EQ(c.widget->font().weight(), bold ? 700 : 400);
  }
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
