// The Qt "Many trends" window from end to end, through its real widgets:
// find and replace, a typed cell, Rename and Undo last run, Recover. Its
// rules are
// tested on the model (ManyTrendsTest); the message boxes and the file
// dialogs are answered by the test.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include "TrendFixture.h"
#include "ui/qt/frmMain.h"
#include "ui/qt/frmManyTrends.h"

namespace morvelle {
namespace {

using testing::TrendRecipe;

QString Cell(const frmManyTrends& window, int row, ManyColumn column) {
  return window.grdTrends->item(row, static_cast<int>(column))->text();
}

// Trends A and B in `folder`.
void WriteTrends(const testing::TempFolder& folder) {
  for (const char* name : {"A", "B"}) {
    TrendRecipe recipe;
    recipe.name = name;
    recipe.entryPath = std::string("C:\\Old\\") + name;
    recipe.tag = name;
    testing::WriteTrend(folder.path(), recipe);
  }
}

// Runs kept in `runs`, no dialog answered, the messages kept in `shown`.
frmManyTrends::Services TestServices(const testing::TempFolder& runs,
                                     std::vector<QString>* shown) {
  frmManyTrends::Services services;
  services.runFolder = QString::fromStdString(runs.File("Runs"));
  services.askPath = [](QWidget*, PathQuestion) { return QString(); };
  services.showMessage = [shown](QWidget*, MessageLook, const QString& text) {
    shown->push_back(text);
  };
  return services;
}

// True once nothing is on the window's worker.
bool Settled(const frmManyTrends& window) {
  return QTest::qWaitFor([&] { return !window.busy(); }, 10000);
}

TEST(ManyTrendsWindowTest, ReplaceTypeRenameAndUndoLastRun) {
  testing::TempFolder folder, runs;
  WriteTrends(folder);
  testing::FolderImage before = testing::ReadFolder(folder.path());
  std::vector<QString> shown;
  frmManyTrends window(QString::fromStdString(folder.File("")),
                       TestServices(runs, &shown));
  window.show();
  auto settled = [&] { return Settled(window); };
  ASSERT_TRUE(settled());
  ASSERT_EQ(window.grdTrends->rowCount(), 2);
  EXPECT_EQ(Cell(window, 1, ManyColumn::kState), "Unchanged");
  EXPECT_FALSE(window.cmdRename->isEnabled());
  EXPECT_FALSE(window.cmdRecover->isEnabled());

  window.grdTrends->selectAll();
  window.txtFind->setText("\\old\\");
  window.txtReplace->setText("\\New\\X");
  window.cboReplaceIn->setCurrentIndex(static_cast<int>(ReplaceIn::kPath));
  window.cmdReplace->click();
  window.grdTrends->item(1, static_cast<int>(ManyColumn::kNewTag))
      ->setText("Pump 7");
  ASSERT_TRUE(settled());
  EXPECT_EQ(Cell(window, 0, ManyColumn::kNewPath), "C:\\New\\XA");
  EXPECT_EQ(Cell(window, 1, ManyColumn::kState), "Will rename");
  ASSERT_TRUE(window.cmdRename->isEnabled());

  window.cmdRename->click();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !shown.empty(); }, 10000));
  ASSERT_TRUE(settled());
  EXPECT_TRUE(shown.back().endsWith(
      "Summary: 2 renamed, 0 refused, 0 failed, 0 not run.\n"))
      << shown.back().toStdString();
  EXPECT_EQ(Cell(window, 1, ManyColumn::kFile), "XB.HST");
  EXPECT_EQ(Cell(window, 1, ManyColumn::kTag), "Pump 7");

  window.cmdUndo->click();
  ASSERT_TRUE(QTest::qWaitFor([&] { return shown.size() == 2; }, 10000));
  ASSERT_TRUE(settled());
  EXPECT_EQ(testing::ReadFolder(folder.path()), before);
  EXPECT_EQ(Cell(window, 0, ManyColumn::kFile), "A.HST");
}

TEST(ManyTrendsWindowTest, RecoverPutsBackTheInterruptedTrend) {
  testing::TempFolder folder, runs;
  WriteTrends(folder);
  testing::FolderImage before = testing::ReadFolder(folder.path());
  ASSERT_TRUE(
      testing::InterruptRename(folder.File("B.HST"), "rename", "B.001"));
  std::vector<QString> shown;
  frmManyTrends window(QString::fromStdString(folder.File("")),
                       TestServices(runs, &shown));
  window.show();
  ASSERT_TRUE(Settled(window));
  EXPECT_EQ(Cell(window, 1, ManyColumn::kState), "Interrupted: run Recover");
  ASSERT_TRUE(window.cmdRecover->isEnabled());

  window.cmdRecover->click();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !shown.empty(); }, 10000));
  ASSERT_TRUE(Settled(window));
  EXPECT_TRUE(shown.back().contains("Summary: 1 put back,"))
      << shown.back().toStdString();
  EXPECT_EQ(testing::ReadFolder(folder.path()), before);
  EXPECT_EQ(Cell(window, 1, ManyColumn::kFile), "B.HST");
  EXPECT_FALSE(window.cmdRecover->isEnabled());
}

TEST(ManyTrendsWindowTest, MainWindowOpensItFromItsContextMenu) {
  frmMain main;
  std::vector<QAction*> items;
  for (QAction* action : main.actions())
    if (action->text() == kManyTrendsMenuItem) items.push_back(action);
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(main.contextMenuPolicy(), Qt::ActionsContextMenu);
  items[0]->trigger();
  std::size_t open = 0;
  for (QWidget* widget : QApplication::topLevelWidgets())
    if (dynamic_cast<frmManyTrends*>(widget) && widget->isVisible()) ++open;
  EXPECT_EQ(open, 1u);
}

}  // namespace
}  // namespace morvelle
