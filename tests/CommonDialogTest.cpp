// The open-file dialog's filter conversion and its real QFileDialog, the
// message boxes, and the caption helper.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QTimer>
#include <functional>

#include "TrendFixture.h"
#include "ui/CommonDialog.h"
#include "ui/Controls.h"
#include "ui/MessageBoxes.h"

namespace morvelle {
namespace {

using namespace std::string_literals;

QString WithNuls(const std::string& s) {
  return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

TEST(CommonDialogTest, FilterEndsInADoubleNul) {
  struct Case {
    const char* filter;
    std::string converted;
  } cases[] = {
      {"Trends|*.HST|All Files|*.*|", "Trends\0*.HST\0All Files\0*.*\0\0"s},
      // Already ending in "||": passed on with exactly that ending.
      {"Trends|*.HST|All Files|*.*||", "Trends\0*.HST\0All Files\0*.*\0\0"s},
      {"Trends|*.HST", "Trends\0*.HST\0\0"s},
      {"a|b|||", "a\0b\0\0\0"s},
      {"|", "\0\0"s},
      {"", "\0\0"s},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.filter);
    EXPECT_EQ(ConvertFilter(c.filter), WithNuls(c.converted));
  }
}

TEST(CommonDialogTest, FilterPairsBecomeNameFilters) {
  struct Case {
    const char* filter;
    bool caseSensitive;
    QStringList nameFilters;
  } cases[] = {
      {"Trends|*.HST|All Files|*.*|",
       true,
       {"Trends (*.HST *.hst)", "All Files (*.*)"}},
      {"Trends|*.HST|All Files|*.*|",
       false,
       {"Trends (*.HST)", "All Files (*.*)"}},
      {"Text|*.TXT;*.Log|", true, {"Text (*.TXT *.txt *.Log *.log)"}},
      // The first empty string ends the list, as the Windows dialog reads it.
      {"Trends|*.HST||All Files|*.*|", true, {"Trends (*.HST *.hst)"}},
      {"Trends|", true, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.filter);
    EXPECT_EQ(
        NameFilters(FilterPairs(ConvertFilter(c.filter)), c.caseSensitive),
        c.nameFilters);
  }
}

TEST(CommonDialogTest, DialogIsSetUpFromTheRequest) {
  testing::TempFolder folder;
  std::string hst = folder.File("Trend1.HST");
  testing::WriteFile(hst, "x");
  QFileDialog dialog;
  ConfigureOpenDialog(&dialog, "", QString::fromStdString(hst),
                      "Trends|*.HST|All Files|*.*|", 6148);
  EXPECT_EQ(dialog.fileMode(), QFileDialog::ExistingFile);
  EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptOpen);
  EXPECT_EQ(dialog.nameFilters(),
            (QStringList{"Trends (*.HST *.hst)", "All Files (*.*)"}));
  EXPECT_EQ(dialog.selectedNameFilter(), "Trends (*.HST *.hst)");
  EXPECT_EQ(dialog.directory().absolutePath(),
            QString::fromStdString(folder.path().string()));

  QFileDialog titled;
  ConfigureOpenDialog(&titled, "Pick a trend", "", "", 0);
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
  testing::TempFolder folder;
  QString hst = QString::fromStdString(folder.File("Trend1.HST"));
  testing::WriteFile(hst.toStdString(), "x");
  const QString filter = "Trends|*.HST|All Files|*.*|";

  AnswerFileDialog([&](QFileDialog* dialog) {
    dialog->selectFile(hst);
    static_cast<QDialog*>(dialog)->accept();  // QFileDialog's checks run
  });
  OpenDialogResult chosen = ShowOpenDialog("", "", filter, 6148);
  EXPECT_EQ(chosen.path, hst);
  EXPECT_FALSE(chosen.readOnly);

  AnswerFileDialog([](QFileDialog* dialog) { dialog->reject(); });
  OpenDialogResult cancelled = ShowOpenDialog("", hst, filter, 6148 | 1);
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
  }
}

TEST(ControlsTest, CaptionsShowASingleAmpersandForTwo) {
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

TEST(ControlsTest, TwipsRoundToTheNearestPixel) {
  EXPECT_EQ(TwipsRect(3880, 4600, 6375, 615), QRect(259, 307, 425, 41));
  EXPECT_EQ(TwipsRect(7, 8, 22, 23), QRect(0, 1, 1, 2));
}

}  // namespace
}  // namespace morvelle
