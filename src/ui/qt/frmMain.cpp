#include "ui/qt/frmMain.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QColor>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPalette>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>
#include <vector>

#include "app/Settings.h"
#include "platform/Env.h"
#include "ui/ManyTrends.h"
#include "ui/qt/CommonDialog.h"
#include "ui/qt/Controls.h"
#include "ui/qt/MessageBox.h"
#include "ui/qt/frmHelp.h"
#include "ui/qt/frmManyTrends.h"

namespace morvelle {
namespace {

void SetColour(QWidget* widget, QPalette::ColorRole role, Colour colour) {
  QPalette palette = widget->palette();
  palette.setColor(role, QColor(colour.red, colour.green, colour.blue));
  widget->setPalette(palette);
}

QScreen* ScreenOf(const QWidget& widget) {
  return widget.screen() ? widget.screen() : QApplication::primaryScreen();
}

template <class Widget>
Widget* Find(const std::map<Control, QWidget*>& controls, Control control) {
  return qobject_cast<Widget*>(controls.at(control));
}

ScreenRect ScreenRectOf(const QRect& rect) {
  return {rect.left(), rect.top(), rect.left() + rect.width(),
          rect.top() + rect.height()};
}

}  // namespace

frmMain::Services::Services()
    : env(&Env::Default()),
      settings(&UserSettings()),
      showOpenDialog(morvelle::ShowOpenDialog),
      showMessage(ShowMessageBox) {}

frmMain::frmMain(Services services)
    : services_(std::move(services)),
      form_(*this, *services_.env, *services_.settings) {
  setWindowTitle(kMainCaption);
  setFont(WindowFont());
  CreateMenuBar();
  CreateControls();
  layout()->activate();
  SetTabOrder();
  ConnectHandlers();
  txtFileSet->setFocus();
  form_.Form_Load();
}

frmMain::~frmMain() = default;

frmHelp* frmMain::help() const {
  return help_ && help_->isVisible() ? help_.get() : nullptr;
}

void frmMain::CreateMenuBar() {
  menuBar = new QMenuBar(this);
  mnuTools = menuBar->addMenu(kToolsMenu);
  mnuManyTrends = mnuTools->addAction(kManyTrendsMenuItem);
  client = new QWidget(this);
  client->setObjectName("client");
  client->setFixedSize(
      PixelRect({0, 0, kMainClient.width, kMainClient.height}).size());
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  layout->setMenuBar(menuBar);
  layout->addWidget(client);
}

void frmMain::CreateControls() {
  for (const ControlLayout& layout : kMainControls)
    controls_[layout.control] = CreateControl(layout);
  Label1 = Find<QLabel>(controls_, Control::Label1);
  txtFileSet = Find<QLineEdit>(controls_, Control::txtFileSet);
  cmdBrowse = Find<QPushButton>(controls_, Control::cmdBrowse);
  Frame1 = Find<QGroupBox>(controls_, Control::Frame1);
  Label4 = Find<QLabel>(controls_, Control::Label4);
  Label5 = Find<QLabel>(controls_, Control::Label5);
  Label2 = Find<QLabel>(controls_, Control::Label2);
  txtTagOriginal = Find<QLineEdit>(controls_, Control::txtTagOriginal);
  txtTagNew = Find<QLineEdit>(controls_, Control::txtTagNew);
  lblTagLength = Find<QLabel>(controls_, Control::lblTagLength);
  Label3 = Find<QLabel>(controls_, Control::Label3);
  txtPathOriginal = Find<QLineEdit>(controls_, Control::txtPathOriginal);
  txtPathNew = Find<QLineEdit>(controls_, Control::txtPathNew);
  lblPathLength = Find<QLabel>(controls_, Control::lblPathLength);
  cmdHelp = Find<QPushButton>(controls_, Control::cmdHelp);
  cmdClose = Find<QPushButton>(controls_, Control::cmdClose);
  cmdSave = Find<QPushButton>(controls_, Control::cmdSave);
  FitWindowFont(this, {Label1, Label2, Label3, Label4, Label5});
}

QWidget* frmMain::CreateControl(const ControlLayout& layout) {
  // The frame's controls are placed from its own corner.
  QWidget* parent = layout.inFrame ? controls_.at(Control::Frame1) : client;
  QRect geometry = PixelRect(layout.place);
  QWidget* widget = nullptr;
  switch (layout.kind) {
    case ControlKind::kLabel:
    case ControlKind::kCountLabel:
      return NewLabel(parent, layout.name, layout.caption, geometry);
    case ControlKind::kBoldLabel: {
      QLabel* label = NewLabel(parent, layout.name, layout.caption, geometry);
      QFont bold = label->font();
      bold.setWeight(QFont::Bold);
      label->setFont(bold);
      return label;
    }
    case ControlKind::kEditBox:
    case ControlKind::kOriginalBox: {
      auto* box = new QLineEdit(parent);
      box->setReadOnly(layout.kind == ControlKind::kOriginalBox);
      if (box->isReadOnly()) SetColour(box, QPalette::Text, kOriginalGrey);
      widget = box;
      break;
    }
    case ControlKind::kButton:
      widget = new QPushButton(layout.caption, parent);
      break;
    case ControlKind::kFrame:
      widget = new QGroupBox(parent);
      break;
  }
  widget->setObjectName(layout.name);
  widget->setGeometry(geometry);
  return widget;
}

// The controls that take the focus, in the order of their tab indexes.
void frmMain::SetTabOrder() {
  std::vector<const ControlLayout*> order;
  for (const ControlLayout& layout : kMainControls)
    if (TakesFocus(layout.kind)) order.push_back(&layout);
  std::sort(order.begin(), order.end(),
            [](auto* a, auto* b) { return a->tabIndex < b->tabIndex; });
  for (std::size_t i = 1; i < order.size(); ++i)
    setTabOrder(controls_.at(order[i - 1]->control),
                controls_.at(order[i]->control));
}

// The user's actions, each to the form's handler.
void frmMain::ConnectHandlers() {
  using Handler = void (MainForm::*)();
  const std::pair<QPushButton*, Handler> clicks[] = {
      {cmdBrowse, &MainForm::cmdBrowse_Click},
      {cmdSave, &MainForm::cmdSave_Click},
      {cmdClose, &MainForm::cmdClose_Click},
      {cmdHelp, &MainForm::cmdHelp_Click}};
  for (auto [button, handler] : clicks)
    connect(button, &QPushButton::clicked, this,
            [this, handler = handler] { (form_.*handler)(); });
  const std::pair<QLineEdit*, Handler> changes[] = {
      {txtPathNew, &MainForm::txtPathNew_Change},
      {txtTagNew, &MainForm::txtTagNew_Change}};
  for (auto [box, handler] : changes)
    connect(box, &QLineEdit::textChanged, this,
            [this, handler = handler] { (form_.*handler)(); });
  connect(txtFileSet, &QLineEdit::editingFinished, this,
          [this] { form_.txtFileSet_Commit(); });
  connect(mnuManyTrends, &QAction::triggered, this, &frmMain::ShowManyTrends);
  addAction(mnuManyTrends);
  setContextMenuPolicy(Qt::ActionsContextMenu);
}

// One Many trends window at a time: a second would drop the edits of the
// first.
void frmMain::ShowManyTrends() {
  if (many_ && many_->isVisible()) {
    many_->raise();
    many_->activateWindow();
    return;
  }
  QString history = txtFileSet->text();
  many_ = std::make_unique<frmManyTrends>(
      history.isEmpty() ? QString() : QFileInfo(history).absolutePath());
  many_->show();
}

// Closing the main window closes Many trends too, so its edits not yet run
// are lost only when the user says so.
void frmMain::closeEvent(QCloseEvent* event) {
  if (many_ && many_->isVisible() && !many_->QueryClose()) {
    event->ignore();
    return;
  }
  form_.Form_QueryUnload();
  event->accept();
}

std::string frmMain::Text(Control control) const {
  QWidget* widget = controls_.at(control);
  if (auto* box = qobject_cast<QLineEdit*>(widget))
    return box->text().toStdString();
  return qobject_cast<QLabel*>(widget)->text().toStdString();
}

void frmMain::SetText(Control control, const std::string& text) {
  QWidget* widget = controls_.at(control);
  if (auto* box = qobject_cast<QLineEdit*>(widget))
    box->setText(QString::fromStdString(text));
  else
    qobject_cast<QLabel*>(widget)->setText(QString::fromStdString(text));
}

void frmMain::SetTextColour(Control control, Colour colour) {
  SetColour(controls_.at(control), QPalette::WindowText, colour);
}

void frmMain::SetToolTip(Control control, const std::string& tip) {
  controls_.at(control)->setToolTip(QString::fromStdString(tip));
}

OpenDialogResult frmMain::AskForFile(const OpenDialogRequest& request) {
  return services_.showOpenDialog(request);
}

void frmMain::ShowMessage(MessageLook look, const std::string& text) {
  services_.showMessage(this, look, QString::fromStdString(text));
}

void frmMain::SetWaitCursor(bool on) {
  if (on)
    QApplication::setOverrideCursor(Qt::WaitCursor);
  else
    QApplication::restoreOverrideCursor();
}

void frmMain::ShowHelp() {
  if (!help()) {
    help_ = std::make_unique<frmHelp>();
    // The frame the window manager puts around the help window is taken
    // to be the one it put around this window.
    QSize frame = frameGeometry().size() - size() + help_->size();
    const auto on_screen = [](const QWidget* button) {
      return ScreenRectOf(
          QRect(button->mapToGlobal(QPoint(0, 0)), button->size()));
    };
    ScreenRect place = HelpWindowPlace(
        ScreenRectOf(frameGeometry()), frame.width(), frame.height(),
        ScreenRectOf(ScreenOf(*this)->availableGeometry()),
        {on_screen(cmdSave), on_screen(cmdClose)});
    help_->move(place.left, place.top);
  }
  help_->show();
  help_->raise();
  help_->activateWindow();
}

void frmMain::CloseMainWindow() { close(); }

// The window being closed is not closed again.
void frmMain::CloseApplication() {
  QApplication::closeAllWindows();
  QCoreApplication::quit();
}

}  // namespace morvelle
