// The open-file request on a real QFileDialog, and the Qt message boxes.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>
#include <functional>

#include "TrendFixture.h"
#include "ui/qt/CommonDialog.h"
#include "ui/qt/Controls.h"
#include "ui/qt/MessageBox.h"

namespace morvelle {
namespace {

TEST(CommonDialogTest, FilterPairsBecomeNameFilters) {
  struct Case {
    const char* filter;
    bool caseSensitive;
    QStringList nameFilters;
  } cases[] = {
      // Names without a dot are files too where names are POSIX ones.
      {"Trends|*.HST|All Files|*.*|",
       true,
       {"Trends (*.HST *.hst)", "All Files (*)"}},
      {"Trends|*.HST|All Files|*.*|",
       false,
       {"Trends (*.HST)", "All Files (*.*)"}},
      {"Text|*.TXT;*.Log|", true, {"Text (*.TXT *.txt *.Log *.log)"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.filter);
    EXPECT_EQ(
        NameFilters(FilterPairs(ConvertFilter(c.filter)), c.caseSensitive),
        c.nameFilters);
  }
}

TEST(CommonDialogTest, DialogIsSetUpFromTheRequest) {
  test::TempFolder folder;
  std::string hst = folder.File("Trend1.HST");
  test::WriteFile(hst, "x");
  QFileDialog dialog;
  ConfigureOpenDialog(&dialog, {"", hst, "Trends|*.HST|All Files|*.*|", 6148});
  EXPECT_EQ(dialog.fileMode(), QFileDialog::ExistingFile);
  EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptOpen);
  EXPECT_EQ(dialog.nameFilters(),
            (QStringList{"Trends (*.HST *.hst)", "All Files (*)"}));
  EXPECT_EQ(dialog.selectedNameFilter(), "Trends (*.HST *.hst)");
  EXPECT_EQ(dialog.directory().absolutePath(),
            QString::fromStdString(folder.path().string()));

  QFileDialog titled;
  ConfigureOpenDialog(&titled, {"Pick a trend", "", "", 0});
  EXPECT_EQ(titled.windowTitle(), "Pick a trend");
  EXPECT_EQ(titled.fileMode(), QFileDialog::AnyFile);
}

// Answers the next modal file dialog once it is up, so that ShowOpenDialog
// returns without a user.
void AnswerFileDialog(std::function<void(QFileDialog*)> answer) {
  auto* timer = new QTimer;
  timer->setInterval(5);
  QObject::connect(timer, &QTimer::timeout, [timer, answer] {
    auto* dialog =
        qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (!dialog) return;
    timer->stop();
    timer->deleteLater();
    answer(dialog);
  });
  timer->start();
}

TEST(CommonDialogTest, ShowOpenDialogReturnsTheChoiceOrNothing) {
  test::TempFolder folder;
  std::string hst = folder.File("Trend1.HST");
  test::WriteFile(hst, "x");
  const std::string filter = "Trends|*.HST|All Files|*.*|";

  AnswerFileDialog([&](QFileDialog* dialog) {
    dialog->selectFile(QString::fromStdString(hst));
    static_cast<QDialog*>(dialog)->accept();  // QFileDialog's checks run
  });
  OpenDialogResult chosen = ShowOpenDialog({"", "", filter, 6148});
  EXPECT_EQ(chosen.path, hst);
  EXPECT_FALSE(chosen.readOnly);

  AnswerFileDialog([](QFileDialog* dialog) { dialog->reject(); });
  OpenDialogResult cancelled = ShowOpenDialog({"", hst, filter, 6148 | 1});
  EXPECT_EQ(cancelled.path, "");
  EXPECT_TRUE(cancelled.readOnly);
}

TEST(MessageBoxesTest, BoxesAreTitledMorvelleWithTheirLook) {
  struct Case {
    MessageLook look;
    QMessageBox::Icon icon;
  } cases[] = {{MessageLook::kExclamation, QMessageBox::Warning},
               {MessageLook::kCritical, QMessageBox::Critical},
               {MessageLook::kNoIcon, QMessageBox::NoIcon}};
  for (const Case& c : cases) {
    auto box = NewMessageBox(nullptr, c.look, "Trend '<b>.HST' not found");
    EXPECT_EQ(box->icon(), c.icon);
    EXPECT_EQ(box->windowTitle(), "Morvelle");
    EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
    EXPECT_EQ(box->text(), "Trend '<b>.HST' not found");
    EXPECT_EQ(box->textFormat(), Qt::PlainText);
    // A report lists file names one to a line: a line is never broken.
    auto* label = box->findChild<QLabel*>("qt_msgbox_label");
    ASSERT_NE(label, nullptr);
    EXPECT_FALSE(label->wordWrap());
  }
  // As wide as its longest line while the screen has room; beyond that its
  // lines wrap, and it stays on the screen.
  const QString line = "  '/data/trends/Pump17.HST' was put back as before";
  const QString find = "'OLD_' is not in the selected rows.";
  for (const auto& [text, widest] : {std::pair{line + "\n" + line, line},
                                     {line.repeated(20), line},
                                     {find, find}}) {
    auto box = NewMessageBox(nullptr, MessageLook::kNoIcon, text);
    box->show();
    QApplication::processEvents();
    auto* label = box->findChild<QLabel*>("qt_msgbox_label");
    EXPECT_GE(label->contentsRect().width(),
              label->fontMetrics().horizontalAdvance(widest))
        << text.toStdString();
    EXPECT_LE(box->frameGeometry().width(),
              box->screen()->availableGeometry().width());
  }
  // More lines than the screen holds: those that fit, and all of them
  // under Show Details, even when that is open.
  const QString lines = (line + "\n").repeated(199) + line;
  auto box = NewMessageBox(nullptr, MessageLook::kNoIcon, lines);
  EXPECT_EQ(box->detailedText(), lines);
  box->show();
  for (QAbstractButton* button : box->buttons())
    if (box->buttonRole(button) == QMessageBox::ActionRole) button->click();
  QApplication::processEvents();
  EXPECT_LE(box->frameGeometry().height() + 40,
            box->screen()->availableGeometry().height());
}

TEST(ControlsTest, TwipsRoundToTheNearestPixel) {
  EXPECT_EQ(PixelRect({3880, 4600, 6375, 615}), QRect(259, 307, 425, 41));
  EXPECT_EQ(PixelRect({7, 8, 22, 23}), QRect(0, 1, 1, 2));
}

}  // namespace
}  // namespace morvelle
