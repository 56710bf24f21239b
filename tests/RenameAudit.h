// Checks what a rename left in the trend's folder against the folder
// before it and against what the rename reported, for any outcome: a clean
// run, a refusal, or a run stopped part-way by a fault.
//
// It holds that
//  - the report is coherent: every file renamed when the trend is reported
//    renamed, every file untouched when it is reported as it was, and an
//    undo error recorded exactly when the undo is reported failed;
//  - every file that was there is still there, under its new name when it
//    is reported renamed and under its old name otherwise;
//  - a file reported rewritten or renamed holds exactly the expected bytes,
//    an untouched one its old bytes, and one being written a mix of the
//    two, byte by byte (a short write); no file changed its length;
//  - every other file, including any that another program made during the
//    run, kept its name and its bytes, and no file appeared.
//
// The expected bytes are worked out from the old ones with the fixture's
// own layout numbers, not the program's, so the audit holds for any input
// (the fuzzer's too), not only for fixture trends.
#pragma once

#include <string>
#include <vector>

#include "TrendFixture.h"
#include "trend/TrendTools.h"

namespace morvelle::test {

struct RenameRun {
  FolderImage before;   // the regular files of the trend's folder, before
  FolderImage after;    // and after the rename
  FolderImage planted;  // files another program made during the run
  std::string newPath;  // as passed to the rename; plain ASCII
  std::string newTag;
};

// What is wrong, one line each; empty when everything holds.
std::vector<std::string> AuditRename(const RenameRun& run,
                                     const RenameReport& report);

}  // namespace morvelle::test
