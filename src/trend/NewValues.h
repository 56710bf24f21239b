// The rules for the values a rename stores: a new path whose file name is
// a valid Windows file name, a tag that is not empty, and both in the code
// page of the trend's text fields.
#pragma once

#include <string>

namespace morvelle {

// The field bytes of the new values in `*pathField` and `*tagField`; false
// with the reason in `*message` when a rename may not take them.
bool EncodeNewValues(const std::string& newPath, const std::string& newTag,
                     std::string* pathField, std::string* tagField,
                     std::string* message);

}  // namespace morvelle
