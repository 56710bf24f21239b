// --recover: puts back the trends of runs that were interrupted.
#pragma once

#include <iosfwd>
#include <string>

namespace morvelle {

class Env;

// Recovers the journals of `target`'s folder: `target` is a folder, or a
// history file, whose folder's journals naming it are recovered; empty
// means the current folder. Says per journal and per trend what was done
// on `out`, and why anything could not be on `err`. Returns kExitRenamed
// when every journal met was dealt with and removed (none is fine),
// kExitNotRenamed when one is kept.
int RunRecover(Env& env, const std::string& target, std::ostream& out,
               std::ostream& err);

}  // namespace morvelle
