// The Qt "Many trends" window's wiring, through its real widgets: find and
// replace, a typed cell, the State cells and their colour, Rename, Undo
// last run and Recover reaching the form and what the form answers
// reaching the widgets. Its rules are tested on the form
// (ManyTrendsFormTest) and the model (ManyTrendsTest); the message boxes
// and the file dialogs are answered by the test.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include "TrendFixture.h"
#include "ui/qt/frmMain.h"
#include "ui/qt/frmManyTrends.h"

namespace morvelle {
namespace {

using test::TrendRecipe;

QString Cell(const frmManyTrends& window, int row, ManyColumn column) {
  return window.grdTrends->item(row, static_cast<int>(column))->text();
}

// Trends A and B in `folder`.
void WriteTrends(const test::TempFolder& folder) {
  for (const char* name : {"A", "B"}) {
    TrendRecipe recipe;
    recipe.name = name;
    recipe.entryPath = std::string("C:\\Old\\") + name;
    recipe.tag = name;
    test::WriteTrend(folder.path(), recipe);
  }
}

// Runs kept in `runs`, no dialog answered, the messages kept in `shown`.
frmManyTrends::Services TestServices(const test::TempFolder& runs,
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
  test::TempFolder folder, runs;
  WriteTrends(folder);
  test::FolderImage before = test::ReadFolder(folder.path());
  std::vector<QString> shown;
  frmManyTrends window(QString::fromStdString(folder.File("")),
                       TestServices(runs, &shown));
  window.show();
  auto settled = [&] { return Settled(window); };
  ASSERT_TRUE(settled());
  ASSERT_EQ(window.grdTrends->rowCount(), 2);
  EXPECT_EQ(Cell(window, 1, ManyColumn::kState), "Unchanged");
  EXPECT_FALSE(window.cmdRename->isEnabled());

  window.grdTrends->selectAll();
  window.txtFind->setText("\\old\\");
  window.txtReplace->setText("\\New\\X");
  window.cboReplaceIn->setCurrentIndex(static_cast<int>(ReplaceIn::kPath));
  window.cmdReplace->click();
  QTableWidgetItem* newPath =
      window.grdTrends->item(0, static_cast<int>(ManyColumn::kNewPath));
  ASSERT_TRUE(settled());
  EXPECT_EQ(newPath->text(), "C:\\New\\XA");
  EXPECT_EQ(Cell(window, 0, ManyColumn::kNewTag), "A");
  // A refused row's State in red, until it is put right.
  const QColor text = window.palette().text().color();
  QTableWidgetItem* state =
      window.grdTrends->item(0, static_cast<int>(ManyColumn::kState));
  for (auto [path, colour] : {std::pair{"C:\\Old\\B", QColor(Qt::red)},
                              std::pair{"C:\\New\\XA", text}}) {
    newPath->setText(path);
    ASSERT_TRUE(settled());
    EXPECT_EQ(state->foreground().color(), colour)
        << state->text().toStdString();
  }
  window.grdTrends->item(1, static_cast<int>(ManyColumn::kNewTag))
      ->setText("Pump 7");
  ASSERT_TRUE(settled());
  EXPECT_EQ(Cell(window, 1, ManyColumn::kState), "Will rename");
  ASSERT_TRUE(window.cmdRename->isEnabled());

  window.cmdRename->click();
  EXPECT_TRUE(window.cmdCancel->isEnabled());
  ASSERT_TRUE(QTest::qWaitFor([&] { return !shown.empty(); }, 10000));
  ASSERT_TRUE(settled());
  EXPECT_TRUE(shown.back().endsWith(
      "Summary: 2 renamed, 0 refused, 0 failed, 0 not run.\n"))
      << shown.back().toStdString();
  EXPECT_EQ(Cell(window, 1, ManyColumn::kFile), "XB.HST");
  EXPECT_EQ(Cell(window, 1, ManyColumn::kTag), "Pump 7");
  EXPECT_EQ(window.prgRun->value(), 2);

  window.cmdUndo->click();
  ASSERT_TRUE(QTest::qWaitFor([&] { return shown.size() == 2; }, 10000));
  ASSERT_TRUE(settled());
  EXPECT_EQ(test::ReadFolder(folder.path()), before);
  EXPECT_EQ(Cell(window, 0, ManyColumn::kFile), "A.HST");
}

TEST(ManyTrendsWindowTest, RecoverPutsBackTheInterruptedTrend) {
  test::TempFolder folder, runs;
  WriteTrends(folder);
  ASSERT_TRUE(test::InterruptRename(folder.File("B.HST"), "rename", "B.001"));
  std::vector<QString> shown;
  frmManyTrends window(QString::fromStdString(folder.File("")),
                       TestServices(runs, &shown));
  window.show();
  ASSERT_TRUE(Settled(window));
  EXPECT_EQ(Cell(window, 1, ManyColumn::kState), "Interrupted: run Recover");
  ASSERT_TRUE(window.cmdRecover->isEnabled());

  window.cmdRecover->click();
  EXPECT_EQ(window.lblStatus->text(), "Recovering...");
  ASSERT_TRUE(QTest::qWaitFor([&] { return !shown.empty(); }, 10000));
  ASSERT_TRUE(Settled(window));
  EXPECT_TRUE(shown.back().contains("Summary: 1 put back,"))
      << shown.back().toStdString();
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
