// The open-file dialog. Callers describe the request the way the Windows
// common dialog takes it: a filter of alternating descriptions and
// patterns, each followed by "|", and option bits of OPENFILENAME. Here it
// is mapped onto QFileDialog, which is the native dialog on Windows.
#pragma once

#include <QString>
#include <QStringList>
#include <vector>

class QFileDialog;

namespace morvelle {

// Option bits of OPENFILENAME.Flags, as Windows publishes them.
inline constexpr int kOfnReadOnly = 1;      // the read-only box is ticked
inline constexpr int kOfnHideReadOnly = 4;  // no read-only box
inline constexpr int kOfnPathMustExist = 2048;
inline constexpr int kOfnFileMustExist = 4096;

struct OpenDialogResult {
  QString path;  // the chosen file, full path; empty when cancelled
  bool readOnly = false;
};

// `filter` in the Windows form: every "|" a NUL, ending in a double NUL.
// A filter that does not end in "|" gets "||"; one that ends in a single
// "|" gets one more; one ending in "||" is kept as it is.
QString ConvertFilter(const QString& filter);

struct FilterPair {
  QString description;  // "Trends"
  QString patterns;     // "*.HST", several separated by ";"
};

// The pairs of a converted filter, in order. The list ends at the first
// empty string, as the Windows dialog reads it; a description without a
// pattern ends it too.
std::vector<FilterPair> FilterPairs(const QString& converted);

// The pairs as QFileDialog name filters: "Trends (*.HST)". Where file
// names are case-sensitive a pattern also matches its lower-case form
// ("*.HST *.hst"), since the files come from Windows in either case.
QStringList NameFilters(const std::vector<FilterPair>& pairs,
                        bool caseSensitiveNames);

// Sets `dialog` up for the request ShowOpenDialog describes: the first pair
// selected, an existing file required when `flags` asks for one, the
// folder and name of `initialFile` to start from, `title` when not empty.
void ConfigureOpenDialog(QFileDialog* dialog, const QString& title,
                         const QString& initialFile, const QString& filter,
                         int flags);

// Asks the user for a file. `title` empty gives the platform's title;
// `initialFile` is the initial selection and gives the initial folder.
// Returns the chosen path with the platform's separators, or an empty path
// when the user cancels or the dialog cannot open. Qt's dialog has no
// read-only box, so `readOnly` is the read-only bit of `flags` as given.
OpenDialogResult ShowOpenDialog(const QString& title,
                                const QString& initialFile,
                                const QString& filter, int flags);

}  // namespace morvelle
