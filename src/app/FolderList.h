// --list: every trend of a folder, as a list that --batch reads back, or as
// JSON for a script.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "platform/Env.h"
#include "trend/TrendTools.h"

namespace morvelle {

struct UnreadableTrend {
  std::string hstPath;  // absolute
  Status reason;
};

struct FolderTrends {
  std::string folder;                       // absolute, with its separator
  std::vector<TrendInspection> trends;      // sorted by history file name
  std::vector<UnreadableTrend> unreadable;  // sorted as `trends`
};

// Reads every trend of `folder`: each regular file named *.HST in any
// letter case, in HistoryNameBefore order, each read as InspectTrend reads
// it. The folder is listed once for all of them. A trend that cannot be
// read (no longer there, an unknown version, shorter than its header, a
// read error) is put in `unreadable` with why, and so is anything named
// *.HST that is no regular file (a folder, a link, a FIFO).
// Fails when the folder itself cannot be listed.
Status ReadFolderTrends(Env& env, const std::string& folder,
                        FolderTrends* trends);

// Shows the trends of `folder` on `out`. As text, a list that --batch reads:
// a comment header, which names each damaged trend (CheckFolder) with its
// first problem, then one row per trend with its history file, tag and
// path as the window shows them as Original, so that as it stands it
// renames nothing. With `json`, one "folder" record on a line of its own:
//
//   folder      string  the folder, absolute
//   trends      array   objects of the fields AddTrendFields writes, and
//                       healthy (boolean) and problems (array), as
//                       --check writes them
//   unreadable  array   objects {"historyFile": string, "reason": string}
//
// Each trend that cannot be read is also named on `err` with its reason,
// and each that a journal of an interrupted run names with what to do.
// Returns kExitRenamed when every trend was read and none is interrupted,
// kExitNotRenamed when not or when the folder cannot be listed.
int RunList(Env& env, const std::string& folder, bool json, std::ostream& out,
            std::ostream& err);

}  // namespace morvelle
