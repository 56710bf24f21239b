#include "trend/NewValues.h"

#include <optional>
#include <string_view>

#include "platform/FieldEncoding.h"
#include "trend/FileTools.h"
#include "trend/HistoryFile.h"
#include "trend/TrendTools.h"

namespace morvelle {
namespace {

// The number of a serial or printer port: 1 to 9, or a superscript 1, 2
// or 3 (UTF-8 of U+00B9, U+00B2, U+00B3).
bool IsPortNumber(std::string_view number) {
  if (number.size() == 1) return number[0] >= '1' && number[0] <= '9';
  return number == "\xC2\xB9" || number == "\xC2\xB2" || number == "\xC2\xB3";
}

// Windows opens a device for these names, in any letter case and in any
// folder, whatever follows the first dot and with spaces before it.
bool IsReservedDeviceName(std::string_view name) {
  std::string_view stem = name.substr(0, name.find('.'));
  while (!stem.empty() && stem.back() == ' ') stem.remove_suffix(1);
  static const char* const kDevices[] = {"CON", "PRN",    "AUX",
                                         "NUL", "CONIN$", "CONOUT$"};
  for (const char* device : kDevices)
    if (EqualsIgnoringCase(stem, device)) return true;
  return stem.size() > 3 &&
         (EqualsIgnoringCase(stem.substr(0, 3), "COM") ||
          EqualsIgnoringCase(stem.substr(0, 3), "LPT")) &&
         IsPortNumber(stem.substr(3));
}

// Why `name` cannot be a file name on Windows, or empty when it can.
std::string FileNameProblem(const std::string& name) {
  if (name.empty()) return "has no file name";
  for (char c : name) {
    if (static_cast<unsigned char>(c) < 0x20)
      return "holds a control character, which a file name cannot hold";
    if (std::string_view("<>:\"/\\|?*").find(c) != std::string_view::npos)
      return std::string("holds '") + c + "', which a file name cannot hold";
  }
  if (name.back() == ' ' || name.back() == '.')
    return "ends in a space or a dot, which Windows drops from file names";
  if (IsReservedDeviceName(name))
    return "is a name Windows reserves for a device";
  return {};
}

Status Refusal(std::string message) {
  return Status::Message(ErrorKind::kInvalidArgument, std::move(message));
}

// Field bytes of a user's value, or a refusal.
Status EncodeValue(const std::string& what, const std::string& value,
                   std::string* field) {
  std::string bad;
  std::optional<std::string> bytes = EncodeFieldText(value, &bad);
  if (!bytes)
    return Refusal(bad.empty() ? what + " is not valid UTF-8 text"
                               : what + " holds '" + bad +
                                     "', which the text fields of a trend "
                                     "file cannot hold");
  *field = *bytes;
  return Status::Ok();
}

}  // namespace

Status EncodeNewValues(const std::string& newPath, const std::string& newTag,
                       std::string* pathField, std::string* tagField) {
  std::string name_problem = FileNameProblem(FileNameOf(newPath));
  if (!name_problem.empty())
    return Refusal("The new path " + Quoted(newPath) + " " + name_problem);
  if (newTag.empty()) return Refusal("The new tag is empty");
  Status s = EncodeValue("The new path", newPath, pathField);
  return s.ok() ? EncodeValue("The new tag", newTag, tagField) : s;
}

Status CheckNewValues(const std::string& newPath, const std::string& newTag) {
  std::string path_field, tag_field;
  return EncodeNewValues(newPath, newTag, &path_field, &tag_field);
}

}  // namespace morvelle
