#include "ui/qt/frmRunReport.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QFileDialog>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>
#include <string>
#include <vector>

#include "ui/qt/MessageBox.h"

namespace morvelle {
namespace {

QString Joined(const std::vector<std::string>& lines) {
  QStringList list;
  for (const std::string& line : lines) list << QString::fromStdString(line);
  return list.join('\n');
}

// What the log box shows: the log, then what else the run told.
QString LogText(const RunReport& report) {
  QString text = Joined(report.log);
  if (!report.messages.empty())
    text += (text.isEmpty() ? "" : "\n\n") + Joined(report.messages);
  return text;
}

// Room the log box asks for beyond its lines: margins and a scroll bar.
constexpr int kLogRoom = 48;
// The most lines the log box asks room for; beyond them it scrolls.
constexpr int kLogLines = 30;

}  // namespace

frmRunReport::frmRunReport(const RunReport& report, QWidget* parent,
                           AskSavePath askSavePath)
    : QDialog(parent),
      text_(QString::fromStdString(report.Text())),
      askSavePath_(std::move(askSavePath)) {
  setWindowTitle(QString::fromStdString(report.caption));
  setModal(true);
  setSizeGripEnabled(true);
  CreateControls(report);
  FitToScreen();
}

void frmRunReport::CreateControls(const RunReport& report) {
  auto* layout = new QVBoxLayout(this);
  lblHeading = new QLabel(QString::fromStdString(report.Top()), this);
  QFont bold = lblHeading->font();
  bold.setBold(true);
  lblHeading->setFont(bold);
  lblPaths = new QLabel(Joined(report.paths), this);
  for (QLabel* label : {lblHeading, lblPaths}) {
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(label);
  }
  txtLog = new QPlainTextEdit(LogText(report), this);
  txtLog->setReadOnly(true);
  txtLog->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  txtLog->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  layout->addWidget(txtLog, 1);

  auto* buttons = new QHBoxLayout;
  cmdCopy = new QPushButton("&Copy", this);
  cmdSave = new QPushButton("&Save as...", this);
  cmdClose = new QPushButton("Close", this);
  cmdClose->setDefault(true);
  buttons->addStretch(1);
  for (QPushButton* button : {cmdCopy, cmdSave, cmdClose})
    buttons->addWidget(button);
  layout->addLayout(buttons);

  connect(cmdCopy, &QPushButton::clicked, this,
          [this] { QApplication::clipboard()->setText(text_); });
  connect(cmdSave, &QPushButton::clicked, this, &frmRunReport::SaveClicked);
  connect(cmdClose, &QPushButton::clicked, this, &QDialog::accept);
}

void frmRunReport::FitToScreen() {
  QWidget* owner = parentWidget() ? parentWidget() : this;
  const QRect area = owner->screen()->availableGeometry();
  // What the window's frame adds, as the owner's has it once shown.
  QSize frame = owner->frameGeometry().size() - owner->geometry().size();
  frame = frame.expandedTo(QSize(16, 40));
  const QFontMetrics metrics(txtLog->font());
  int widest = 0;
  for (const QString& line : txtLog->toPlainText().split('\n'))
    widest = std::max(widest, metrics.horizontalAdvance(line));
  const int lines = std::clamp(txtLog->blockCount(), 4, kLogLines);
  const QSize hint = sizeHint();
  const QSize log = txtLog->sizeHint();
  const QSize wanted(
      hint.width() - log.width() + std::max(log.width(), widest + kLogRoom),
      hint.height() - log.height() + metrics.lineSpacing() * lines + kLogRoom);
  const QSize most = area.size() - frame;
  setMaximumSize(most);
  resize(wanted.boundedTo(most));
}

QString frmRunReport::AskSavePathWithDialog(QWidget* parent) {
  return QFileDialog::getSaveFileName(parent, "Save the report", {},
                                      "Text files (*.txt);;All files (*)");
}

void frmRunReport::SaveClicked() {
  const QString path = askSavePath_(this);
  if (path.isEmpty()) return;
  QFile file(path);
  const QByteArray bytes = text_.toUtf8();
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
      file.write(bytes) != bytes.size() || !file.flush())
    ShowMessageBox(
        this, MessageLook::kExclamation,
        "Could not save the report to '" + path + "': " + file.errorString());
}

void ShowRunReport(QWidget* parent, const RunReport& report) {
  frmRunReport(report, parent).exec();
}

}  // namespace morvelle
