// The rules for the values a rename stores: a new path whose file name is
// a valid Windows file name, a tag that is not empty, and both in the code
// page of the trend's text fields.
#pragma once

#include <string>

#include "platform/Status.h"

namespace morvelle {

// The field bytes of the new values in `*pathField` and `*tagField`; the
// reason (kInvalidArgument, a sentence of its own) when a rename may not
// take them.
Status EncodeNewValues(const std::string& newPath, const std::string& newTag,
                       std::string* pathField, std::string* tagField);

}  // namespace morvelle
