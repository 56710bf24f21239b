#include "platform/Env.h"

namespace morvelle {
namespace {

// A folder reached through the Env's calls by whole paths.
class PathFolder final : public Folder {
 public:
  PathFolder(Env& env, std::string path) : env_(env), path_(std::move(path)) {}

  Status OpenFile(const std::string& path, OpenMode mode,
                  std::unique_ptr<File>* file) override {
    return env_.OpenFile(path, mode, file);
  }
  Status RenameNoReplace(const std::string& from,
                         const std::string& to) override {
    return env_.RenameNoReplace(from, to);
  }
  Status CheckWritable(const std::string& path) override {
    return env_.CheckWritable(path);
  }
  Status Sync() override { return env_.SyncFolder(path_); }
  Status SyncFileSystem() override { return env_.SyncFileSystem(path_); }

 private:
  Env& env_;
  std::string path_;
};

}  // namespace

Status Env::OpenFolder(const std::string& folder,
                       std::unique_ptr<Folder>* opened) {
  *opened = std::make_unique<PathFolder>(*this, folder);
  return Status::Ok();
}

}  // namespace morvelle
