// The promises of Env.h, held by the platform's Env and by the in-memory
// one alike, so that what the fuzzer finds with the one holds for the
// other.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "MemEnv.h"
#include "TrendFixture.h"
#include "platform/Env.h"

namespace morvelle {
namespace {

namespace fs = std::filesystem;

// A folder holding "file" (5 bytes), "folder" and "link" (to "file").
class Sandbox {
 public:
  virtual ~Sandbox() = default;
  virtual Env& env() = 0;
  virtual std::string folder() const = 0;  // with a trailing "/"
  virtual std::string Read(const std::string& name) const = 0;
};

class DiskSandbox final : public Sandbox {
 public:
  DiskSandbox() {
    test::WriteFile(temp_.path() / "file", "12345");
    fs::create_directory(temp_.path() / "folder");
    fs::create_symlink(temp_.path() / "file", temp_.path() / "link");
  }
  Env& env() override { return Env::Default(); }
  std::string folder() const override { return temp_.path().string() + "/"; }
  std::string Read(const std::string& name) const override {
    return test::ReadFile(temp_.path() / name);
  }

 private:
  test::TempFolder temp_;
};

class MemSandbox final : public Sandbox {
 public:
  MemSandbox() {
    env_.AddFile("/s/file", "12345");
    env_.AddFolder("/s/folder");
    env_.AddSymlink("/s/link");
  }
  Env& env() override { return env_; }
  std::string folder() const override { return "/s/"; }
  std::string Read(const std::string& name) const override {
    const std::string* bytes = env_.Bytes("/s/" + name);
    return bytes ? *bytes : std::string();
  }

 private:
  test::MemEnv env_;
};

class EnvContractTest : public ::testing::TestWithParam<bool> {
 protected:
  EnvContractTest()
      : sandbox_(GetParam() ? std::unique_ptr<Sandbox>(new MemSandbox)
                            : std::unique_ptr<Sandbox>(new DiskSandbox)) {}
  Env& env() { return sandbox_->env(); }
  std::string At(const std::string& name) const {
    return sandbox_->folder() + name;
  }
  std::unique_ptr<Sandbox> sandbox_;
};

TEST_P(EnvContractTest, OpensOnlyRegularFilesAndNeverFollowsALink) {
  struct Case {
    const char* name;
    ErrorKind kind;
  } cases[] = {{"file", ErrorKind::kNone},
               {"missing", ErrorKind::kNotFound},
               {"folder", ErrorKind::kNotARegularFile},
               {"link", ErrorKind::kNotARegularFile}};
  for (const Case& c : cases)
    for (OpenMode mode : {OpenMode::kRead, OpenMode::kReadWrite}) {
      SCOPED_TRACE(c.name);
      std::unique_ptr<File> file;
      Status s = env().OpenFile(At(c.name), mode, &file);
      EXPECT_EQ(s.kind(), c.kind) << s.ToString();
      EXPECT_EQ(file != nullptr, s.ok());
      if (file) {
        EXPECT_TRUE(file->Close().ok());
      }
    }
}

TEST_P(EnvContractTest, ReadsStopAtTheEndAndWritesGrowTheFile) {
  std::unique_ptr<File> file;
  ASSERT_TRUE(env().OpenFile(At("file"), OpenMode::kReadWrite, &file).ok());
  std::string bytes;
  EXPECT_TRUE(file->ReadAt(3, 10, &bytes).ok());
  EXPECT_EQ(bytes, "45");
  EXPECT_TRUE(file->ReadAt(9, 4, &bytes).ok());
  EXPECT_EQ(bytes, "");
  EXPECT_TRUE(file->WriteAt(7, "ab").ok());
  EXPECT_TRUE(file->Close().ok());
  EXPECT_EQ(sandbox_->Read("file"), std::string("12345\0\0ab", 9));
}

TEST_P(EnvContractTest, CreatesOnlyNewFiles) {
  for (const char* taken : {"file", "folder", "link"}) {
    std::unique_ptr<File> file;
    EXPECT_EQ(env().CreateNewFile(At(taken), &file).kind(),
              ErrorKind::kAlreadyExists)
        << taken;
    EXPECT_EQ(file, nullptr);
  }
  EXPECT_EQ(sandbox_->Read("file"), "12345");
  std::unique_ptr<File> file;
  ASSERT_TRUE(env().CreateNewFile(At("new"), &file).ok());
  EXPECT_TRUE(file->WriteAt(0, "abc").ok());
  EXPECT_TRUE(file->Close().ok());
  EXPECT_EQ(sandbox_->Read("new"), "abc");
  EXPECT_EQ(env().CreateNewFile(At("missing/new"), &file).kind(),
            ErrorKind::kNotFound);
}

TEST_P(EnvContractTest, RenameNeverReplacesAndKeepsTheFilesIdentity) {
  FileInfo before;
  ASSERT_TRUE(env().GetFileInfo(At("file"), &before).ok());
  EXPECT_EQ(before.type, EntryType::kRegular);
  EXPECT_EQ(before.size, 5u);
  EXPECT_EQ(before.links, 1u);
  for (const char* taken : {"folder", "link"})
    EXPECT_EQ(env().RenameNoReplace(At("file"), At(taken)).kind(),
              ErrorKind::kAlreadyExists)
        << taken;
  EXPECT_TRUE(env().RenameNoReplace(At("file"), At("file")).ok());
  EXPECT_EQ(env().RenameNoReplace(At("missing"), At("new")).kind(),
            ErrorKind::kNotFound);
  EXPECT_EQ(env().RenameNoReplace(At("file"), At("missing/new")).kind(),
            ErrorKind::kNotFound);
  ASSERT_TRUE(env().RenameNoReplace(At("file"), At("new")).ok());
  FileInfo after;
  ASSERT_TRUE(env().GetFileInfo(At("new"), &after).ok());
  EXPECT_EQ(after.index, before.index);
  EXPECT_EQ(after.device, before.device);
  EXPECT_EQ(env().GetFileInfo(At("file"), &after).kind(), ErrorKind::kNotFound);
  EXPECT_EQ(sandbox_->Read("new"), "12345");
}

// A rename reaches a trend's files through their folder held open; a name
// outside it, here one in a folder below, is reached by its whole path.
TEST_P(EnvContractTest, AHeldFolderKeepsTheContract) {
  std::unique_ptr<Folder> folder;
  ASSERT_TRUE(env().OpenFolder(sandbox_->folder(), &folder).ok());
  struct Case {
    const char* name;
    ErrorKind open, rename;
  } cases[] = {
      {"folder", ErrorKind::kNotARegularFile, ErrorKind::kAlreadyExists},
      {"link", ErrorKind::kNotARegularFile, ErrorKind::kAlreadyExists},
      {"missing", ErrorKind::kNotFound, ErrorKind::kNone}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::unique_ptr<File> file;
    EXPECT_EQ(folder->OpenFile(At(c.name), OpenMode::kLocked, &file).kind(),
              c.open);
    EXPECT_EQ(folder->CheckWritable(At(c.name)).kind(),
              c.open == ErrorKind::kNotFound ? ErrorKind::kNotFound
                                             : ErrorKind::kNone);
    Status renamed = folder->RenameNoReplace(At("file"), At(c.name));
    EXPECT_EQ(renamed.kind(), c.rename);
    if (!renamed.ok()) {  // the two paths as fields of their own
      EXPECT_EQ(renamed.path(), At("file"));
      EXPECT_EQ(renamed.target(), At(c.name));
      EXPECT_TRUE(renamed.ToString().starts_with("rename '" + At("file") +
                                                 "' to '" + At(c.name) + "': "))
          << renamed.ToString();
    }
    if (renamed.ok()) {
      ASSERT_TRUE(folder->RenameNoReplace(At(c.name), At("file")).ok());
    }
  }
  ASSERT_TRUE(folder->RenameNoReplace(At("file"), At("folder/file")).ok());
  ASSERT_TRUE(folder->RenameNoReplace(At("folder/file"), At("file")).ok());
  std::unique_ptr<File> file;
  ASSERT_TRUE(folder->OpenFile(At("file"), OpenMode::kReadWrite, &file).ok());
  EXPECT_TRUE(file->WriteAt(1, "x").ok());
  EXPECT_TRUE(file->Close().ok());
  EXPECT_EQ(sandbox_->Read("file"), "1x345");
}

TEST_P(EnvContractTest, ListsEveryEntryWithItsType) {
  std::vector<FolderEntry> entries;
  ASSERT_TRUE(env().ListFolder(sandbox_->folder(), &entries).ok());
  std::map<std::string, EntryType> types;
  for (const FolderEntry& entry : entries) types[entry.name] = entry.type;
  EXPECT_EQ(types,
            (std::map<std::string, EntryType>{{"file", EntryType::kRegular},
                                              {"folder", EntryType::kDirectory},
                                              {"link", EntryType::kSymlink}}));
  FileInfo info;
  ASSERT_TRUE(env().GetFileInfo(At("link"), &info).ok());
  EXPECT_EQ(info.type, EntryType::kSymlink);
  EXPECT_EQ(env().ListFolder(At("missing"), &entries).kind(),
            ErrorKind::kNotFound);
}

INSTANTIATE_TEST_SUITE_P(DiskAndMemory, EnvContractTest,
                         ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? "Memory" : "Disk";
                         });

}  // namespace
}  // namespace morvelle
