#include "ui/qt/CommonDialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace morvelle {
namespace {

#if defined(_WIN32) || defined(__APPLE__)
constexpr bool kPosixNames = false;
#else
constexpr bool kPosixNames = true;
#endif

QString QtPatterns(const std::string& patterns, bool posixNames) {
  QStringList shown;
  for (const QString& pattern :
       QString::fromStdString(patterns).split(';', Qt::SkipEmptyParts)) {
    QString trimmed = pattern.trimmed();
    if (posixNames && trimmed == "*.*") trimmed = "*";
    shown << trimmed;
    if (posixNames && trimmed.toLower() != trimmed) shown << trimmed.toLower();
  }
  return shown.join(' ');
}

}  // namespace

QStringList NameFilters(const std::vector<FilterPair>& pairs, bool posixNames) {
  QStringList filters;
  for (const FilterPair& pair : pairs)
    filters << QString::fromStdString(pair.description) + " (" +
                   QtPatterns(pair.patterns, posixNames) + ")";
  return filters;
}

void ConfigureOpenDialog(QFileDialog* dialog,
                         const OpenDialogRequest& request) {
  dialog->setAcceptMode(QFileDialog::AcceptOpen);
  // An existing file lies in an existing folder, so file-must-exist covers
  // path-must-exist. There is no read-only box to hide.
  dialog->setFileMode((request.flags & kOfnFileMustExist)
                          ? QFileDialog::ExistingFile
                          : QFileDialog::AnyFile);
  if (!request.title.empty())
    dialog->setWindowTitle(QString::fromStdString(request.title));
  QStringList filters =
      NameFilters(FilterPairs(ConvertFilter(request.filter)), kPosixNames);
  dialog->setNameFilters(filters);
  if (!filters.isEmpty()) dialog->selectNameFilter(filters.first());
  if (request.initialFile.empty()) return;
  QFileInfo initial(QString::fromStdString(request.initialFile));
  if (initial.isDir()) {
    dialog->setDirectory(initial.absoluteFilePath());
    return;
  }
  dialog->setDirectory(initial.absolutePath());
  dialog->selectFile(initial.fileName());
}

OpenDialogResult ShowOpenDialog(const OpenDialogRequest& request) {
  QFileDialog dialog;
  ConfigureOpenDialog(&dialog, request);
  OpenDialogResult result;
  result.readOnly = (request.flags & kOfnReadOnly) != 0;
  if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
    result.path =
        QDir::toNativeSeparators(dialog.selectedFiles().first()).toStdString();
  return result;
}

}  // namespace morvelle
