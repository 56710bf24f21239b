// The Qt "Many trends" window's wiring, through its real widgets: find and
// replace, a typed cell, the State cells and their colour, Rename, Undo
// last run and Recover reaching the form and what the form answers
// reaching the widgets. Its rules are tested on the form
// (ManyTrendsFormTest) and the model (ManyTrendsTest); the message boxes
// and the file dialogs are answered by the test.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include "TrendFixture.h"
#include "ui/qt/frmMain.h"
#include "ui/qt/frmManyTrends.h"
#include "ui/qt/frmRunReport.h"

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

// Runs kept in `runs`, no dialog answered, every question answered Yes,
// the messages and the reports' counts kept in `shown`.
frmManyTrends::Services TestServices(const test::TempFolder& runs,
                                     std::vector<QString>* shown) {
  frmManyTrends::Services services;
  services.runFolder = QString::fromStdString(runs.File("Runs"));
  services.askPath = [](QWidget*, PathQuestion) { return QString(); };
  services.showMessage = [shown](QWidget*, MessageLook, const QString& text) {
    shown->push_back(text);
  };
  services.askYesNo = [](QWidget*, const QString&) { return true; };
  services.showReport = [shown](QWidget*, const RunReport& report) {
    shown->push_back(QString::fromStdString(report.counts));
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
  EXPECT_EQ(shown.back(),
            "2 renamed, 0 unchanged, 0 refused, 0 failed, 0 not run");
  EXPECT_EQ(Cell(window, 1, ManyColumn::kFile), "XB.HST");
  EXPECT_EQ(Cell(window, 1, ManyColumn::kTag), "Pump 7");
  EXPECT_EQ(window.prgRun->value(), 2);

  window.cmdUndo->click();
  ASSERT_TRUE(QTest::qWaitFor([&] { return shown.size() == 2; }, 10000));
  ASSERT_TRUE(settled());
  EXPECT_EQ(test::ReadFolder(folder.path()), before);
  EXPECT_EQ(Cell(window, 0, ManyColumn::kFile), "A.HST");
}

// The Folder box takes a typed folder on Enter; one that cannot be listed
// is said so, and the trends shown stay.
TEST(ManyTrendsWindowTest, AFolderTypedIntoTheBoxLoadsOnEnter) {
  test::TempFolder folder, runs;
  WriteTrends(folder);
  std::vector<QString> shown;
  frmManyTrends window(QString(), TestServices(runs, &shown));
  window.show();
  ASSERT_EQ(window.grdTrends->rowCount(), 0);
  for (const std::string& typed : {folder.File(""), folder.File("None")}) {
    window.txtFolder->setText(QString::fromStdString(typed));
    QTest::keyClick(window.txtFolder, Qt::Key_Return);
    ASSERT_TRUE(Settled(window));
    EXPECT_EQ(window.grdTrends->rowCount(), 2) << typed;
  }
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_TRUE(shown[0].contains("None")) << shown[0].toStdString();
}

TEST(ManyTrendsWindowTest, RecoverPutsBackTheInterruptedTrend) {
  test::TempFolder folder, runs;
  WriteTrends(folder);
  ASSERT_TRUE(test::InterruptRename(folder.File("B.HST"), "open", "B.001"));
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
  EXPECT_TRUE(shown.back().startsWith("1 put back,"))
      << shown.back().toStdString();
  EXPECT_EQ(Cell(window, 1, ManyColumn::kFile), "B.HST");
  EXPECT_FALSE(window.cmdRecover->isEnabled());
}

// A migration of 200 trends: asked first, No runs nothing; Yes runs them,
// and the report of a run whose last trend fails shows that trend first,
// in a window no larger than the screen, as is every window then, whose
// Copy and Save as give its whole text.
TEST(ManyTrendsWindowTest, TwoHundredRowsEndInAReportThatFitsTheScreen) {
  test::TempFolder folder, runs;
  for (int i = 0; i < 200; ++i) {
    TrendRecipe recipe;
    recipe.name = "P" + std::to_string(1000 + i);
    recipe.entryPath = "C:\\OldPlant\\Data\\" + recipe.name;
    recipe.tag = "OLD_" + recipe.name;
    recipe.entryCount = 2;
    recipe.dataExtensions = {"000", "001"};
    recipe.dataBodySize = 0;
    test::WriteTrend(folder.path(), recipe);
  }
  std::vector<QString> shown, asked;
  bool yes = false;
  frmManyTrends::Services services = TestServices(runs, &shown);
  services.askYesNo = [&](QWidget*, const QString& question) {
    asked.push_back(question);
    // Cut short after the plan, a data file fails its trend in the run.
    if (yes) test::WriteFile(folder.path() / "P1199.001", "short");
    return yes;
  };
  QString log, counts;
  services.showReport = [&](QWidget* parent, const RunReport& report) {
    counts = QString::fromStdString(report.counts);
    const QString saved = QString::fromStdString(runs.File("report.txt"));
    frmRunReport window(report, parent, [&](QWidget*) { return saved; });
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    log = window.txtLog->toPlainText();
    // Copy and Save as give the whole text, byte for byte.
    window.cmdCopy->click();
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(), report.Text());
    window.cmdSave->click();
    EXPECT_EQ(test::ReadFile(runs.path() / "report.txt"), report.Text());
    for (QWidget* widget : QApplication::topLevelWidgets())
      if (widget->isVisible()) {
        EXPECT_TRUE(widget->screen()->availableGeometry().contains(
            widget->frameGeometry()))
            << widget->windowTitle().toStdString();
      }
  };
  frmManyTrends window(QString::fromStdString(folder.File("")), services);
  window.show();
  ASSERT_TRUE(Settled(window));
  ASSERT_EQ(window.grdTrends->rowCount(), 200);
  window.grdTrends->selectAll();
  window.txtFind->setText("\\OldPlant\\");
  window.txtReplace->setText("\\NewPlant\\");
  window.cmdReplace->click();
  ASSERT_TRUE(Settled(window));
  ASSERT_TRUE(window.cmdRename->isEnabled());

  window.cmdRename->click();
  EXPECT_FALSE(window.busy());
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0], "Rename 200 trends in " +
                          QString::fromStdString(test::Utf8Of(folder.path())) +
                          "?");
  EXPECT_EQ(Cell(window, 0, ManyColumn::kFile), "P1000.HST");
  EXPECT_FALSE(QDir(QString::fromStdString(runs.File("Runs")))
                   .entryList(QDir::Files)
                   .size());

  yes = true;
  window.cmdRename->click();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !log.isEmpty(); }, 60000));
  ASSERT_TRUE(Settled(window));
  EXPECT_EQ(counts, "199 renamed, 0 unchanged, 0 refused, 1 failed, 0 not run");
  EXPECT_TRUE(log.startsWith("Failed (1):\n  P1199.HST: "))
      << log.toStdString();
  EXPECT_EQ(Cell(window, 0, ManyColumn::kPath), "C:\\NewPlant\\Data\\P1000");
}

// At its size on a 1280 x 800 screen, beside a tag as long as its field
// holds, every State and the whole of each path are in sight; a header
// click sorts, F8 goes to the problem row and the filter keeps it alone.
TEST(ManyTrendsWindowTest, StateAndPathsInSightSortAndFindTheProblem) {
  test::TempFolder folder, runs;
  const std::string deep = "C:\\OldPlant\\Data\\Flow\\Area7\\Line3\\";
  for (const char* name : {"Flow001", "Flow002", "Flow003"}) {
    TrendRecipe recipe;
    recipe.name = name;
    recipe.entryPath = deep + name;
    recipe.tag = name == std::string("Flow002") ? "OLD_" + std::string(74, 'X')
                                                : std::string("OLD_") + name;
    test::WriteTrend(folder.path(), recipe);
  }
  std::vector<QString> shown;
  frmManyTrends window(QString::fromStdString(folder.File("")),
                       TestServices(runs, &shown));
  window.resize(1200, 640);
  window.show();
  ASSERT_TRUE(Settled(window));
  QTableWidget* table = window.grdTrends;
  table->item(2, static_cast<int>(ManyColumn::kNewPath))
      ->setText(QString::fromStdString(deep + "Flow001"));
  ASSERT_TRUE(Settled(window));
  const QFontMetrics metrics = table->fontMetrics();
  for (int row = 0; row < 3; ++row)
    for (ManyColumn column :
         {ManyColumn::kPath, ManyColumn::kNewPath, ManyColumn::kState}) {
      const int c = static_cast<int>(column);
      const QString text = table->item(row, c)->text();
      // A reason may be cut, its row's tooltip has it whole.
      const QString whole =
          text.startsWith("Refused: ") ? QString("Refused: ") : text;
      EXPECT_GT(table->columnWidth(c), metrics.horizontalAdvance(whole))
          << text.toStdString();
      EXPECT_LE(table->columnViewportPosition(c) + table->columnWidth(c),
                table->viewport()->width() + 1)
          << c;
      EXPECT_EQ(table->item(row, c)->toolTip(), text);
    }

  table->horizontalHeader()->sectionClicked(
      static_cast<int>(ManyColumn::kFile));
  table->horizontalHeader()->sectionClicked(
      static_cast<int>(ManyColumn::kFile));
  EXPECT_EQ(Cell(window, 0, ManyColumn::kFile), "Flow003.HST");
  EXPECT_EQ(table->verticalHeaderItem(0)->text(), "3");
  QTest::keyClick(&window, Qt::Key_F8);
  EXPECT_EQ(table->currentRow(), 0);
  window.chkProblems->click();
  ASSERT_EQ(table->rowCount(), 1);
  EXPECT_TRUE(Cell(window, 0, ManyColumn::kState).startsWith("Refused: "));
}

TEST(ManyTrendsWindowTest, MainWindowOpensItFromItsContextMenu) {
  frmMain main;
  std::vector<QAction*> items;
  for (QAction* action : main.actions())
    if (action->text() == kManyTrendsMenuItem) items.push_back(action);
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(main.contextMenuPolicy(), Qt::ActionsContextMenu);
  test::TempFolder folder;
  TrendRecipe recipe;
  recipe.name = "A";
  main.txtFileSet->setText(
      QString::fromStdString(test::WriteTrend(folder.path(), recipe)));
  auto shown = [] {
    std::vector<frmManyTrends*> open;
    for (QWidget* widget : QApplication::topLevelWidgets())
      if (auto* many = dynamic_cast<frmManyTrends*>(widget);
          many && many->isVisible())
        open.push_back(many);
    return open;
  };
  items[0]->trigger();
  ASSERT_EQ(shown().size(), 1u);
  frmManyTrends* many = shown()[0];
  ASSERT_TRUE(Settled(*many));
  many->grdTrends->item(0, static_cast<int>(ManyColumn::kNewTag))->setText("B");
  // Opened again, the same window comes to the front, its edit kept.
  items[0]->trigger();
  ASSERT_EQ(shown(), std::vector<frmManyTrends*>{many});
  EXPECT_EQ(Cell(*many, 0, ManyColumn::kNewTag), "B");
  // Closing the main window asks first; No keeps both.
  main.show();
  QTimer answer;
  int asked = 0;
  QObject::connect(&answer, &QTimer::timeout, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return;
    ++asked;
    box->done(QMessageBox::No);
  });
  answer.start(20);
  EXPECT_FALSE(main.close());
  EXPECT_GE(asked, 1);
  EXPECT_TRUE(main.isVisible());
  EXPECT_EQ(shown(), std::vector<frmManyTrends*>{many});
}

}  // namespace
}  // namespace morvelle
