// The window's message boxes: modal, titled "Morvelle", one OK button and
// one of three looks. Each view shows them with its toolkit's box.
#pragma once

#include <functional>
#include <string>

namespace morvelle {

enum class MessageLook {
  kExclamation,  // something the user can put right
  kCritical,     // something is wrong with the trend or the file system
  kNoIcon,       // "Done"
};

using ShowMessageFn = std::function<void(MessageLook, const std::string&)>;

}  // namespace morvelle
