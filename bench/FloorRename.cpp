// The floor the benchmark measures Morvelle against: the same renames with
// nothing but the system calls they need. The folder is listed once; then,
// per trend, the history file is opened, its header and table read, the
// table written back and the file closed and renamed; per data file, the
// file is opened, its header read and written back, closed and renamed.
// No checks, no plan, no messages: a tool that did less would not be a
// rename.
//
//   morvelle_floor FOLDER OLDBASE NEWPATH NEWTAG [OLDBASE NEWPATH NEWTAG]...
//
// With --read it is the floor of a check instead: the folder listed once,
// then per history file its header and table read, and per data file its
// header read; nothing compared, nothing written.
//
//   morvelle_floor --read FOLDER
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

#include "trend/TrendDefinitions.h"
#include "trend/TrendTools.h"

namespace {

using morvelle::TrendLayout;

[[noreturn]] void Die(const std::string& what) {
  std::perror(what.c_str());
  std::exit(1);
}

// Data files by base name: names whose text after the last dot is digits.
std::unordered_map<std::string, std::vector<std::string>> ListDataFiles(
    const std::string& folder) {
  std::unordered_map<std::string, std::vector<std::string>> by_base;
  DIR* dir = opendir(folder.c_str());
  if (!dir) Die("opendir " + folder);
  while (dirent* entry = readdir(dir)) {
    std::string name = entry->d_name;
    std::size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot + 1 == name.size()) continue;
    if (name.find_first_not_of("0123456789", dot + 1) != std::string::npos)
      continue;
    by_base[name.substr(0, dot)].push_back(name);
  }
  closedir(dir);
  return by_base;
}

void Rename(const std::string& from, const std::string& to) {
  if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(),
                RENAME_NOREPLACE) != 0)
    Die("rename " + from);
}

void RenameTrend(const std::string& folder, const std::string& oldBase,
                 const std::string& newPath, const std::string& newTag,
                 const std::vector<std::string>& dataFiles) {
  std::string new_name = newPath.substr(newPath.find_last_of('\\') + 1);
  std::string hst = folder + oldBase + ".HST";
  int fd = open(hst.c_str(), O_RDWR);
  if (fd < 0) Die("open " + hst);
  morvelle::HstHeader header;
  if (pread(fd, header.bytes.data(), morvelle::kHstHeaderSize, 0) !=
      static_cast<ssize_t>(morvelle::kHstHeaderSize))
    Die("read " + hst);
  TrendLayout layout = *morvelle::LayoutForVersion(header.Version());
  std::size_t entries = header.EntryCount() + header.ExtraCount();
  std::string table(entries * layout.entrySize, '\0');
  if (pread(fd, table.data(), table.size(), morvelle::kFileTableOffset) < 0)
    Die("read " + hst);
  for (int i = 0; i < header.EntryCount(); ++i) {
    std::string entry = table.substr(i * layout.entrySize, layout.entrySize);
    morvelle::RewriteEntry(&entry, newPath, newTag, layout);
    table.replace(i * layout.entrySize, layout.entrySize, entry);
  }
  if (pwrite(fd, table.data(), table.size(), morvelle::kFileTableOffset) < 0)
    Die("write " + hst);
  close(fd);
  Rename(hst, folder + new_name + ".HST");

  std::string data(layout.dataHeaderSize, '\0');
  for (const std::string& name : dataFiles) {
    std::string path = folder + name;
    fd = open(path.c_str(), O_RDWR);
    if (fd < 0) Die("open " + path);
    if (pread(fd, data.data(), data.size(), 0) < 0) Die("read " + path);
    morvelle::StoreField(&data, layout.DataTag(), newTag);
    if (pwrite(fd, data.data(), data.size(), 0) < 0) Die("write " + path);
    close(fd);
    Rename(path, folder + new_name + name.substr(oldBase.size()));
  }
}

// Reads `size` bytes at 0 of `path`; the bytes read.
std::string ReadHead(const std::string& path, std::size_t size) {
  int fd = open(path.c_str(), O_RDONLY);
  if (fd < 0) Die("open " + path);
  std::string bytes(size, '\0');
  ssize_t got = pread(fd, bytes.data(), size, 0);
  if (got < 0) Die("read " + path);
  close(fd);
  bytes.resize(static_cast<std::size_t>(got));
  return bytes;
}

void ReadFolder(std::string folder) {
  if (folder.back() != '/') folder += '/';
  for (const auto& [base, dataFiles] : ListDataFiles(folder)) {
    std::string hst = folder + base + ".HST";
    std::string head = ReadHead(hst, 64 * 1024);
    morvelle::HstHeader header;
    header.bytes = head.substr(0, morvelle::kHstHeaderSize);
    header.bytes.resize(morvelle::kHstHeaderSize, '\0');
    TrendLayout layout = *morvelle::LayoutForVersion(header.Version());
    for (const std::string& name : dataFiles)
      ReadHead(folder + name, layout.dataHeaderSize);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--read") == 0) {
    ReadFolder(argv[2]);
    return 0;
  }
  if (argc < 5 || (argc - 2) % 3 != 0) {
    std::fprintf(stderr,
                 "usage: morvelle_floor FOLDER OLDBASE NEWPATH NEWTAG ...\n");
    return 2;
  }
  std::string folder = argv[1];
  if (folder.back() != '/') folder += '/';
  auto by_base = ListDataFiles(folder);
  for (int i = 2; i + 2 < argc; i += 3)
    RenameTrend(folder, argv[i], argv[i + 1], argv[i + 2], by_base[argv[i]]);
  return 0;
}
