// The open-file request on QFileDialog, which is the native dialog where
// Qt has one.
#pragma once

#include <QStringList>
#include <vector>

#include "ui/CommonDialog.h"

class QFileDialog;

namespace morvelle {

// The pairs as QFileDialog name filters: "Trends (*.HST)". Where file
// names are case-sensitive a pattern also matches its lower-case form
// ("*.HST *.hst"), since the files come from Windows in either case, and
// "*.*" is "*": names without a dot are files too.
QStringList NameFilters(const std::vector<FilterPair>& pairs, bool posixNames);

// Sets `dialog` up for `request`: the first pair selected, an existing
// file required when the flags ask for one, the folder and name of the
// initial file to start from, the title when not empty.
void ConfigureOpenDialog(QFileDialog* dialog, const OpenDialogRequest& request);

// Asks the user for a file. Returns the chosen path with the platform's
// separators, or an empty path when the user cancels or the dialog cannot
// open. Qt's dialog has no read-only box, so `readOnly` is the read-only
// bit of the request's flags.
OpenDialogResult ShowOpenDialog(const OpenDialogRequest& request);

}  // namespace morvelle
