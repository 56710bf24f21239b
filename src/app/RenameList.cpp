#include "app/RenameList.h"

#include <algorithm>

#include "platform/Text.h"

namespace morvelle {
namespace {

constexpr std::size_t kValuesPerRow = 3;

constexpr std::string_view kUndoListMarker = "# Morvelle undo list";
static_assert(kUndoListHeader.starts_with(kUndoListMarker));

class ListParser {
 public:
  explicit ListParser(std::string_view text) : text_(text) {}

  RenameList Parse() {
    RenameList list;
    if (text_.substr(0, 3) == "\xEF\xBB\xBF") pos_ = 3;
    const bool undo_list = text_.substr(pos_).starts_with(kUndoListMarker);
    std::size_t nul = text_.find('\0');
    if (nul != std::string_view::npos) {
      list.errors.push_back(
          {LineOf(nul), "holds a NUL byte; save the list as UTF-8 text"});
      return list;
    }
    while (!AtEnd()) {
      if (SkipIgnoredLine()) continue;
      ListRow row;
      row.line = line_;
      std::vector<std::string> values;
      std::string error;
      if (!ReadValues(&values, &error)) {
        list.errors.push_back({row.line, error});
        if (unclosed_) break;
        continue;
      }
      if (undo_list && AtEnd() && text_.back() != '\n') {
        list.errors.push_back(
            {row.line,
             "has no line end: this undo list was cut short while it was "
             "written, so the row may lack the end of a value; restore its "
             "trend by hand"});
        continue;
      }
      if (values.size() != kValuesPerRow) {
        list.errors.push_back(
            {row.line, "has " + std::to_string(values.size()) +
                           " values; a row has three: history file, new "
                           "tag, new path"});
        continue;
      }
      row.request = {values[0], values[1], values[2]};
      list.rows.push_back(std::move(row));
    }
    return list;
  }

 private:
  bool AtEnd() const { return pos_ >= text_.size(); }

  std::size_t LineOf(std::size_t pos) const {
    std::string_view before = text_.substr(0, pos);
    return 1 + static_cast<std::size_t>(
                   std::count(before.begin(), before.end(), '\n'));
  }

  void SkipLine() {
    std::size_t end = text_.find('\n', pos_);
    pos_ = end == std::string_view::npos ? text_.size() : end + 1;
    ++line_;
  }

  // Skips the line at `pos_` when it is blank (spaces and tabs only) or a
  // comment.
  bool SkipIgnoredLine() {
    std::size_t first = text_.find_first_not_of(" \t\r", pos_);
    bool blank = first == std::string_view::npos || text_[first] == '\n';
    if (!blank && text_[pos_] != '#') return false;
    SkipLine();
    return true;
  }

  // One quoted value, `pos_` at its opening quote.
  bool ReadQuoted(std::string* value, std::string* error) {
    ++pos_;
    for (;;) {
      if (AtEnd()) {
        *error = "a quoted value is not closed";
        unclosed_ = true;
        return false;
      }
      char c = text_[pos_++];
      if (c == '"') {
        if (AtEnd() || text_[pos_] != '"') break;
        ++pos_;
      }
      if (c == '\n') ++line_;
      *value += c;
    }
    if (text_.substr(pos_, 2) == "\r\n") ++pos_;
    if (!AtEnd() && text_[pos_] != ',' && text_[pos_] != '\n') {
      *error = "text follows the closing double quote of a value";
      SkipLine();
      return false;
    }
    return true;
  }

  bool ReadPlain(std::string* value, std::string* error) {
    std::size_t end = std::min(text_.find_first_of(",\n", pos_), text_.size());
    *value = std::string(text_.substr(pos_, end - pos_));
    pos_ = end;
    if (!value->empty() && value->back() == '\r' &&
        (AtEnd() || text_[pos_] == '\n'))
      value->pop_back();
    if (value->find('"') != std::string::npos) {
      *error =
          "a value holds a double quote but does not start with one; quote "
          "the whole value and double the quotes inside";
      SkipLine();
      return false;
    }
    return true;
  }

  // The values of the row at `pos_`, up to the end of its line.
  bool ReadValues(std::vector<std::string>* values, std::string* error) {
    for (;;) {
      std::string value;
      bool read = !AtEnd() && text_[pos_] == '"' ? ReadQuoted(&value, error)
                                                 : ReadPlain(&value, error);
      if (!read) return false;
      values->push_back(std::move(value));
      if (AtEnd()) return true;
      if (text_[pos_++] == '\n') {
        ++line_;
        return true;
      }
    }
  }

  std::string_view text_;
  std::size_t pos_ = 0;
  std::size_t line_ = 1;
  bool unclosed_ = false;  // the rest of the text is inside a quoted value
};

}  // namespace

RenameList ParseRenameList(std::string_view text) {
  return ListParser(text).Parse();
}

Status ReadRenameList(Env& env, const std::string& path, RenameList* list) {
  std::string text;
  Status s = path == kStandardInputName
                 ? env.ReadStandardInput(kListSizeLimit, &text)
                 : env.ReadTextFile(path, kListSizeLimit, &text);
  *list = s.ok() ? ParseRenameList(text) : RenameList();
  return s;
}

std::string CsvValue(std::string_view value) {
  bool quote = value.find_first_of(",\"\r\n") != std::string_view::npos ||
               (!value.empty() && value.front() == '#');
  if (!quote) return std::string(value);
  std::string quoted = "\"";
  for (char c : value) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

std::string ListRowText(const RenameRequest& row) {
  return CsvValue(row.hstPath) + "," + CsvValue(row.newTag) + "," +
         CsvValue(row.newPath) + "\n";
}

std::string ListText(const std::vector<RenameRequest>& rows) {
  std::string text(kListColumnsComment);
  for (const RenameRequest& row : rows) text += ListRowText(row);
  return text;
}

Status WriteNewListFile(Env& env, const std::string& path,
                        std::string_view text) {
  std::unique_ptr<File> file;
  Status s = env.CreateNewFile(path, &file);
  if (s.ok()) s = file->WriteAt(0, text);
  if (!file) return s;
  Status closed = file->Close();
  return s.ok() ? closed : s;
}

std::string ListPlace(std::string_view path, std::size_t line) {
  return (path == kStandardInputName ? "(standard input)"
                                     : EscapeControlCharacters(path)) +
         ":" + std::to_string(line) + ": ";
}

Status UndoListFile::Create(const std::string& path) {
  Status s = env_.CreateNewFile(path, &file_);
  if (!s.ok()) return s;
  s = Put(kUndoListHeader);
  if (s.ok()) return s;
  file_.reset();
  Status removed = env_.RemoveFile(path);
  if (removed.ok()) return s;
  return Status::Error(
      s.kind(), s.operation(), s.path(),
      s.detail() + "; nor could the file be removed: " + removed.ToString());
}

Status UndoListFile::Add(const RenameRequest& undo) {
  return Put(ListRowText(undo));
}

Status UndoListFile::Close() {
  Status s = file_->Close();
  file_.reset();
  return s;
}

Status UndoListFile::Put(std::string_view text) {
  Status s = file_->WriteAt(size_, text);
  if (s.ok())
    size_ += text.size();
  else
    file_->Truncate(size_);
  return s;
}

}  // namespace morvelle
