// Renaming many trends as one job: every trend is planned and checked, each
// against the others as well, before any file is touched, and every
// renamed trend can be renamed back.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/Env.h"
#include "trend/TrendTools.h"

namespace morvelle {

struct RenameRequest {
  std::string hstPath;
  std::string newTag;
  std::string newPath;
};

inline constexpr std::size_t kNoRequest = static_cast<std::size_t>(-1);

struct PlannedRename {
  RenameOutcome outcome = RenameOutcome::kRefused;
  Status failure;  // why not, when the outcome is not kRenamed
  // The earlier request this one conflicts with, or kNoRequest.
  std::size_t conflictsWith = kNoRequest;
  RenamePlan plan;
};

// Plans every request as PlanRename does, each folder listed once for all
// of them, and checks them against each other in order. A request is
// refused (kRefused, `conflictsWith` set) when a file it would touch is
// touched by an earlier request too (the same trend twice, or history
// files whose names differ in letter case only), when one of its new names
// is a new name of an earlier request as well, or when one of its new
// names is the current name of a file of any other request's trend. Names are
// compared without regard to case, as the file systems the trends come from
// compare them, and folders by identity, not by spelling. A new name that
// exists already, another request's file included, is refused by PlanRename
// itself, so no request can take a name another frees. Changes nothing.
std::vector<PlannedRename> PlanRenames(
    Env& env, const std::vector<RenameRequest>& requests);

// The request that renames the trend of `plan`, once renamed, back: the
// history file's new path, and entry 0's tag and path without extension
// as the user sees them. `*inexact` (may be null) receives why running it
// would not give back the table and every file name byte for byte (entries
// that differ from entry 0, bytes after a field's NUL, a value cut to its
// field, files not named after entry 0's path), or OK. Data-file headers
// are not compared: planning does not read them.
RenameRequest UndoRequest(const RenamePlan& plan, Status* inexact = nullptr);

}  // namespace morvelle
