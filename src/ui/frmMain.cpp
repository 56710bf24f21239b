#include "ui/frmMain.h"

#include <QApplication>
#include <QCloseEvent>
#include <QColor>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>

#include "app/Settings.h"
#include "platform/Env.h"
#include "trend/TrendTools.h"
#include "ui/CloseApplication.h"
#include "ui/Controls.h"
#include "ui/frmHelp.h"

namespace morvelle {
namespace {

constexpr const char* kTrendFilter = "Trends|*.HST|All Files|*.*|";
constexpr int kBrowseFlags =
    kOfnFileMustExist | kOfnPathMustExist | kOfnHideReadOnly;

// The Path field holds the path, "." and a three-digit extension.
constexpr std::int32_t kExtensionRoom = 4;

const QColor kOriginalGrey(128, 128, 128);
const QColor kLengthOk(0, 0, 0);
const QColor kLengthTooLong(255, 0, 0);

void SetColour(QWidget* widget, QPalette::ColorRole role,
               const QColor& colour) {
  QPalette palette = widget->palette();
  palette.setColor(role, colour);
  widget->setPalette(palette);
}

// Only the program writes into an Original box; its text is grey.
QLineEdit* NewOriginalBox(QWidget* parent, const char* name,
                          const QRect& geometry) {
  QLineEdit* box = NewEditBox(parent, name, geometry);
  box->setReadOnly(true);
  SetColour(box, QPalette::Text, kOriginalGrey);
  return box;
}

QLabel* NewBoldLabel(QWidget* parent, const char* name, const QString& caption,
                     const QRect& geometry) {
  QLabel* label = NewLabel(parent, name, caption, geometry);
  label->setFont(BoldLabelFont());
  return label;
}

void ShowLength(QLabel* label, const QString& text, std::int32_t limit) {
  // Characters, not UTF-16 units: each is one byte of the field.
  qsizetype length = text.toUcs4().size();
  label->setText(QString::number(length));
  SetColour(label, QPalette::WindowText,
            length > limit ? kLengthTooLong : kLengthOk);
}

QString MaximumLengthText(std::int32_t limit) {
  return "Maximum length " + QString::number(limit) + " chars";
}

QString DisplayText(const std::string& raw) {
  return QString::fromStdString(FieldDisplayText(raw));
}

// The application's wait cursor while it lives.
class WaitCursor {
 public:
  WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~WaitCursor() { QApplication::restoreOverrideCursor(); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace

frmMain::Services::Services()
    : env(&Env::Default()),
      showOpenDialog(ShowOpenDialog),
      showMessage(ShowMessageBox) {}

frmMain::frmMain(Services services) : services_(std::move(services)) {
  setWindowTitle("Ostrel Morvelle");
  setFont(WindowFont());
  setFixedSize(Pixels(12705), Pixels(3720));
  CreateControls();
  SetTabOrder();
  txtFileSet->setFocus();
  Form_Load();
}

frmMain::~frmMain() = default;

void frmMain::CreateControls() {
  Label1 = NewLabel(this, "Label1", "File Set", TwipsRect(240, 240, 525, 195));
  txtFileSet = NewEditBox(this, "txtFileSet", TwipsRect(960, 240, 10575, 285));
  cmdBrowse =
      NewButton(this, "cmdBrowse", "&Browse", TwipsRect(11640, 240, 855, 255));
  Frame1 = new QGroupBox(this);
  Frame1->setObjectName("Frame1");
  Frame1->setGeometry(TwipsRect(240, 720, 12255, 2295));
  // The frame's controls are placed from its own corner.
  Label4 = NewBoldLabel(Frame1, "Label4", "Original",
                        TwipsRect(1440, 240, 1215, 195));
  Label5 =
      NewBoldLabel(Frame1, "Label5", "New", TwipsRect(6840, 240, 1215, 195));
  Label2 =
      NewLabel(Frame1, "Label2", "Tag Name", TwipsRect(120, 480, 1215, 195));
  txtTagOriginal =
      NewOriginalBox(Frame1, "txtTagOriginal", TwipsRect(1440, 480, 5175, 555));
  txtTagNew = NewEditBox(Frame1, "txtTagNew", TwipsRect(6840, 480, 5175, 555));
  lblTagLength =
      NewLabel(Frame1, "lblTagLength", "", TwipsRect(11520, 1080, 495, 255));
  Label3 = NewLabel(Frame1, "Label3", "Path && Filename",
                    TwipsRect(120, 1320, 1140, 195));
  txtPathOriginal = NewOriginalBox(Frame1, "txtPathOriginal",
                                   TwipsRect(1440, 1320, 5175, 555));
  txtPathNew =
      NewEditBox(Frame1, "txtPathNew", TwipsRect(6840, 1320, 5175, 555));
  lblPathLength =
      NewLabel(Frame1, "lblPathLength", "", TwipsRect(11520, 1920, 495, 255));
  cmdHelp =
      NewButton(this, "cmdHelp", "&Help", TwipsRect(8640, 3120, 1215, 375));
  cmdClose =
      NewButton(this, "cmdClose", "&Close", TwipsRect(9960, 3120, 1215, 375));
  cmdSave =
      NewButton(this, "cmdSave", "&Save", TwipsRect(11280, 3120, 1215, 375));
  FitTextToLabels({Label1, Label2, Label3});

  connect(cmdBrowse, &QPushButton::clicked, this, &frmMain::cmdBrowse_Click);
  connect(cmdSave, &QPushButton::clicked, this, &frmMain::cmdSave_Click);
  connect(cmdClose, &QPushButton::clicked, this, &frmMain::cmdClose_Click);
  connect(cmdHelp, &QPushButton::clicked, this, &frmMain::cmdHelp_Click);
  connect(txtPathNew, &QLineEdit::textChanged, this,
          &frmMain::txtPathNew_Change);
  connect(txtTagNew, &QLineEdit::textChanged, this, &frmMain::txtTagNew_Change);
}

// The controls that take the focus, in the order of their tab indexes.
void frmMain::SetTabOrder() {
  QWidget* const order[] = {txtFileSet,      cmdSave,   cmdClose,
                            cmdBrowse,       cmdHelp,   txtTagOriginal,
                            txtPathOriginal, txtTagNew, txtPathNew};
  for (std::size_t i = 1; i < std::size(order); ++i)
    setTabOrder(order[i - 1], order[i]);
}

void frmMain::Form_Load() { LoadPaths(); }

void frmMain::Form_QueryUnload() {
  SavePaths();
  CloseApplication();
}

void frmMain::LoadPaths() { txtFileSet->setText(LoadFileSet()); }

void frmMain::SavePaths() { SaveFileSet(txtFileSet->text()); }

void frmMain::cmdBrowse_Click() {
  OpenDialogResult chosen = services_.showOpenDialog(
      QString(), txtFileSet->text(), kTrendFilter, kBrowseFlags);
  txtFileSet->setText(chosen.path);
  if (txtFileSet->text().isEmpty()) return;

  MessageBoxReporter reporter([this](MessageLook look, const QString& text) {
    ShowMessage(look, text);
  });
  TrendInfo info =
      ReadTrendInfo(*services_.env, reporter, txtFileSet->text().toStdString());
  PathLimit = info.pathWidth - kExtensionRoom;
  TagLimit = info.tagWidth;
  txtPathOriginal->setText(DisplayText(info.path));
  txtPathNew->setText(DisplayText(info.path));
  lblPathLength->setToolTip(MaximumLengthText(PathLimit));
  txtTagOriginal->setText(DisplayText(info.tag));
  txtTagNew->setText(DisplayText(info.tag));
  lblTagLength->setToolTip(MaximumLengthText(TagLimit));
}

void frmMain::cmdSave_Click() {
  DeferredReporter reporter;
  RenameReport report;
  {
    WaitCursor wait;
    report = RenameTrend(
        *services_.env, reporter, txtFileSet->text().toStdString(),
        txtPathNew->text().toStdString(), txtTagNew->text().toStdString());
  }
  reporter.ShowAll([this](MessageLook look, const QString& text) {
    ShowMessage(look, text);
  });
  if (report.ok()) ShowMessage(MessageLook::kNoIcon, "Done");
}

void frmMain::cmdClose_Click() { close(); }

void frmMain::cmdHelp_Click() {
  if (!help_ || !help_->isVisible()) help_ = std::make_unique<frmHelp>();
  help_->show();
  help_->raise();
  help_->activateWindow();
}

void frmMain::txtPathNew_Change() {
  ShowLength(lblPathLength, txtPathNew->text(), PathLimit);
}

void frmMain::txtTagNew_Change() {
  ShowLength(lblTagLength, txtTagNew->text(), TagLimit);
}

void frmMain::closeEvent(QCloseEvent* event) {
  Form_QueryUnload();
  event->accept();
}

void frmMain::ShowMessage(MessageLook look, const QString& text) {
  services_.showMessage(this, look, text);
}

}  // namespace morvelle
