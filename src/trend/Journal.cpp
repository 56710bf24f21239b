#include "trend/Journal.h"

#include <algorithm>
#include <array>

#include "trend/FileTools.h"
#include "trend/HistoryFile.h"

namespace morvelle {
namespace {

constexpr std::string_view kPlanMagic = "MVJPLAN1";
constexpr std::string_view kOldTagMagic = "MVJOLD01";
constexpr std::string_view kLeftChangedMagic = "MVJLEFT1";
constexpr std::size_t kFrameHeaderSize = 8;
// Names tried for a new journal before the run gives up: each is taken
// only by a run in progress or an interrupted one.
constexpr int kJournalNamesTried = 1000;

constexpr std::array<std::uint32_t, 256> MakeCrcTable() {
  std::array<std::uint32_t, 256> table{};
  for (std::uint32_t i = 0; i < 256; ++i) {
    std::uint32_t c = i;
    for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    table[i] = c;
  }
  return table;
}

// CRC-32 as zlib computes it.
std::uint32_t Crc32(std::string_view data) {
  static constexpr std::array<std::uint32_t, 256> kTable = MakeCrcTable();
  std::uint32_t c = 0xFFFFFFFFu;
  for (char byte : data)
    c = kTable[(c ^ static_cast<unsigned char>(byte)) & 0xFF] ^ (c >> 8);
  return c ^ 0xFFFFFFFFu;
}

void PutNumber(std::string* out, std::uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i)
    out->push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}
void PutU32(std::string* out, std::uint64_t value) { PutNumber(out, value, 4); }
void PutU64(std::string* out, std::uint64_t value) { PutNumber(out, value, 8); }
void PutString(std::string* out, std::string_view text) {
  PutU32(out, text.size());
  out->append(text);
}

std::string Frame(std::string_view payload) {
  std::string frame;
  frame.reserve(kFrameHeaderSize + payload.size());
  PutU32(&frame, payload.size());
  PutU32(&frame, Crc32(payload));
  frame.append(payload);
  return frame;
}

// Reads what Put* wrote; once anything is missing every later read fails
// too, so a caller checks ok() once at the end.
class Reader {
 public:
  explicit Reader(std::string_view data) : data_(data) {}

  bool ok() const { return ok_; }
  bool AtEnd() const { return pos_ == data_.size(); }

  std::uint64_t Number(int bytes) {
    if (!Has(static_cast<std::size_t>(bytes))) return 0;
    std::uint64_t value = 0;
    for (int i = 0; i < bytes; ++i)
      value |= std::uint64_t{static_cast<unsigned char>(data_[pos_ + i])}
               << (8 * i);
    pos_ += static_cast<std::size_t>(bytes);
    return value;
  }
  std::uint32_t U32() { return static_cast<std::uint32_t>(Number(4)); }
  std::uint64_t U64() { return Number(8); }
  std::string_view Bytes(std::size_t n) {
    if (!Has(n)) return {};
    std::string_view bytes = data_.substr(pos_, n);
    pos_ += n;
    return bytes;
  }
  std::string String() { return std::string(Bytes(U32())); }

 private:
  bool Has(std::size_t n) {
    ok_ = ok_ && data_.size() - pos_ >= n;
    return ok_;
  }

  std::string_view data_;
  std::size_t pos_ = 0;
  bool ok_ = true;
};

// The payload of the next whole frame with a sound checksum, or nothing.
std::optional<std::string_view> NextFrame(Reader& reader) {
  std::uint32_t size = reader.U32();
  std::uint32_t crc = reader.U32();
  std::string_view payload = reader.Bytes(size);
  if (!reader.ok() || Crc32(payload) != crc) return std::nullopt;
  return payload;
}

std::optional<JournalTrend> ReadTrend(Reader& r) {
  JournalTrend trend;
  trend.undoRow = r.String();
  JournalFile& history = trend.files.emplace_back();
  history.oldName = r.String();
  history.newName = r.String();
  history.offset = r.U64();
  history.oldBytes = r.String();
  history.newBytes = r.String();
  const std::uint64_t tag_offset = r.U64();
  const std::string new_tag = r.String();
  const std::string foreseen = r.String();
  const std::uint32_t count = r.U32();
  for (std::uint32_t i = 0; r.ok() && i < count; ++i) {
    JournalFile& file = trend.files.emplace_back();
    file.oldName = r.String();
    file.newName = r.String();
    file.offset = tag_offset;
    file.oldBytes = foreseen;
    file.newBytes = new_tag;
    file.oldKnown = false;
  }
  if (!r.ok()) return std::nullopt;
  return trend;
}

bool ReadPlan(std::string_view payload, Journal* journal) {
  Reader r(payload);
  if (r.Bytes(kPlanMagic.size()) != kPlanMagic) return false;
  journal->undoListPath = r.String();
  const std::uint32_t count = r.U32();
  for (std::uint32_t i = 0; r.ok() && i < count; ++i) {
    std::optional<JournalTrend> trend = ReadTrend(r);
    if (!trend) return false;
    journal->trends.push_back(std::move(*trend));
  }
  return r.ok() && r.AtEnd();
}

// A frame after the plan: magic, trend number, count, then per file its
// number in the plan and, for old Tags, the Tag. One whose numbers are out
// of range was never written by a run of this journal; it is ignored as a
// damaged one is.
void ReadFileFrame(std::string_view payload, Journal* journal) {
  Reader r(payload);
  const std::string_view magic = r.Bytes(kOldTagMagic.size());
  const bool old_tags = magic == kOldTagMagic;
  if (!old_tags && magic != kLeftChangedMagic) return;
  const std::uint32_t trend = r.U32();
  const std::uint32_t count = r.U32();
  if (!r.ok() || trend >= journal->trends.size()) return;
  std::vector<JournalFile>& files = journal->trends[trend].files;
  std::vector<std::pair<std::uint32_t, std::string>> read;
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint32_t number = r.U32();
    std::string old = old_tags ? r.String() : std::string();
    if (!r.ok() || number >= files.size() || (old_tags && number == 0)) return;
    read.emplace_back(number, std::move(old));
  }
  for (auto& [number, old] : read) {
    if (!old_tags) {
      files[number].leftChanged = true;
      continue;
    }
    files[number].oldBytes = std::move(old);
    files[number].oldKnown = true;
  }
  journal->trends[trend].accounted |= !old_tags;
}

// Entry 0's Tag in the old table, as a view: it is asked of every data
// file the run opens.
std::string_view ForeseenDataTag(const RenamePlan& plan) {
  const FieldSpan tag = plan.layout.EntryTag();
  return std::string_view(plan.files.front().oldBytes)
      .substr(tag.offset, tag.width);
}

void PutTrend(const RenamePlan& plan, std::string_view undoRow,
              std::string* out) {
  PutString(out, undoRow);
  const FileChange& history = plan.files.front();
  PutString(out, FileNameOf(history.path));
  PutString(out, FileNameOf(history.newPath));
  PutU64(out, history.offset);
  PutString(out, history.oldBytes);
  PutString(out, plan.newTable);
  PutU64(out, plan.layout.dataTagOffset);
  PutString(out, plan.dataTagBytes);
  PutString(out, ForeseenDataTag(plan));
  PutU32(out, plan.files.size() - 1);
  for (std::size_t i = 1; i < plan.files.size(); ++i) {
    PutString(out, FileNameOf(plan.files[i].path));
    PutString(out, FileNameOf(plan.files[i].newPath));
  }
}

}  // namespace

bool IsJournalName(std::string_view name) {
  return name.size() > kJournalPrefix.size() &&
         name.starts_with(kJournalPrefix);
}

Journal DecodeJournal(std::string_view bytes) {
  Journal journal;
  Reader reader(bytes);
  std::optional<std::string_view> plan = NextFrame(reader);
  if (!plan || !ReadPlan(*plan, &journal)) return Journal();
  journal.whole = true;
  while (std::optional<std::string_view> frame = NextFrame(reader))
    ReadFileFrame(*frame, &journal);
  return journal;
}

std::string EncodePlanFrame(const std::vector<const RenamePlan*>& plans,
                            const std::string& undoListPath,
                            const std::vector<std::string>& rows) {
  std::string payload(kPlanMagic);
  PutString(&payload, undoListPath);
  PutU32(&payload, plans.size());
  for (std::size_t i = 0; i < plans.size(); ++i)
    PutTrend(*plans[i], rows.empty() ? "" : rows[i], &payload);
  return Frame(payload);
}

// ---- RunJournal ---------------------------------------------------------

RunJournal::~RunJournal() {
  for (FolderJournal& journal : journals_)
    if (journal.file) journal.file->Close();
}

Status RunJournal::Begin(const std::vector<const RenamePlan*>& plans,
                         const UndoListRows* undo) {
  // Folders in the order the plans first reach them, each with its plans
  // and their undo rows.
  struct InFolder {
    std::string folder;
    std::vector<const RenamePlan*> plans;
    std::vector<std::string> rows;
  };
  std::vector<InFolder> folders;
  for (std::size_t i = 0; i < plans.size(); ++i) {
    std::string folder = FolderOf(plans[i]->hstPath);
    auto it = std::find_if(folders.begin(), folders.end(),
                           [&](const auto& f) { return f.folder == folder; });
    if (it == folders.end())
      it = folders.insert(folders.end(), InFolder{folder, {}, {}});
    it->plans.push_back(plans[i]);
    if (undo) it->rows.push_back(undo->rows[i]);
  }
  for (const InFolder& in_folder : folders) {
    Status s = Create(in_folder.folder, in_folder.plans,
                      undo ? undo->path : std::string(), in_folder.rows);
    if (!s.ok()) {
      RemoveAll();
      return s;
    }
  }
  return Status::Ok();
}

Status RunJournal::Create(const std::string& folder,
                          const std::vector<const RenamePlan*>& plans,
                          const std::string& undoListPath,
                          const std::vector<std::string>& rows) {
  FolderJournal journal;
  Status s;
  for (int n = 1; n <= kJournalNamesTried; ++n) {
    journal.path = folder + std::string(kJournalPrefix) + std::to_string(n);
    s = env_.CreateNewFile(journal.path, &journal.file);
    if (s.kind() != ErrorKind::kAlreadyExists) break;
  }
  if (!s.ok()) return s;
  const std::string frame = EncodePlanFrame(plans, undoListPath, rows);
  journal.size = frame.size();
  s = journal.file->WriteAt(0, frame);
  if (s.ok()) s = journal.file->Sync();
  if (s.ok()) s = env_.SyncFolder(folder);
  for (std::size_t i = 0; i < plans.size(); ++i)
    trends_[plans[i]->hstPath] = {journals_.size(), i};
  journals_.push_back(std::move(journal));
  return s;
}

void RunJournal::RemoveAll() {
  for (FolderJournal& journal : journals_) {
    if (journal.file) journal.file->Close();
    journal.file.reset();
    env_.RemoveFile(journal.path);
  }
  journals_.clear();
  trends_.clear();
}

bool RunJournal::Foresees(const RenamePlan& plan,
                          std::string_view oldBytes) const {
  return oldBytes == ForeseenDataTag(plan);
}

Status RunJournal::AddOldBytes(const RenamePlan& plan,
                               const std::vector<std::size_t>& files) {
  std::string payload(kOldTagMagic);
  PutU32(&payload, trends_.at(plan.hstPath).trend);
  PutU32(&payload, files.size());
  for (std::size_t i : files) {
    PutU32(&payload, i);
    PutString(&payload, plan.files[i].oldBytes);
  }
  return Append(plan, payload);
}

Status RunJournal::AddLeftChanged(const RenamePlan& plan) {
  std::vector<std::size_t> changed;
  for (std::size_t i = 0; i < plan.files.size(); ++i)
    if (plan.files[i].stage != FileStage::kUntouched) changed.push_back(i);
  std::string payload(kLeftChangedMagic);
  PutU32(&payload, trends_.at(plan.hstPath).trend);
  PutU32(&payload, changed.size());
  for (std::size_t i : changed) PutU32(&payload, i);
  return Append(plan, payload);
}

Status RunJournal::Append(const RenamePlan& plan, std::string_view payload) {
  FolderJournal& journal = journals_[trends_.at(plan.hstPath).journal];
  const std::string frame = Frame(payload);
  Status s = journal.file->WriteAt(journal.size, frame);
  if (s.ok()) s = journal.file->Sync();
  if (s.ok()) journal.size += frame.size();
  return s;
}

Status RunJournal::SyncChanges() {
  for (const FolderJournal& journal : journals_) {
    Status s = env_.SyncFileSystem(FolderOf(journal.path));
    if (!s.ok()) return s;
  }
  return Status::Ok();
}

RunJournal::End RunJournal::Finish(bool keep, bool sync) {
  End end;
  if (sync && !keep) end.flush = SyncChanges();
  keep = keep || !end.flush.ok();
  for (FolderJournal& journal : journals_) {
    // Closed first: Windows removes no file that is open without sharing.
    // Its bytes were flushed as they were written, so a close that fails
    // loses none of them.
    journal.file->Close();
    journal.file.reset();
    if (keep) continue;
    Status removed = env_.RemoveFile(journal.path);
    // A recovery may have found the run whole and removed it meanwhile.
    if (removed.kind() != ErrorKind::kNotFound && end.removal.ok())
      end.removal = removed;
  }
  journals_.clear();
  return end;
}

}  // namespace morvelle
