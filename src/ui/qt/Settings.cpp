#include "app/Settings.h"

#include <QSettings>

namespace morvelle {
namespace {

constexpr const char* kFileSetKey = "Settings/FileSet";

class QtSettingsStore final : public SettingsStore {
 public:
  std::string LoadFileSet() override {
    return Open().value(kFileSetKey).toString().toStdString();
  }
  void SaveFileSet(const std::string& fileSet) override {
    Open().setValue(kFileSetKey, QString::fromStdString(fileSet));
  }

 private:
  // Opened for each use, so that every change is written at once.
  static QSettings Open() {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, "Morvelle",
                     "Morvelle");
  }
};

}  // namespace

SettingsStore& UserSettings() {
  static QtSettingsStore store;
  return store;
}

}  // namespace morvelle
