#include "ui/CommonDialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace morvelle {
namespace {

#if defined(_WIN32) || defined(__APPLE__)
constexpr bool kCaseSensitiveNames = false;
#else
constexpr bool kCaseSensitiveNames = true;
#endif

QString QtPatterns(const QString& patterns, bool caseSensitiveNames) {
  QStringList shown;
  for (const QString& pattern : patterns.split(';', Qt::SkipEmptyParts)) {
    QString trimmed = pattern.trimmed();
    shown << trimmed;
    if (caseSensitiveNames && trimmed.toLower() != trimmed)
      shown << trimmed.toLower();
  }
  return shown.join(' ');
}

}  // namespace

QString ConvertFilter(const QString& filter) {
  QString converted = filter;
  if (!converted.endsWith('|')) converted += "||";
  if (!converted.endsWith("||")) converted += '|';
  return converted.replace('|', QChar(0));
}

std::vector<FilterPair> FilterPairs(const QString& converted) {
  std::vector<FilterPair> pairs;
  QStringList strings = converted.split(QChar(0));
  for (qsizetype i = 0; i + 1 < strings.size(); i += 2) {
    if (strings[i].isEmpty() || strings[i + 1].isEmpty()) break;
    pairs.push_back({strings[i], strings[i + 1]});
  }
  return pairs;
}

QStringList NameFilters(const std::vector<FilterPair>& pairs,
                        bool caseSensitiveNames) {
  QStringList filters;
  for (const FilterPair& pair : pairs)
    filters << pair.description + " (" +
                   QtPatterns(pair.patterns, caseSensitiveNames) + ")";
  return filters;
}

void ConfigureOpenDialog(QFileDialog* dialog, const QString& title,
                         const QString& initialFile, const QString& filter,
                         int flags) {
  dialog->setAcceptMode(QFileDialog::AcceptOpen);
  // An existing file lies in an existing folder, so file-must-exist covers
  // path-must-exist. There is no read-only box to hide.
  dialog->setFileMode((flags & kOfnFileMustExist) ? QFileDialog::ExistingFile
                                                  : QFileDialog::AnyFile);
  if (!title.isEmpty()) dialog->setWindowTitle(title);
  QStringList filters =
      NameFilters(FilterPairs(ConvertFilter(filter)), kCaseSensitiveNames);
  dialog->setNameFilters(filters);
  if (!filters.isEmpty()) dialog->selectNameFilter(filters.first());
  if (initialFile.isEmpty()) return;
  QFileInfo initial(initialFile);
  if (initial.isDir()) {
    dialog->setDirectory(initial.absoluteFilePath());
    return;
  }
  dialog->setDirectory(initial.absolutePath());
  dialog->selectFile(initial.fileName());
}

OpenDialogResult ShowOpenDialog(const QString& title,
                                const QString& initialFile,
                                const QString& filter, int flags) {
  QFileDialog dialog;
  ConfigureOpenDialog(&dialog, title, initialFile, filter, flags);
  OpenDialogResult result;
  result.readOnly = (flags & kOfnReadOnly) != 0;
  if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
    result.path = QDir::toNativeSeparators(dialog.selectedFiles().first());
  return result;
}

}  // namespace morvelle
