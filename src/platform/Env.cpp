#include "platform/Env.h"

namespace morvelle {
namespace {

// A folder reached through the Env's calls by whole paths.
class PathFolder final : public Folder {
 public:
  explicit PathFolder(Env& env) : env_(env) {}

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

 private:
  Env& env_;
};

}  // namespace

Status Env::OpenFolder(const std::string& /*folder*/,
                       std::unique_ptr<Folder>* opened) {
  *opened = std::make_unique<PathFolder>(*this);
  return Status::Ok();
}

}  // namespace morvelle
