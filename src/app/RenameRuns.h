// The run history of the "Many trends" window: Rename, Undo last run and
// Recover. Rename and Undo are each a run of --batch itself
// (RunBatchList), so that they keep every promise a --batch run keeps:
// every row planned and checked before any file is touched, each trend
// renamed whole or put back, and an undo list written row by row. Recover
// puts back what interrupted runs left, as --recover does (RecoverFolder).
// The files of a run are kept in the user's application-data folder: the
// list it runs and the undo list it writes, named by the date and time it
// started, so that "Undo last run" finds the newest.
#pragma once

#include <atomic>
#include <cstddef>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include "app/BatchList.h"
#include "platform/Status.h"
#include "trend/Journal.h"

namespace morvelle {

class Env;

struct RunFiles {
  std::string list;         // the rows to run, as a --batch list
  std::string undoList;     // written by the run; renames its trends back
  std::size_t trends = 0;   // how many rows `list` holds
  std::string trendFolder;  // the folder of its first trend, as in the list
};

// Writes `rows` as a new list in `folder` (a folder path ending in its
// separator, which exists): "rename-STAMP.csv", its undo list to be
// "undo-STAMP.csv", STAMP being `time` as YYYYMMDD-HHMMSS, with "-2",
// "-3", ... added when a run of that second has those names already.
Status PrepareRename(Env& env, const std::string& folder, const std::tm& time,
                     const std::vector<RenameRequest>& rows, RunFiles* files);

// The newest undo list of `folder` that holds a trend, as the list to run,
// and a new undo list for the undo itself: an undo is a run too, so a
// second Undo renames the trends forth again. kNotFound when there is none.
Status PrepareUndo(Env& env, const std::string& folder, const std::tm& time,
                   RunFiles* files);

// Prepares Rename (`undo` false: `rows`) or Undo last run, started now, as
// PrepareRename and PrepareUndo do. False, with the message the window
// shows, when it cannot start.
bool PrepareRun(Env& env, const std::string& folder, bool undo,
                const std::vector<RenameRequest>& rows, RunFiles* files,
                std::string* message);

// A run of RunFiles, row by row.
struct ListRun {
  int status = 0;  // as the --batch run exits: kExitRenamed when all ran
  std::string list;
  // Every row of the list and how it ended; none when the list could not
  // be read or was not sound.
  std::vector<RowResult> rows;
  std::size_t started = 0;  // how many rows, from the first, were started
  // What the run told before it started a row (problems of the list, each
  // row's refusal or warnings) and after the rows it started (why it
  // stopped, problems of the undo list or the journal; the summary last).
  std::string before, after;
};

// Runs `files` as `morvelle --batch LIST --undo-list UNDO` does. Meant
// for a worker thread: `onProgress` is called on it (see
// BatchListOptions), and once `*stop` is set the trend in progress is
// finished or put back and no further one is started.
ListRun RunListFiles(
    Env& env, const RunFiles& files, const std::atomic<bool>* stop,
    std::function<void(std::size_t done, std::size_t total)> onProgress);

// A recovery of the trends that interrupted runs left in a folder.
struct FolderRecovery {
  std::string folder;
  std::string problem;  // why the folder could not be recovered at all
  std::vector<JournalRecovery> journals;  // each with its trends' outcomes
};

// Puts back the trends that interrupted runs left in `folder`, as
// `morvelle --recover FOLDER` does.
FolderRecovery RecoverTrends(Env& env, const std::string& folder);

// What `morvelle --batch` tells of a run.
struct RunResult {
  int status = 0;  // kExitRenamed when everything was done
  std::string text;
};

// The run's status and what `morvelle --batch` prints for it, standard
// output and standard error as one text, its summary last.
RunResult ShownResult(const ListRun& run);

}  // namespace morvelle
