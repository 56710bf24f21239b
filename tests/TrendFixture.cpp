#include "TrendFixture.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

namespace morvelle::testing {
namespace {

constexpr std::size_t kHeaderSize = 176;

std::string RandomBytes(std::mt19937& rng, std::size_t n) {
  std::string bytes(n, '\0');
  for (char& b : bytes) b = static_cast<char>(rng() & 0xFF);
  return bytes;
}

void PutInt16(std::string* bytes, std::size_t offset, int value) {
  (*bytes)[offset] = static_cast<char>(value & 0xFF);
  (*bytes)[offset + 1] = static_cast<char>((value >> 8) & 0xFF);
}

void Put(std::string* bytes, std::size_t offset, const std::string& value) {
  bytes->replace(offset, value.size(), value);
}

std::string ExtensionOfEntry(const TrendSpec& spec, int i) {
  return spec.dataExtensions.empty()
             ? "000"
             : spec.dataExtensions[i % spec.dataExtensions.size()];
}

std::string HistoryName(const TrendSpec& spec) {
  return spec.name + "." + spec.historyExtension;
}

}  // namespace

FixtureLayout FixtureLayoutFor(int version) {
  switch (version) {
    case 4:
      return {432, 272, 304, 64, 288, 160};
    case 5:
      return {288, 144, 160, 80, 272, 144};
    case 6:
      return {448, 272, 304, 80, 304, 160};
    default:
      return {240, 144, 160, 32, 224, 144};
  }
}

TempFolder::TempFolder() {
  static std::mt19937_64 rng(std::random_device{}());
  std::filesystem::path temp = std::filesystem::temp_directory_path();
  for (int attempt = 0; attempt < 100; ++attempt) {
    char name[32];
    std::snprintf(name, sizeof name, "morvelle-%012llx",
                  static_cast<unsigned long long>(rng() & 0xFFFFFFFFFFFFull));
    // create_directory is false, not an error, when the name is taken.
    if (std::filesystem::create_directory(temp / name)) {
      path_ = temp / name;
      return;
    }
  }
  throw std::runtime_error("cannot create a temporary folder");
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                               ignored);
  std::filesystem::remove_all(path_, ignored);
}

std::string TempFolder::File(const std::string& name) const {
  return Utf8Of(path_ / PathOf(name));
}

std::filesystem::path PathOf(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string Utf8Of(const std::filesystem::path& path) {
  std::u8string utf8 = path.u8string();
  return std::string(utf8.begin(), utf8.end());
}

std::string Field(const std::string& value, std::size_t width) {
  std::string field = value.substr(0, width);
  field.resize(width, '\0');
  return field;
}

std::string HistoryBytes(const TrendSpec& spec) {
  std::mt19937 rng(spec.seed);
  FixtureLayout layout = FixtureLayoutFor(spec.version);
  std::string bytes = RandomBytes(rng, kHeaderSize);
  PutInt16(&bytes, 138, spec.version);
  PutInt16(&bytes, 150, spec.entryCount);
  PutInt16(&bytes, 154, spec.extraCount);
  int entries = std::max(0, spec.entryCount + spec.extraCount);
  for (int i = 0; i < entries; ++i) {
    std::string entry = RandomBytes(rng, layout.entrySize);
    Put(&entry, 0,
        Field(spec.entryPath + "." + ExtensionOfEntry(spec, i),
              layout.pathWidth));
    Put(&entry, layout.entryTagOffset, Field(spec.tag, layout.tagWidth));
    bytes += entry;
  }
  return bytes;
}

std::string DataFileBytes(const TrendSpec& spec, std::size_t index) {
  std::mt19937 rng(spec.seed * 7919 + static_cast<std::uint32_t>(index) + 1);
  FixtureLayout layout = FixtureLayoutFor(spec.version);
  std::string bytes =
      RandomBytes(rng, layout.dataHeaderSize + spec.dataBodySize);
  Put(&bytes, layout.dataTagOffset, Field(spec.tag, layout.tagWidth));
  return bytes;
}

std::string WriteTrend(const std::filesystem::path& folder,
                       const TrendSpec& spec) {
  std::filesystem::path hst = folder / PathOf(HistoryName(spec));
  WriteFile(hst, HistoryBytes(spec));
  for (std::size_t i = 0; i < spec.dataExtensions.size(); ++i)
    WriteFile(folder / PathOf(spec.name + "." + spec.dataExtensions[i]),
              DataFileBytes(spec, i));
  return Utf8Of(hst);
}

void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + Utf8Of(path));
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

FolderImage ReadFolder(const std::filesystem::path& folder) {
  FolderImage image;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    if (entry.is_regular_file() && !entry.is_symlink())
      image[Utf8Of(entry.path().filename())] = ReadFile(entry.path());
  return image;
}

FolderImage ExpectedAfterRename(const TrendSpec& spec,
                                const FolderImage& before,
                                const std::string& newPath,
                                const std::string& newTag) {
  FixtureLayout layout = FixtureLayoutFor(spec.version);
  std::string newName = newPath.substr(newPath.find_last_of("\\/") + 1);
  FolderImage expected = before;

  std::string history = expected.at(HistoryName(spec));
  expected.erase(HistoryName(spec));
  for (int i = 0; i < spec.entryCount; ++i) {
    std::size_t entry = kHeaderSize + i * layout.entrySize;
    Put(&history, entry,
        Field(newPath + "." + ExtensionOfEntry(spec, i), layout.pathWidth));
    Put(&history, entry + layout.entryTagOffset,
        Field(newTag, layout.tagWidth));
  }
  expected[newName + ".HST"] = history;

  for (const std::string& extension : spec.dataExtensions) {
    std::string data = expected.at(spec.name + "." + extension);
    expected.erase(spec.name + "." + extension);
    Put(&data, layout.dataTagOffset, Field(newTag, layout.tagWidth));
    expected[newName + "." + extension] = data;
  }
  return expected;
}

}  // namespace morvelle::testing
