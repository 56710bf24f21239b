// The open-file request, described the way the Windows common dialog takes
// it: a filter of alternating descriptions and patterns, each followed by
// "|", and option bits of OPENFILENAME. Each toolkit's ShowOpenDialog
// (ui/qt, ui/win32) maps it onto its own dialog.
#pragma once

#include <string>
#include <vector>

namespace morvelle {

// Option bits of OPENFILENAME.Flags, as Windows publishes them.
inline constexpr int kOfnReadOnly = 1;      // the read-only box is ticked
inline constexpr int kOfnHideReadOnly = 4;  // no read-only box
inline constexpr int kOfnPathMustExist = 2048;
inline constexpr int kOfnFileMustExist = 4096;

struct OpenDialogRequest {
  std::string title;        // empty: the platform's own title
  std::string initialFile;  // the initial selection; also gives the folder
  std::string filter;       // "Trends|*.HST|All Files|*.*|"
  int flags = 0;
};

struct OpenDialogResult {
  std::string path;  // the chosen file, full path; empty when cancelled
  bool readOnly = false;
};

// `filter` in the Windows form: every "|" a NUL, ending in a double NUL.
// A filter that does not end in "|" gets "||"; one that ends in a single
// "|" gets one more; one ending in "||" is kept as it is.
std::string ConvertFilter(const std::string& filter);

struct FilterPair {
  std::string description;  // "Trends"
  std::string patterns;     // "*.HST", several separated by ";"
};

// The pairs of a converted filter, in order. The list ends at the first
// empty string, as the Windows dialog reads it; a description without a
// pattern ends it too.
std::vector<FilterPair> FilterPairs(const std::string& converted);

}  // namespace morvelle
