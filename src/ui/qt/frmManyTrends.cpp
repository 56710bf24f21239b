#include "ui/qt/frmManyTrends.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardPaths>
#include <QTableWidget>
#include <QVBoxLayout>

#include "platform/Env.h"
#include "ui/qt/MessageBox.h"

namespace morvelle {
namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

QString AskPathWithDialogs(QWidget* parent, PathQuestion question) {
  const QString lists = "CSV lists (*.csv *.CSV);;All files (*)";
  switch (question) {
    case PathQuestion::kFolder:
      return QFileDialog::getExistingDirectory(parent, "Folder of trends");
    case PathQuestion::kImport:
      return QFileDialog::getOpenFileName(parent, "Import a list", {}, lists);
    case PathQuestion::kExport:
      // Export never overwrites a file; it says so itself.
      return QFileDialog::getSaveFileName(parent, "Export the list", {}, lists,
                                          nullptr,
                                          QFileDialog::DontConfirmOverwrite);
  }
  return {};
}

QPushButton* Button(const char* caption, QWidget* parent) {
  return new QPushButton(caption, parent);
}

// A path the core takes: native separators, and the folder's own at its
// end.
std::string FolderPath(const QString& folder) {
  return QDir::toNativeSeparators(QDir::cleanPath(folder) + "/").toStdString();
}

}  // namespace

frmManyTrends::Services::Services()
    : env(&Env::Default()),
      runFolder(
          QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
          "/Runs"),
      askPath(AskPathWithDialogs),
      showMessage(ShowMessageBox) {}

frmManyTrends::frmManyTrends(const QString& folder, Services services)
    : services_(std::move(services)), model_(*services_.env) {
  setWindowTitle(kManyTrendsTitle);
  CreateControls();
  ConnectHandlers();
  resize(1000, 560);
  if (!folder.isEmpty()) LoadFolder(folder);
  EnableControls();
}

frmManyTrends::~frmManyTrends() {
  stop_ = true;
  if (worker_.joinable()) worker_.join();
}

void frmManyTrends::closeEvent(QCloseEvent* event) {
  stop_ = true;
  QWidget::closeEvent(event);
}

void frmManyTrends::CreateControls() {
  auto* layout = new QVBoxLayout(this);
  auto* top = new QHBoxLayout;
  auto* folder_label = new QLabel(ManyCaptions::kFolder, this);
  txtFolder = new QLineEdit(this);
  txtFolder->setReadOnly(true);
  folder_label->setBuddy(txtFolder);
  cmdBrowse = Button(ManyCaptions::kBrowse, this);
  cmdRecover = Button(ManyCaptions::kRecover, this);
  top->addWidget(folder_label);
  top->addWidget(txtFolder, 1);
  top->addWidget(cmdBrowse);
  top->addWidget(cmdRecover);
  layout->addLayout(top);

  grdTrends = new QTableWidget(0, kManyColumnCount, this);
  QStringList titles;
  for (const char* title : kManyColumnTitles) titles << title;
  grdTrends->setHorizontalHeaderLabels(titles);
  grdTrends->setSelectionBehavior(QAbstractItemView::SelectRows);
  grdTrends->setSelectionMode(QAbstractItemView::ExtendedSelection);
  grdTrends->horizontalHeader()->setStretchLastSection(true);
  layout->addWidget(grdTrends, 1);

  auto* replace = new QHBoxLayout;
  auto* find_label = new QLabel(ManyCaptions::kFind, this);
  auto* replace_label = new QLabel(ManyCaptions::kReplaceWith, this);
  txtFind = new QLineEdit(this);
  txtReplace = new QLineEdit(this);
  find_label->setBuddy(txtFind);
  replace_label->setBuddy(txtReplace);
  cboReplaceIn = new QComboBox(this);
  for (const char* where : ManyCaptions::kIn) cboReplaceIn->addItem(where);
  cboReplaceIn->setCurrentIndex(static_cast<int>(ReplaceIn::kBoth));
  chkMatchCase = new QCheckBox(ManyCaptions::kMatchCase, this);
  cmdReplace = Button(ManyCaptions::kReplace, this);
  for (QWidget* widget : std::initializer_list<QWidget*>{
           find_label, txtFind, replace_label, txtReplace, cboReplaceIn,
           chkMatchCase, cmdReplace})
    replace->addWidget(widget);
  layout->addLayout(replace);

  auto* bottom = new QHBoxLayout;
  lblStatus = new QLabel(this);
  prgRun = new QProgressBar(this);
  cmdCancel = Button(ManyCaptions::kCancel, this);
  cmdImport = Button(ManyCaptions::kImport, this);
  cmdExport = Button(ManyCaptions::kExport, this);
  cmdUndo = Button(ManyCaptions::kUndo, this);
  cmdRename = Button(ManyCaptions::kRename, this);
  cmdClose = Button(ManyCaptions::kClose, this);
  bottom->addWidget(lblStatus, 1);
  for (QWidget* widget :
       std::initializer_list<QWidget*>{prgRun, cmdCancel, cmdImport, cmdExport,
                                       cmdUndo, cmdRename, cmdClose})
    bottom->addWidget(widget);
  layout->addLayout(bottom);
}

void frmManyTrends::ConnectHandlers() {
  connect(cmdBrowse, &QPushButton::clicked, this, [this] {
    QString folder = services_.askPath(this, PathQuestion::kFolder);
    if (!folder.isEmpty()) LoadFolder(folder);
  });
  connect(grdTrends, &QTableWidget::cellChanged, this,
          &frmManyTrends::CellEdited);
  connect(cmdReplace, &QPushButton::clicked, this,
          &frmManyTrends::ReplaceClicked);
  connect(cmdImport, &QPushButton::clicked, this,
          &frmManyTrends::ImportClicked);
  connect(cmdExport, &QPushButton::clicked, this,
          &frmManyTrends::ExportClicked);
  connect(cmdRename, &QPushButton::clicked, this, [this] { StartRun(false); });
  connect(cmdUndo, &QPushButton::clicked, this, [this] { StartRun(true); });
  connect(cmdRecover, &QPushButton::clicked, this,
          &frmManyTrends::StartRecover);
  connect(cmdCancel, &QPushButton::clicked, this, [this] { stop_ = true; });
  connect(cmdClose, &QPushButton::clicked, this, &QWidget::close);
}

void frmManyTrends::LoadFolder(const QString& folder) {
  std::string problem;
  if (!model_.Load(FolderPath(folder), &problem)) {
    ShowMessage(MessageLook::kCritical, problem);
    return;
  }
  txtFolder->setText(Q(model_.folder()));
  std::string unreadable;
  for (const UnreadableTrend& trend : model_.unreadable())
    unreadable += "\n" + trend.hstPath + ": " + trend.reason.ToString();
  if (!unreadable.empty())
    ShowMessage(
        MessageLook::kExclamation,
        "These trends could not be read and are not shown:" + unreadable);
  FillTable();
}

// Every cell from the model; the states follow once planned.
void frmManyTrends::FillTable() {
  filling_ = true;
  grdTrends->setRowCount(static_cast<int>(model_.rows().size()));
  for (int row = 0; row < grdTrends->rowCount(); ++row) {
    for (int column = 0; column < kManyColumnCount; ++column) {
      auto* item = new QTableWidgetItem(
          Q(model_.Cell(row, static_cast<ManyColumn>(column))));
      bool editable = column == static_cast<int>(ManyColumn::kNewTag) ||
                      column == static_cast<int>(ManyColumn::kNewPath);
      if (!editable) item->setFlags(item->flags() & ~Qt::ItemIsEditable);
      grdTrends->setItem(row, column, item);
    }
  }
  // The State column, last, stretches to the window's edge; sized to its
  // contents as well it would stop doing so once the window is shown.
  for (int column = 0; column < kManyColumnCount - 1; ++column)
    grdTrends->resizeColumnToContents(column);
  filling_ = false;
  RequestPlan();
}

void frmManyTrends::ShowStates() {
  filling_ = true;
  const int state = static_cast<int>(ManyColumn::kState);
  for (int row = 0; row < grdTrends->rowCount(); ++row) {
    QTableWidgetItem* item = grdTrends->item(row, state);
    item->setText(Q(model_.Cell(row, ManyColumn::kState)));
    RowState seen = model_.status(row).state;
    bool bad = seen == RowState::kRefused || seen == RowState::kConflict ||
               seen == RowState::kInterrupted;
    item->setForeground(bad ? QColor(Qt::red) : palette().text().color());
  }
  filling_ = false;
  EnableControls();
}

void frmManyTrends::CellEdited(int row, int column) {
  if (filling_) return;
  model_.SetNewValue(row, static_cast<ManyColumn>(column),
                     grdTrends->item(row, column)->text().toStdString());
  ShowStates();
  RequestPlan();
}

void frmManyTrends::ReplaceClicked() {
  std::vector<std::size_t> selected;
  for (const QModelIndex& index : grdTrends->selectionModel()->selectedRows())
    selected.push_back(static_cast<std::size_t>(index.row()));
  if (selected.empty()) {
    ShowMessage(MessageLook::kExclamation,
                "Select the rows to replace in first (Ctrl+A selects all).");
    return;
  }
  Replacement r{txtFind->text().toStdString(), txtReplace->text().toStdString(),
                static_cast<ReplaceIn>(cboReplaceIn->currentIndex()),
                chkMatchCase->isChecked()};
  if (model_.Replace(selected, r) > 0)
    FillTable();
  else
    ShowMessage(MessageLook::kNoIcon,
                "'" + r.find + "' is not in the selected rows.");
}

void frmManyTrends::ImportClicked() {
  QString path = services_.askPath(this, PathQuestion::kImport);
  if (path.isEmpty()) return;
  std::vector<std::string> problems = model_.Import(path.toStdString());
  FillTable();
  std::string text;
  for (const std::string& problem : problems) text += problem + "\n";
  if (!text.empty()) ShowMessage(MessageLook::kExclamation, text);
}

void frmManyTrends::ExportClicked() {
  QString path = services_.askPath(this, PathQuestion::kExport);
  if (path.isEmpty()) return;
  Status s = model_.Export(path.toStdString());
  if (!s.ok())
    ShowMessage(MessageLook::kExclamation,
                "Could not export the list: " + s.ToString());
}

void frmManyTrends::StartRun(bool undo) {
  if (busy()) return;
  QDir().mkpath(services_.runFolder);
  std::string runs = FolderPath(services_.runFolder);
  RunFiles files;
  std::string problem;
  if (!PrepareRun(*services_.env, runs, undo, model_.rows(), &files,
                  &problem)) {
    ShowMessage(MessageLook::kExclamation, problem);
    return;
  }
  running_ = true;
  stop_ = false;
  prgRun->setValue(0);
  StartWorker([this, files] {
    auto progress = [this](std::size_t done, std::size_t total) {
      QMetaObject::invokeMethod(
          this,
          [this, done, total] {
            prgRun->setMaximum(static_cast<int>(total));
            prgRun->setValue(static_cast<int>(done));
          },
          Qt::QueuedConnection);
    };
    RunResult result =
        RunListFiles(*services_.env, files, &stop_, std::move(progress));
    return std::function<void()>([this, result] { RunDone(result); });
  });
}

void frmManyTrends::StartRecover() {
  if (busy()) return;
  running_ = recovering_ = true;
  StartWorker([this, folder = model_.folder()] {
    RunResult result = RecoverTrends(*services_.env, folder);
    return std::function<void()>([this, result] { RunDone(result); });
  });
}

void frmManyTrends::RunDone(const RunResult& result) {
  running_ = recovering_ = false;
  ShowMessage(
      result.status == 0 ? MessageLook::kNoIcon : MessageLook::kExclamation,
      result.text);
  LoadFolder(txtFolder->text());
}

void frmManyTrends::RequestPlan() {
  if (busy()) {
    planAgain_ = true;
    return;
  }
  planAgain_ = false;
  std::uint64_t generation = model_.generation();
  StartWorker([this, generation, rows = model_.rows()] {
    std::vector<RowStatus> states = PlanRows(*services_.env, rows);
    return std::function<void()>(
        [this, generation, states = std::move(states)]() mutable {
          PlanDone(generation, std::move(states));
        });
  });
}

void frmManyTrends::PlanDone(std::uint64_t generation,
                             std::vector<RowStatus> states) {
  if (model_.SetStates(generation, std::move(states))) ShowStates();
  if (planAgain_ || generation != model_.generation()) RequestPlan();
}

void frmManyTrends::StartWorker(std::function<std::function<void()>()> job) {
  worker_ = std::thread([this, job = std::move(job)] {
    std::function<void()> done = job();
    QMetaObject::invokeMethod(
        this,
        [this, done = std::move(done)] {
          worker_.join();
          done();
          EnableControls();
        },
        Qt::QueuedConnection);
  });
  EnableControls();
}

void frmManyTrends::EnableControls() {
  const bool idle = !running_;
  for (QWidget* widget : std::initializer_list<QWidget*>{
           cmdBrowse, grdTrends, cmdReplace, cmdImport, cmdExport, cmdUndo})
    widget->setEnabled(idle);
  cmdRename->setEnabled(idle && !busy() && model_.CanRename());
  cmdRecover->setEnabled(!busy() && model_.CanRecover());
  cmdCancel->setEnabled(running_ && !recovering_);
  lblStatus->setText(!running_     ? Q(model_.StatusLine())
                     : recovering_ ? "Recovering..."
                                   : "Renaming...");
}

void frmManyTrends::ShowMessage(MessageLook look, const std::string& text) {
  services_.showMessage(this, look, Q(text));
}

}  // namespace morvelle
