#include "FailingEnv.h"

namespace morvelle::test {
namespace {

class FailingFile final : public File {
 public:
  FailingFile(FailingEnv& env, std::unique_ptr<File> base, std::string path)
      : env_(env), base_(std::move(base)), path_(std::move(path)) {}

  Status ReadAt(std::uint64_t offset, std::size_t n,
                std::string* out) override {
    Status s = env_.Count("read", path_);
    return s.ok() ? base_->ReadAt(offset, n, out) : s;
  }
  Status WriteAt(std::uint64_t offset, std::string_view data) override {
    Status s = env_.Count("write", path_);
    return s.ok() ? env_.Write(*base_, path_, offset, data) : s;
  }
  Status Truncate(std::uint64_t size) override {
    Status s = env_.Count("truncate", path_);
    return s.ok() ? base_->Truncate(size) : s;
  }
  // No call to the file system: the open described the file.
  const FileInfo& OpenedInfo() const override { return base_->OpenedInfo(); }
  Status Sync() override {
    Status s = env_.Count("flush", path_);
    return s.ok() ? base_->Sync() : s;
  }
  Status Close() override {
    Status s = env_.Count("close", path_);
    Status closed = base_->Close();
    return s.ok() ? closed : s;
  }

 private:
  FailingEnv& env_;
  std::unique_ptr<File> base_;
  std::string path_;
};

}  // namespace

FailingEnv::FailingEnv(Env& base, int failAt, ErrorKind kind)
    : FailingEnv(base, Fault{.at = failAt, .error = kind}) {}

FailingEnv::FailingEnv(Env& base, Fault fault)
    : EnvWrapper(base), fault_(std::move(fault)) {}

Status FailingEnv::Count(const char* call, const std::string& path) {
  if (onCall) onCall();
  ++callsByName_[call];
  log_.emplace_back(call, path);
  ++calls_;
  bool first = calls_ == fault_.at && fault_.kind == FaultKind::kFail;
  bool crashed =
      fault_.kind == FaultKind::kCrash && fault_.at > 0 && calls_ >= fault_.at;
  if (!first && !crashed && calls_ != fault_.alsoAt) return Status::Ok();
  failedCall_ = call;
  failedPath_ = path;
  return Status::Error(fault_.error, call, path, "injected failure");
}

int FailingEnv::callsOf(const std::string& call) const {
  auto it = callsByName_.find(call);
  return it == callsByName_.end() ? 0 : it->second;
}

int FailingEnv::lastCallOf(const std::string& call,
                           const std::string& pathEnd) const {
  for (std::size_t i = log_.size(); i-- > 0;)
    if (log_[i].first == call && log_[i].second.ends_with(pathEnd))
      return static_cast<int>(i + 1);
  return 0;
}

bool FailingEnv::callWas(int k, const std::string& call,
                         const std::string& pathEnd) const {
  if (k < 1 || k > static_cast<int>(log_.size())) return false;
  const auto& [name, path] = log_[static_cast<std::size_t>(k - 1)];
  return name == call && path.ends_with(pathEnd);
}

Status FailingEnv::Write(File& base, const std::string& path,
                         std::uint64_t offset, std::string_view data) {
  if (++writes_ != fault_.at || fault_.kind != FaultKind::kShortWrite)
    return base.WriteAt(offset, data);
  failedCall_ = "short write";
  failedPath_ = path;
  Status s = base.WriteAt(offset, data.substr(0, data.size() / 2));
  return s.ok() ? Status::Error(ErrorKind::kNoSpace, "write", path,
                                "injected short write")
                : s;
}

Status FailingEnv::ListFolder(const std::string& folder,
                              std::vector<FolderEntry>* entries) {
  Status s = Count("list folder", folder);
  return s.ok() ? target().ListFolder(folder, entries) : s;
}

Status FailingEnv::OpenFile(const std::string& path, OpenMode mode,
                            std::unique_ptr<File>* file) {
  Status s = Count("open", path);
  std::unique_ptr<File> opened;
  if (s.ok()) s = target().OpenFile(path, mode, &opened);
  if (s.ok())
    *file = std::make_unique<FailingFile>(*this, std::move(opened), path);
  return s;
}

Status FailingEnv::CreateNewFile(const std::string& path,
                                 std::unique_ptr<File>* file) {
  Status s = Count("create", path);
  std::unique_ptr<File> created;
  if (s.ok()) s = target().CreateNewFile(path, &created);
  if (s.ok())
    *file = std::make_unique<FailingFile>(*this, std::move(created), path);
  return s;
}

Status FailingEnv::RenameNoReplace(const std::string& from,
                                   const std::string& to) {
  Status s = Count("rename", from);
  if (!s.ok()) return s;
  if (++renames_ == fault_.at && fault_.kind == FaultKind::kTargetAppears) {
    failedCall_ = "target appears";
    failedPath_ = to;
    fault_.createFile(to);
  }
  return target().RenameNoReplace(from, to);
}

Status FailingEnv::RemoveFile(const std::string& path) {
  Status s = Count("remove", path);
  return s.ok() ? target().RemoveFile(path) : s;
}

Status FailingEnv::CheckWritable(const std::string& path) {
  Status s = Count("check for writing", path);
  return s.ok() ? target().CheckWritable(path) : s;
}

Status FailingEnv::ReadTextFile(const std::string& path, std::size_t limit,
                                std::string* text) {
  Status s = Count("read text file", path);
  return s.ok() ? target().ReadTextFile(path, limit, text) : s;
}

Status FailingEnv::SyncFolder(const std::string& folder) {
  Status s = Count("flush folder", folder);
  return s.ok() ? target().SyncFolder(folder) : s;
}

Status FailingEnv::SyncFileSystem(const std::string& folder) {
  Status s = Count("flush file system", folder);
  return s.ok() ? target().SyncFileSystem(folder) : s;
}

Status FailingEnv::GetFileInfo(const std::string& path, FileInfo* info) {
  Status s = Count("stat", path);
  return s.ok() ? target().GetFileInfo(path, info) : s;
}

Status FailingEnv::AbsolutePath(const std::string& path,
                                std::string* absolute) {
  Status s = Count("absolute path", path);
  return s.ok() ? target().AbsolutePath(path, absolute) : s;
}

}  // namespace morvelle::test
