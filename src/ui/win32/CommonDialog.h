// The open-file request on the Windows common dialog.
#pragma once

#include <windows.h>

#include "ui/CommonDialog.h"

namespace morvelle {

// Asks the user for a file with GetOpenFileNameW, modal to `owner`: the
// filter pairs with the first selected, the initial file in the file box
// and as the initial folder, the request's flags and title. The file
// buffer holds the longest path Windows has (32,767 characters), where the
// old 256-character one failed on long paths as if cancelled. Returns the
// chosen path without leading spaces; empty when the user cancels or the
// dialog cannot open.
OpenDialogResult ShowOpenDialog(HWND owner, const OpenDialogRequest& request);

}  // namespace morvelle
