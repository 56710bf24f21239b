#include "ui/qt/frmManyTrends.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QStandardPaths>
#include <QStyle>
#include <QTableWidget>
#include <QVBoxLayout>
#include <utility>

#include "platform/Env.h"
#include "ui/FormLayout.h"
#include "ui/qt/MessageBox.h"
#include "ui/qt/frmRunReport.h"

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
      showMessage(ShowMessageBox),
      askYesNo(AskYesNoBox),
      showReport(ShowRunReport) {}

frmManyTrends::frmManyTrends(const QString& folder, Services services)
    : services_(std::move(services)), form_(*this, *this, *services_.env) {
  setWindowTitle(kManyTrendsTitle);
  CreateControls();
  ConnectHandlers();
  QRect area = screen()->availableGeometry();
  // Qt scales pixels to the screen's dpi itself.
  resize(std::min(PixelsAt(kManyTrendsClient.width, 96), area.width() - 40),
         std::min(PixelsAt(kManyTrendsClient.height, 96), area.height() - 80));
  form_.Form_Load(folder.isEmpty() ? std::string() : FolderPath(folder));
}

// What QWidget's destructor does to the table reaches no member of this
// class, gone by then.
frmManyTrends::~frmManyTrends() {
  grdTrends->viewport()->removeEventFilter(this);
  disconnect(grdTrends->verticalHeader(), nullptr, this, nullptr);
}

void frmManyTrends::closeEvent(QCloseEvent* event) {
  if (event->spontaneous() && !form_.Form_QueryUnload()) {
    event->ignore();
    return;
  }
  form_.Form_Unload();
  QWidget::closeEvent(event);
}

void frmManyTrends::CreateControls() {
  auto* layout = new QVBoxLayout(this);
  auto* top = new QHBoxLayout;
  auto* folder_label = new QLabel(ManyCaptions::kFolder, this);
  txtFolder = new QLineEdit(this);
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
  grdTrends->horizontalHeader()->setSortIndicatorShown(false);
  grdTrends->horizontalHeader()->setSectionsClickable(true);
  grdTrends->viewport()->installEventFilter(this);
  // A path cut in its middle still shows where it ends; a long reason is
  // cut on its one line, its tooltip holding it whole.
  grdTrends->setTextElideMode(Qt::ElideMiddle);
  grdTrends->setWordWrap(false);
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
  chkProblems = new QCheckBox(ManyCaptions::kProblemsOnly, this);
  chkProblems->setToolTip(ManyCaptions::kNextProblemTip);
  for (QWidget* widget : std::initializer_list<QWidget*>{
           find_label, txtFind, replace_label, txtReplace, cboReplaceIn,
           chkMatchCase, cmdReplace, chkProblems})
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
  using Handler = void (ManyTrendsForm::*)();
  const std::pair<QPushButton*, Handler> clicks[] = {
      {cmdBrowse, &ManyTrendsForm::cmdBrowse_Click},
      {cmdImport, &ManyTrendsForm::cmdImport_Click},
      {cmdExport, &ManyTrendsForm::cmdExport_Click},
      {cmdRename, &ManyTrendsForm::cmdRename_Click},
      {cmdUndo, &ManyTrendsForm::cmdUndo_Click},
      {cmdRecover, &ManyTrendsForm::cmdRecover_Click},
      {cmdCancel, &ManyTrendsForm::cmdCancel_Click}};
  for (auto [button, handler] : clicks)
    connect(button, &QPushButton::clicked, this,
            [this, handler = handler] { (form_.*handler)(); });
  // A folder typed into the box, relative ones to the current folder.
  connect(txtFolder, &QLineEdit::returnPressed, this, [this] {
    const QString typed = txtFolder->text().trimmed();
    form_.txtFolder_Entered(
        typed.isEmpty() ? std::string()
                        : FolderPath(QFileInfo(typed).absoluteFilePath()));
  });
  connect(grdTrends, &QTableWidget::cellChanged, this,
          &frmManyTrends::CellEdited);
  connect(cmdReplace, &QPushButton::clicked, this,
          &frmManyTrends::ReplaceClicked);
  connect(cmdClose, &QPushButton::clicked, this, [this] {
    if (form_.Form_QueryUnload()) close();
  });
  connect(grdTrends->horizontalHeader(), &QHeaderView::sectionClicked, this,
          &frmManyTrends::HeaderClicked);
  // The row numbers' column grows with the rows, taking room from the
  // others.
  connect(grdTrends->verticalHeader(), &QHeaderView::geometriesChanged, this,
          &frmManyTrends::SizeColumns);
  connect(chkProblems, &QCheckBox::toggled, this,
          [this](bool on) { form_.chkProblems_Click(on); });
  connect(new QShortcut(QKeySequence(Qt::Key_F8), this), &QShortcut::activated,
          this, &frmManyTrends::NextProblem);
}

bool frmManyTrends::eventFilter(QObject* watched, QEvent* event) {
  if (watched == grdTrends->viewport() && event->type() == QEvent::Resize)
    SizeColumns();
  return QWidget::eventFilter(watched, event);
}

void frmManyTrends::HeaderClicked(int column) {
  form_.grdTrends_HeaderClick(static_cast<ManyColumn>(column));
  QHeaderView* header = grdTrends->horizontalHeader();
  header->setSortIndicatorShown(true);
  header->setSortIndicator(column, form_.order().descending
                                       ? Qt::DescendingOrder
                                       : Qt::AscendingOrder);
}

void frmManyTrends::NextProblem() {
  int current = grdTrends->currentRow();
  form_.grdTrends_NextProblem(
      current < 0
          ? std::nullopt
          : std::optional<std::size_t>(static_cast<std::size_t>(current)));
}

void frmManyTrends::SizeColumns() {
  const QFontMetrics metrics = grdTrends->fontMetrics();
  // A cell's text sits between the grid and a margin on each side.
  const int padding =
      2 * grdTrends->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 12;
  std::array<int, kManyColumnCount> widths = ColumnWidths(
      cells_, grdTrends->viewport()->width(),
      [&](const std::string& text) {
        return metrics.horizontalAdvance(Q(text));
      },
      padding);
  for (int column = 0; column < kManyColumnCount; ++column)
    grdTrends->setColumnWidth(column, widths[column]);
}

void frmManyTrends::CellEdited(int row, int column) {
  if (filling_) return;
  form_.grdTrends_CellEdited(
      row, static_cast<ManyColumn>(column),
      grdTrends->item(row, column)->text().toStdString());
}

void frmManyTrends::ReplaceClicked() {
  std::vector<std::size_t> selected;
  for (const QModelIndex& index : grdTrends->selectionModel()->selectedRows())
    selected.push_back(static_cast<std::size_t>(index.row()));
  form_.cmdReplace_Click(
      selected,
      {txtFind->text().toStdString(), txtReplace->text().toStdString(),
       static_cast<ReplaceIn>(cboReplaceIn->currentIndex()),
       chkMatchCase->isChecked()});
}

QWidget* frmManyTrends::ControlOf(ManyControl control) const {
  switch (control) {
    case ManyControl::txtFolder:
      return txtFolder;
    case ManyControl::cmdBrowse:
      return cmdBrowse;
    case ManyControl::grdTrends:
      return grdTrends;
    case ManyControl::cmdReplace:
      return cmdReplace;
    case ManyControl::cmdImport:
      return cmdImport;
    case ManyControl::cmdExport:
      return cmdExport;
    case ManyControl::cmdUndo:
      return cmdUndo;
    case ManyControl::cmdRename:
      return cmdRename;
    case ManyControl::cmdRecover:
      return cmdRecover;
    case ManyControl::cmdCancel:
      return cmdCancel;
  }
  return nullptr;
}

void frmManyTrends::Post(std::function<void()> task) {
  QMetaObject::invokeMethod(this, std::move(task), Qt::QueuedConnection);
}

void frmManyTrends::SetFolderText(const std::string& folder) {
  txtFolder->setText(Q(folder));
}

void frmManyTrends::ShowTable(const ManyTable& cells) {
  filling_ = true;
  cells_ = cells;
  grdTrends->setRowCount(static_cast<int>(cells.size()));
  for (int row = 0; row < grdTrends->rowCount(); ++row) {
    for (int column = 0; column < kManyColumnCount; ++column) {
      auto* item = new QTableWidgetItem(Q(cells[row][column]));
      item->setToolTip(item->text());
      bool editable = column == static_cast<int>(ManyColumn::kNewTag) ||
                      column == static_cast<int>(ManyColumn::kNewPath);
      if (!editable) item->setFlags(item->flags() & ~Qt::ItemIsEditable);
      grdTrends->setItem(row, column, item);
    }
  }
  // Each row numbered as the model counts it, as "In conflict with row N"
  // does, however the rows are sorted.
  QStringList numbers;
  for (std::size_t row : form_.shownRows()) numbers << QString::number(row + 1);
  grdTrends->setVerticalHeaderLabels(numbers);
  SizeColumns();
  filling_ = false;
}

void frmManyTrends::SetCell(std::size_t row, ManyColumn column,
                            const std::string& text) {
  filling_ = true;
  QTableWidgetItem* item =
      grdTrends->item(static_cast<int>(row), static_cast<int>(column));
  item->setText(Q(text));
  item->setToolTip(item->text());
  cells_.at(row)[static_cast<int>(column)] = text;
  filling_ = false;
}

void frmManyTrends::ShowState(std::size_t row, const std::string& text,
                              std::optional<Colour> colour,
                              const std::string& tip) {
  filling_ = true;
  QTableWidgetItem* item = grdTrends->item(
      static_cast<int>(row), static_cast<int>(ManyColumn::kState));
  item->setText(Q(text));
  item->setToolTip(Q(tip));
  cells_.at(row)[static_cast<int>(ManyColumn::kState)] = text;
  item->setForeground(colour ? QColor(colour->red, colour->green, colour->blue)
                             : palette().text().color());
  filling_ = false;
}

void frmManyTrends::SetStatusText(const std::string& text) {
  lblStatus->setText(Q(text));
}

void frmManyTrends::SelectRow(std::size_t row) {
  const int at = static_cast<int>(row);
  grdTrends->clearSelection();
  grdTrends->setCurrentCell(at, static_cast<int>(ManyColumn::kState));
  grdTrends->selectRow(at);
  grdTrends->scrollToItem(grdTrends->currentItem());
  grdTrends->setFocus();
}

void frmManyTrends::SetEnabled(ManyControl control, bool enabled) {
  ControlOf(control)->setEnabled(enabled);
}

void frmManyTrends::ClearProgress() { prgRun->setValue(0); }

void frmManyTrends::SetProgress(std::size_t done, std::size_t total) {
  prgRun->setMaximum(static_cast<int>(total));
  prgRun->setValue(static_cast<int>(done));
}

void frmManyTrends::ShowMessage(MessageLook look, const std::string& text) {
  services_.showMessage(this, look, Q(text));
}

bool frmManyTrends::AskYesNo(const std::string& question) {
  return services_.askYesNo(this, Q(question));
}

void frmManyTrends::ShowReport(const RunReport& report) {
  services_.showReport(this, report);
}

std::string frmManyTrends::AskPath(PathQuestion question) {
  QString path = services_.askPath(this, question);
  if (path.isEmpty()) return "";
  return question == PathQuestion::kFolder ? FolderPath(path)
                                           : path.toStdString();
}

std::string frmManyTrends::RunFolder() {
  QDir().mkpath(services_.runFolder);
  return FolderPath(services_.runFolder);
}

}  // namespace morvelle
