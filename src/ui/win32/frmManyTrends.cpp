#include "ui/win32/frmManyTrends.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shlobj.h>

#include <initializer_list>
#include <utility>

#include "app/AppInfo.h"
#include "platform/Env.h"
#include "platform/WideText.h"

namespace morvelle {
namespace {

constexpr const wchar_t* kClassName = L"MorvelleManyTrends";
constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_CONTROLPARENT;
// The worker's end, and its progress (wParam done, lParam total).
constexpr UINT kWorkerDone = WM_APP;
constexpr UINT kWorkerProgress = WM_APP + 1;

enum Id {
  kFolderLabel = 200,
  kFolder,
  kBrowse,
  kList,
  kNewTagLabel,
  kNewTag,
  kNewPathLabel,
  kNewPath,
  kSet,
  kFindLabel,
  kFind,
  kReplaceLabel,
  kReplaceWith,
  kIn,
  kMatchCase,
  kReplace,
  kStatus,
  kProgress,
  kCancel,
  kImport,
  kExport,
  kUndo,
  kRename,
  kClose,
  kRecover,
};

struct ChildControl {
  int id;
  const wchar_t* className;
  const char* caption;
  DWORD style;
  DWORD exStyle;
};

constexpr DWORD kButton = WS_TABSTOP | BS_PUSHBUTTON;
constexpr DWORD kEdit = WS_TABSTOP | ES_AUTOHSCROLL;
constexpr DWORD kLabel = SS_LEFT | SS_CENTERIMAGE;

// In the order of the tab stops.
const ChildControl kChildren[] = {
    {kFolderLabel, L"STATIC", ManyCaptions::kFolder, kLabel, 0},
    {kFolder, L"EDIT", "", kEdit | ES_READONLY, WS_EX_CLIENTEDGE},
    {kBrowse, L"BUTTON", ManyCaptions::kBrowse, kButton, 0},
    {kRecover, L"BUTTON", ManyCaptions::kRecover, kButton, 0},
    {kList, WC_LISTVIEWW, "", WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS,
     WS_EX_CLIENTEDGE},
    {kNewTagLabel, L"STATIC", "&New tag:", kLabel, 0},
    {kNewTag, L"EDIT", "", kEdit, WS_EX_CLIENTEDGE},
    {kNewPathLabel, L"STATIC", "New pa&th:", kLabel, 0},
    {kNewPath, L"EDIT", "", kEdit, WS_EX_CLIENTEDGE},
    {kSet, L"BUTTON", "&Set", kButton, 0},
    {kFindLabel, L"STATIC", ManyCaptions::kFind, kLabel, 0},
    {kFind, L"EDIT", "", kEdit, WS_EX_CLIENTEDGE},
    {kReplaceLabel, L"STATIC", ManyCaptions::kReplaceWith, kLabel, 0},
    {kReplaceWith, L"EDIT", "", kEdit, WS_EX_CLIENTEDGE},
    {kIn, L"COMBOBOX", "", WS_TABSTOP | CBS_DROPDOWNLIST | WS_VSCROLL, 0},
    {kMatchCase, L"BUTTON", ManyCaptions::kMatchCase,
     WS_TABSTOP | BS_AUTOCHECKBOX, 0},
    {kReplace, L"BUTTON", ManyCaptions::kReplace, kButton, 0},
    {kStatus, L"STATIC", "", kLabel | SS_NOPREFIX, 0},
    {kProgress, PROGRESS_CLASSW, "", 0, 0},
    {kCancel, L"BUTTON", ManyCaptions::kCancel, kButton, 0},
    {kImport, L"BUTTON", ManyCaptions::kImport, kButton, 0},
    {kExport, L"BUTTON", ManyCaptions::kExport, kButton, 0},
    {kUndo, L"BUTTON", ManyCaptions::kUndo, kButton, 0},
    {kRename, L"BUTTON", ManyCaptions::kRename, kButton, 0},
    {kClose, L"BUTTON", ManyCaptions::kClose, kButton, 0},
};

// A row of controls: each with its width in pixels at 96 dpi, 0 sharing
// what the others leave.
using ControlRow = std::initializer_list<std::pair<int, int>>;
constexpr ControlRow kFolderRow = {
    {kFolderLabel, 50}, {kFolder, 0}, {kBrowse, 90}, {kRecover, 90}};
constexpr ControlRow kNewRow = {{kNewTagLabel, 60},
                                {kNewTag, 0},
                                {kNewPathLabel, 64},
                                {kNewPath, 0},
                                {kSet, 60}};
constexpr ControlRow kReplaceRow = {
    {kFindLabel, 36}, {kFind, 0},       {kReplaceLabel, 82}, {kReplaceWith, 0},
    {kIn, 120},       {kMatchCase, 90}, {kReplace, 160}};
constexpr ControlRow kBottomRow = {
    {kStatus, 0},   {kProgress, 140}, {kCancel, 70}, {kImport, 100},
    {kExport, 100}, {kUndo, 100},     {kRename, 80}, {kClose, 70}};

std::string PickFolder(HWND owner) {
  BROWSEINFOW info{};
  info.hwndOwner = owner;
  info.ulFlags = BIF_RETURNONLYFSDIRS;
  PIDLIST_ABSOLUTE list = SHBrowseForFolderW(&info);
  if (!list) return "";
  wchar_t path[MAX_PATH] = L"";
  bool got = SHGetPathFromIDListW(list, path);
  CoTaskMemFree(list);
  return got ? Utf8FromWide(path) : "";
}

// The list the user picks to import, or the new file to export to.
std::string PickListFile(HWND owner, bool save) {
  wchar_t path[32768] = L"";
  OPENFILENAMEW request{};
  request.lStructSize = sizeof request;
  request.hwndOwner = owner;
  request.lpstrFilter = L"CSV lists (*.csv)\0*.csv\0All Files (*.*)\0*.*\0";
  request.lpstrFile = path;
  request.nMaxFile = static_cast<DWORD>(std::size(path));
  request.lpstrDefExt = L"csv";
  request.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST |
                  (save ? 0 : OFN_FILEMUSTEXIST);
  bool picked = save ? GetSaveFileNameW(&request) : GetOpenFileNameW(&request);
  return picked ? Utf8FromWide(path) : "";
}

// The user's application-data folder for runs, made when missing, with its
// separator at the end.
std::string RunFolder() {
  wchar_t appData[MAX_PATH] = L"";
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, appData)))
    return "";
  std::wstring folder = std::wstring(appData) + L"\\Morvelle";
  CreateDirectoryW(folder.c_str(), nullptr);
  folder += L"\\Runs";
  CreateDirectoryW(folder.c_str(), nullptr);
  return Utf8FromWide(folder) + "\\";
}

}  // namespace

frmManyTrends::frmManyTrends(Env& env) : env_(env), model_(env) {}

frmManyTrends::~frmManyTrends() {
  stop_ = true;
  if (worker_.joinable()) worker_.join();
  if (window_) DestroyWindow(window_);
}

bool frmManyTrends::Create(HWND owner, const std::string& folder,
                           bool quitOnClose) {
  quitOnClose_ = quitOnClose;
  RegisterWindowClass(kClassName, &WindowProcedure<frmManyTrends>);
  UINT dpi = owner ? WindowDpi(owner) : 96;
  window_ = CreateWindowExW(
      kExStyle, kClassName, Wide(kManyTrendsTitle).c_str(), kStyle,
      CW_USEDEFAULT, CW_USEDEFAULT, MulDiv(1000, dpi, 96), MulDiv(560, dpi, 96),
      owner, nullptr, GetModuleHandleW(nullptr), this);
  if (!window_) return false;
  CreateControls();
  LayOut();
  if (!folder.empty()) LoadFolder(folder);
  EnableControls();
  ShowWindow(window_, SW_SHOWNORMAL);
  SetFocus(Control(kList));
  return true;
}

bool frmManyTrends::TranslateDialogKeys(MSG* message) {
  return window_ && IsDialogMessageW(window_, message);
}

void frmManyTrends::CreateControls() {
  for (const ChildControl& child : kChildren)
    NewChild(window_, child.className, child.caption, child.style,
             child.exStyle, child.id);
  HWND list = Control(kList);
  ListView_SetExtendedListViewStyle(list,
                                    LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
  for (int column = 0; column < kManyColumnCount; ++column) {
    std::wstring title = Wide(kManyColumnTitles[column]);
    LVCOLUMNW header{};
    header.mask = LVCF_TEXT | LVCF_WIDTH;
    header.cx = MulDiv(column == kManyColumnCount - 1 ? 300 : 130,
                       WindowDpi(window_), 96);
    header.pszText = title.data();
    ListView_InsertColumn(list, column, &header);
  }
  for (const char* where : ManyCaptions::kIn)
    SendMessageW(Control(kIn), CB_ADDSTRING, 0,
                 reinterpret_cast<LPARAM>(Wide(where).c_str()));
  SendMessageW(Control(kIn), CB_SETCURSEL,
               static_cast<WPARAM>(ReplaceIn::kBoth), 0);
  fonts_.Make(WindowDpi(window_), {});
  for (const ChildControl& child : kChildren)
    SetFont(Control(child.id), fonts_.normal());
}

void frmManyTrends::LayOut() {
  RECT client;
  GetClientRect(window_, &client);
  UINT dpi = WindowDpi(window_);
  auto px = [dpi](int pixels) { return MulDiv(pixels, dpi, 96); };
  const int margin = px(8), height = px(23), gap = px(6);
  auto place_row = [&](const ControlRow& row, int top) {
    int fixed = 0, shared = 0;
    for (auto [id, width] : row) {
      fixed += px(width) + gap;
      shared += width == 0 ? 1 : 0;
    }
    int share =
        (client.right - 2 * margin - fixed + gap) / (shared == 0 ? 1 : shared);
    int left = margin;
    for (auto [id, width] : row) {
      int w = width == 0 ? share : px(width);
      PlaceControl(Control(id), {left, top, left + w, top + height});
      left += w + gap;
    }
  };
  place_row(kFolderRow, margin);
  int bottom = client.bottom - margin - height;
  place_row(kBottomRow, bottom);
  place_row(kReplaceRow, bottom - (height + gap));
  place_row(kNewRow, bottom - 2 * (height + gap));
  int list_top = margin + height + gap;
  PlaceControl(Control(kList), {margin, list_top, client.right - margin,
                                bottom - 2 * (height + gap) - gap});
}

LRESULT frmManyTrends::Handle(HWND window, UINT message, WPARAM wParam,
                              LPARAM lParam) {
  switch (message) {
    case WM_SIZE:
      if (window_) LayOut();
      return 0;
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED) OnCommand(LOWORD(wParam));
      return 0;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->idFrom != kList) return 0;
      if (header->code == LVN_ITEMCHANGED &&
          (reinterpret_cast<const NMLISTVIEW*>(lParam)->uNewState &
           LVIS_FOCUSED))
        ShowFocusedRow();
      // Ctrl+A selects every row, as find and replace over all of them
      // needs; a list view has no such key of its own.
      if (header->code == LVN_KEYDOWN &&
          reinterpret_cast<const NMLVKEYDOWN*>(lParam)->wVKey == 'A' &&
          GetKeyState(VK_CONTROL) < 0)
        ListView_SetItemState(Control(kList), -1, LVIS_SELECTED, LVIS_SELECTED);
      return 0;
    }
    // What a label's access key sends, through IsDialogMessage: this is
    // not a dialog box, so its focus is moved here, to the control after
    // the label.
    case WM_NEXTDLGCTL:
      SetFocus(LOWORD(lParam)
                   ? reinterpret_cast<HWND>(wParam)
                   : GetNextDlgTabItem(window, GetFocus(), wParam != 0));
      return 0;
    case kWorkerProgress:
      SendMessageW(Control(kProgress), PBM_SETRANGE32, 0, lParam);
      SendMessageW(Control(kProgress), PBM_SETPOS, wParam, 0);
      return 0;
    case kWorkerDone:
      WorkerDone();
      return 0;
    case WM_CLOSE:
      stop_ = true;  // a run in progress stops at its trend
      DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      if (quitOnClose_) PostQuitMessage(0);
      break;
    case WM_NCDESTROY:
      window_ = nullptr;
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

void frmManyTrends::OnCommand(int id) {
  switch (id) {
    case kBrowse: {
      std::string folder = PickFolder(window_);
      if (!folder.empty()) LoadFolder(folder);
      break;
    }
    case kSet:
      SetFocusedRow();
      break;
    case kReplace:
      Replace();
      break;
    case kImport:
      Import();
      break;
    case kExport:
      Export();
      break;
    case kRename:
    case kUndo:
      StartRun(id == kUndo);
      break;
    case kRecover:
      StartRecover();
      break;
    case kCancel:
      stop_ = true;
      break;
    case kClose:
      SendMessageW(window_, WM_CLOSE, 0, 0);
      break;
  }
}

void frmManyTrends::LoadFolder(const std::string& folder) {
  std::string problem;
  if (!model_.Load(folder, &problem)) {
    ShowMessage(MB_ICONERROR, problem);
    return;
  }
  SetTextOf(Control(kFolder), model_.folder());
  std::string unreadable;
  for (const UnreadableTrend& trend : model_.unreadable())
    unreadable += "\n" + trend.hstPath + ": " + trend.reason.ToString();
  if (!unreadable.empty())
    ShowMessage(
        MB_ICONEXCLAMATION,
        "These trends could not be read and are not shown:" + unreadable);
  FillList();
}

void frmManyTrends::FillList() {
  HWND list = Control(kList);
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  ListView_DeleteAllItems(list);
  for (std::size_t row = 0; row < model_.rows().size(); ++row) {
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(row);
    std::wstring file = Wide(model_.Cell(row, ManyColumn::kFile));
    item.pszText = file.data();
    ListView_InsertItem(list, &item);
    for (int column = 1; column < kManyColumnCount; ++column) {
      std::wstring text =
          Wide(model_.Cell(row, static_cast<ManyColumn>(column)));
      ListView_SetItemText(list, static_cast<int>(row), column, text.data());
    }
  }
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  ShowFocusedRow();
  RequestPlan();
}

void frmManyTrends::ShowStates() {
  HWND list = Control(kList);
  const int state = static_cast<int>(ManyColumn::kState);
  for (std::size_t row = 0; row < model_.rows().size(); ++row) {
    std::wstring text = Wide(model_.Cell(row, ManyColumn::kState));
    ListView_SetItemText(list, static_cast<int>(row), state, text.data());
  }
  EnableControls();
}

void frmManyTrends::ShowFocusedRow() {
  int row = ListView_GetNextItem(Control(kList), -1, LVNI_FOCUSED);
  bool any = row >= 0 && static_cast<std::size_t>(row) < model_.rows().size();
  SetTextOf(Control(kNewTag), any ? model_.rows()[row].newTag : "");
  SetTextOf(Control(kNewPath), any ? model_.rows()[row].newPath : "");
}

void frmManyTrends::SetFocusedRow() {
  HWND list = Control(kList);
  int row = ListView_GetNextItem(list, -1, LVNI_FOCUSED);
  if (row < 0 || static_cast<std::size_t>(row) >= model_.rows().size()) return;
  for (auto [id, column] : {std::pair{kNewTag, ManyColumn::kNewTag},
                            std::pair{kNewPath, ManyColumn::kNewPath}}) {
    model_.SetNewValue(row, column, TextOf(Control(id)));
    std::wstring text = Wide(model_.Cell(row, column));
    ListView_SetItemText(list, row, static_cast<int>(column), text.data());
  }
  ShowStates();
  RequestPlan();
}

void frmManyTrends::Replace() {
  std::vector<std::size_t> selected;
  HWND list = Control(kList);
  for (int row = -1;
       (row = ListView_GetNextItem(list, row, LVNI_SELECTED)) >= 0;)
    selected.push_back(static_cast<std::size_t>(row));
  if (selected.empty()) {
    ShowMessage(MB_ICONEXCLAMATION,
                "Select the rows to replace in first (Ctrl+A selects all).");
    return;
  }
  Replacement r{
      TextOf(Control(kFind)), TextOf(Control(kReplaceWith)),
      static_cast<ReplaceIn>(SendMessageW(Control(kIn), CB_GETCURSEL, 0, 0)),
      SendMessageW(Control(kMatchCase), BM_GETCHECK, 0, 0) == BST_CHECKED};
  if (model_.Replace(selected, r) == 0) {
    ShowMessage(0, "'" + r.find + "' is not in the selected rows.");
    return;
  }
  FillList();
  for (std::size_t row : selected)
    ListView_SetItemState(list, static_cast<int>(row), LVIS_SELECTED,
                          LVIS_SELECTED);
}

void frmManyTrends::Import() {
  std::string path = PickListFile(window_, false);
  if (path.empty()) return;
  std::string text;
  for (const std::string& problem : model_.Import(path)) text += problem + "\n";
  FillList();
  if (!text.empty()) ShowMessage(MB_ICONEXCLAMATION, text);
}

void frmManyTrends::Export() {
  std::string path = PickListFile(window_, true);
  if (path.empty()) return;
  Status s = model_.Export(path);
  if (!s.ok())
    ShowMessage(MB_ICONEXCLAMATION,
                "Could not export the list: " + s.ToString());
}

void frmManyTrends::StartRun(bool undo) {
  if (worker_.joinable()) return;
  std::string runs = RunFolder();
  RunFiles files;
  std::string problem;
  if (!PrepareRun(env_, runs, undo, model_.rows(), &files, &problem)) {
    ShowMessage(MB_ICONEXCLAMATION, problem);
    return;
  }
  running_ = true;
  stop_ = false;
  SendMessageW(Control(kProgress), PBM_SETPOS, 0, 0);
  StartWorker([this, files] {
    HWND window = window_;
    RunResult result = RunListFiles(
        env_, files, &stop_, [window](std::size_t done, std::size_t total) {
          PostMessageW(window, kWorkerProgress, done, total);
        });
    return std::function<void()>([this, result] { RunDone(result); });
  });
}

void frmManyTrends::StartRecover() {
  if (worker_.joinable()) return;
  running_ = recovering_ = true;
  StartWorker([this, folder = model_.folder()] {
    RunResult result = RecoverTrends(env_, folder);
    return std::function<void()>([this, result] { RunDone(result); });
  });
}

void frmManyTrends::RunDone(const RunResult& result) {
  running_ = recovering_ = false;
  ShowMessage(result.status == 0 ? 0 : MB_ICONEXCLAMATION, result.text);
  LoadFolder(model_.folder());
}

void frmManyTrends::RequestPlan() {
  if (worker_.joinable()) {
    planAgain_ = true;
    return;
  }
  planAgain_ = false;
  std::uint64_t generation = model_.generation();
  StartWorker([this, generation, rows = model_.rows()] {
    std::vector<RowStatus> states = PlanRows(env_, rows);
    return std::function<void()>(
        [this, generation, states = std::move(states)]() mutable {
          if (model_.SetStates(generation, std::move(states))) ShowStates();
          if (planAgain_ || generation != model_.generation()) RequestPlan();
        });
  });
}

void frmManyTrends::StartWorker(std::function<std::function<void()>()> job) {
  HWND window = window_;
  worker_ = std::thread([this, window, job = std::move(job)] {
    workerDone_ = job();
    PostMessageW(window, kWorkerDone, 0, 0);
  });
  EnableControls();
}

void frmManyTrends::WorkerDone() {
  worker_.join();
  std::function<void()> done = std::move(workerDone_);
  done();
  EnableControls();
}

void frmManyTrends::EnableControls() {
  const bool idle = !running_;
  for (int id : {kBrowse, kList, kSet, kReplace, kImport, kExport, kUndo})
    EnableWindow(Control(id), idle);
  EnableWindow(Control(kRename),
               idle && !worker_.joinable() && model_.CanRename());
  EnableWindow(Control(kRecover), !worker_.joinable() && model_.CanRecover());
  EnableWindow(Control(kCancel), running_ && !recovering_);
  SetTextOf(Control(kStatus), !running_     ? model_.StatusLine()
                              : recovering_ ? "Recovering..."
                                            : "Renaming...");
}

void frmManyTrends::ShowMessage(UINT icon, const std::string& text) {
  MessageBoxW(window_, Wide(text).c_str(), Wide(kApplicationTitle).c_str(),
              MB_OK | icon);
}

}  // namespace morvelle
