#include "app/Settings.h"

#include <QSettings>
#include <memory>

namespace morvelle {
namespace {

constexpr const char* kFileSetKey = "Settings/FileSet";

std::unique_ptr<QSettings> OpenStore() {
  return std::make_unique<QSettings>(
      QSettings::NativeFormat, QSettings::UserScope, "Morvelle", "Morvelle");
}

}  // namespace

QString LoadFileSet() { return OpenStore()->value(kFileSetKey).toString(); }

void SaveFileSet(const QString& fileSet) {
  OpenStore()->setValue(kFileSetKey, fileSet);
}

}  // namespace morvelle
