// The end of every interactive run.
#pragma once

namespace morvelle {

// Closes every open window of the program, the help window included, and
// ends the event loop, which ends the process. Called from the main
// window's close handling: the window being closed is not closed again.
void CloseApplication();

}  // namespace morvelle
