#include "ui/win32/frmManyTrends.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shlobj.h>

#include <algorithm>
#include <array>
#include <initializer_list>
#include <utility>

#include "platform/WideText.h"
#include "ui/win32/frmRunReport.h"

namespace morvelle {
namespace {

constexpr const wchar_t* kClassName = L"MorvelleManyTrends";
constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_CONTROLPARENT;
// A task the worker posted is waiting.
constexpr UINT kPosted = WM_APP;

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
  kProblems,
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
    {kProblems, L"BUTTON", ManyCaptions::kProblemsOnly,
     WS_TABSTOP | BS_AUTOCHECKBOX, 0},
    {kProgress, PROGRESS_CLASSW, "", 0, 0},
    {kCancel, L"BUTTON", ManyCaptions::kCancel, kButton, 0},
    {kImport, L"BUTTON", ManyCaptions::kImport, kButton, 0},
    {kExport, L"BUTTON", ManyCaptions::kExport, kButton, 0},
    {kUndo, L"BUTTON", ManyCaptions::kUndo, kButton, 0},
    {kRename, L"BUTTON", ManyCaptions::kRename, kButton, 0},
    {kClose, L"BUTTON", ManyCaptions::kClose, kButton, 0},
};

// A row of controls: each with its width in twips, 0 sharing what the
// others leave. The status line has a row of its own, so that its counts
// are read whole at any dpi.
using ControlRow = std::initializer_list<std::pair<int, int>>;
constexpr ControlRow kFolderRow = {
    {kFolderLabel, 750}, {kFolder, 0}, {kBrowse, 1350}, {kRecover, 1350}};
constexpr ControlRow kNewRow = {{kNewTagLabel, 900},
                                {kNewTag, 0},
                                {kNewPathLabel, 960},
                                {kNewPath, 0},
                                {kSet, 900}};
constexpr ControlRow kReplaceRow = {{kFindLabel, 540},     {kFind, 0},
                                    {kReplaceLabel, 1230}, {kReplaceWith, 0},
                                    {kIn, 1800},           {kMatchCase, 1350},
                                    {kReplace, 2400}};
constexpr ControlRow kStatusRow = {{kStatus, 0}, {kProblems, 2400}};
constexpr ControlRow kBottomRow = {
    {kProgress, 0}, {kCancel, 1050}, {kImport, 1500}, {kExport, 1500},
    {kUndo, 1500},  {kRename, 1200}, {kClose, 1050}};
// The margin round the window, the height of a row and the gap between
// controls, in twips.
constexpr int kMargin = 120, kRowHeight = 345, kGap = 90;

// A drop-down list is as tall as its selection field, whose height
// follows the height of its items: this makes it `height` pixels, as tall
// as the boxes beside it, setting the item height by the difference seen
// until it is (Wine's field grows by more than the item height set).
void FitDropDown(HWND combo, int height) {
  LRESULT item =
      SendMessageW(combo, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0);
  for (int tries = 0; tries < 3 && item != CB_ERR; ++tries) {
    RECT field;
    GetWindowRect(combo, &field);
    const int off = height - (field.bottom - field.top);
    if (off == 0 || item + off <= 0) return;
    item += off;
    SendMessageW(combo, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), item);
  }
}

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
  return PickFile(owner, save,
                  L"CSV lists (*.csv)\0*.csv\0All Files (*.*)\0*.*\0", L"csv",
                  save ? 0 : OFN_FILEMUSTEXIST);
}

// The user's application-data folder for runs, made when missing, with its
// separator at the end.
std::string AppDataRunFolder() {
  wchar_t appData[MAX_PATH] = L"";
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, appData)))
    return "";
  std::wstring folder = std::wstring(appData) + L"\\Morvelle";
  CreateDirectoryW(folder.c_str(), nullptr);
  folder += L"\\Runs";
  CreateDirectoryW(folder.c_str(), nullptr);
  return Utf8FromWide(folder) + "\\";
}

int IdOf(ManyControl control) {
  switch (control) {
    case ManyControl::txtFolder:
      return kFolder;
    case ManyControl::cmdBrowse:
      return kBrowse;
    case ManyControl::grdTrends:
      return kList;
    case ManyControl::cmdReplace:
      return kReplace;
    case ManyControl::cmdImport:
      return kImport;
    case ManyControl::cmdExport:
      return kExport;
    case ManyControl::cmdUndo:
      return kUndo;
    case ManyControl::cmdRename:
      return kRename;
    case ManyControl::cmdRecover:
      return kRecover;
    case ManyControl::cmdCancel:
      return kCancel;
  }
  return 0;
}

}  // namespace

frmManyTrends::frmManyTrends(Env& env) : form_(*this, *this, env) {}

// The worker is joined by the form after the window is gone: what it
// posts meanwhile is dropped.
frmManyTrends::~frmManyTrends() {
  form_.Form_Unload();
  if (window_) DestroyWindow(window_);
}

bool frmManyTrends::Create(HWND owner, const std::string& folder,
                           bool quitOnClose) {
  quitOnClose_ = quitOnClose;
  RegisterWindowClass(kClassName, &WindowProcedure<frmManyTrends>);
  UINT dpi = WindowDpi(owner ? owner : GetDesktopWindow());
  SIZE size = OuterSize(kManyTrendsClient, kStyle, kExStyle, dpi);
  ScreenRect area = WorkAreaOf(owner ? owner : GetDesktopWindow());
  HWND window =
      CreateWindowExW(kExStyle, kClassName, Wide(kManyTrendsTitle).c_str(),
                      kStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                      std::min<int>(size.cx, area.right - area.left),
                      std::min<int>(size.cy, area.bottom - area.top), owner,
                      nullptr, GetModuleHandleW(nullptr), this);
  if (!window) return false;
  {
    std::lock_guard<std::mutex> lock(postedMutex_);
    window_ = window;
  }
  CreateControls();
  LayOut();
  form_.Form_Load(folder);
  ShowWindow(window_, SW_SHOWNORMAL);
  SetFocus(Control(kList));
  return true;
}

void frmManyTrends::Activate() const {
  if (IsIconic(window_)) ShowWindow(window_, SW_RESTORE);
  SetForegroundWindow(window_);
}

bool frmManyTrends::TranslateDialogKeys(MSG* message) {
  if (!window_) return false;
  if (message->message == WM_KEYDOWN && message->wParam == VK_F8 &&
      (message->hwnd == window_ || IsChild(window_, message->hwnd))) {
    NextProblem();
    return true;
  }
  return IsDialogMessageW(window_, message);
}

void frmManyTrends::CreateControls() {
  for (const ChildControl& child : kChildren)
    NewChild(window_, child.className, child.caption, child.style,
             child.exStyle, child.id);
  HWND list = Control(kList);
  ListView_SetExtendedListViewStyle(
      list, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES | LVS_EX_INFOTIP);
  for (int column = 0; column < kManyColumnCount; ++column) {
    std::wstring title = Wide(kManyColumnTitles[column]);
    LVCOLUMNW header{};
    header.mask = LVCF_TEXT;
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
  auto px = [dpi](int twips) { return PixelsAt(twips, static_cast<int>(dpi)); };
  const int margin = px(kMargin), height = px(kRowHeight), gap = px(kGap);
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
      // A drop-down's height is that of its list.
      int h = id == kIn ? 8 * height : height;
      PlaceControl(Control(id), {left, top, left + w, top + h});
      left += w + gap;
    }
  };
  place_row(kFolderRow, margin);
  int bottom = client.bottom - margin - height;
  place_row(kBottomRow, bottom);
  place_row(kStatusRow, bottom - (height + gap));
  place_row(kReplaceRow, bottom - 2 * (height + gap));
  place_row(kNewRow, bottom - 3 * (height + gap));
  FitDropDown(Control(kIn), height);
  int list_top = margin + height + gap;
  PlaceControl(Control(kList), {margin, list_top, client.right - margin,
                                bottom - 3 * (height + gap) - gap});
  SizeColumns();
}

void frmManyTrends::SizeColumns() {
  HWND list = Control(kList);
  RECT inside;
  GetClientRect(list, &inside);
  HDC dc = GetDC(list);
  HGDIOBJ old = SelectObject(dc, fonts_.normal());
  auto text_width = [dc](const std::string& text) {
    std::wstring wide = Wide(text);
    SIZE size{};
    GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()),
                          &size);
    return static_cast<int>(size.cx);
  };
  const int dpi = static_cast<int>(WindowDpi(window_));
  // Room for the vertical scroll bar when it is not there yet.
  const bool scrolls = GetWindowLongW(list, GWL_STYLE) & WS_VSCROLL;
  std::array<int, kManyColumnCount> widths = ColumnWidths(
      cells_,
      inside.right - (scrolls ? 0 : GetSystemMetrics(SM_CXVSCROLL) * dpi / 96),
      text_width, PixelsAt(kGap * 2, dpi));
  SelectObject(dc, old);
  ReleaseDC(list, dc);
  for (int column = 0; column < kManyColumnCount; ++column)
    ListView_SetColumnWidth(list, column, widths[column]);
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
      if (header->code == NM_CUSTOMDRAW)
        return OnCustomDraw(reinterpret_cast<NMLVCUSTOMDRAW*>(lParam));
      if (header->code == NM_KILLFOCUS || header->code == NM_SETFOCUS)
        InvalidateRect(Control(kList), nullptr, FALSE);
      if (header->code == LVN_COLUMNCLICK)
        SortOn(reinterpret_cast<const NMLISTVIEW*>(lParam)->iSubItem);
      if (header->code == LVN_GETINFOTIPW)
        RowTip(reinterpret_cast<NMLVGETINFOTIPW*>(lParam));
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
    case kPosted:
      RunPosted();
      return 0;
    // The close box and Close; the main window's close destroys the
    // window without asking.
    case WM_CLOSE:
      if (!form_.Form_QueryUnload()) return 0;
      form_.Form_Unload();
      DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      if (quitOnClose_) PostQuitMessage(0);
      break;
    case WM_NCDESTROY: {
      std::lock_guard<std::mutex> lock(postedMutex_);
      window_ = nullptr;
      break;
    }
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

void frmManyTrends::OnCommand(int id) {
  using Handler = void (ManyTrendsForm::*)();
  const std::pair<int, Handler> clicks[] = {
      {kBrowse, &ManyTrendsForm::cmdBrowse_Click},
      {kImport, &ManyTrendsForm::cmdImport_Click},
      {kExport, &ManyTrendsForm::cmdExport_Click},
      {kRename, &ManyTrendsForm::cmdRename_Click},
      {kUndo, &ManyTrendsForm::cmdUndo_Click},
      {kRecover, &ManyTrendsForm::cmdRecover_Click},
      {kCancel, &ManyTrendsForm::cmdCancel_Click}};
  for (auto [button, handler] : clicks)
    if (id == button) (form_.*handler)();
  if (id == kSet) SetFocusedRow();
  if (id == kProblems)
    form_.chkProblems_Click(
        SendMessageW(Control(kProblems), BM_GETCHECK, 0, 0) == BST_CHECKED);
  if (id == kReplace) Replace();
  if (id == kClose) SendMessageW(window_, WM_CLOSE, 0, 0);
}

LRESULT frmManyTrends::OnCustomDraw(NMLVCUSTOMDRAW* draw) const {
  switch (draw->nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
      return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
      return CDRF_NOTIFYSUBITEMDRAW;
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
      std::size_t row = draw->nmcd.dwItemSpec;
      bool state = draw->iSubItem == static_cast<int>(ManyColumn::kState);
      draw->clrText = state && row < stateColours_.size() ? stateColours_[row]
                                                          : CLR_DEFAULT;
      // A list without the focus draws its selection in the face colour,
      // hardly seen on white: the rows the user chose stay in the
      // highlight colours wherever the focus is.
      if ((draw->nmcd.uItemState & CDIS_SELECTED) &&
          GetFocus() != Control(kList)) {
        draw->nmcd.uItemState &= ~CDIS_SELECTED;
        draw->clrTextBk = GetSysColor(COLOR_HIGHLIGHT);
        if (draw->clrText == CLR_DEFAULT)
          draw->clrText = GetSysColor(COLOR_HIGHLIGHTTEXT);
      }
      return CDRF_NEWFONT;
    }
  }
  return CDRF_DODEFAULT;
}

std::optional<std::size_t> frmManyTrends::FocusedRow() const {
  int row = ListView_GetNextItem(Control(kList), -1, LVNI_FOCUSED);
  if (row < 0 || static_cast<std::size_t>(row) >= cells_.size())
    return std::nullopt;
  return static_cast<std::size_t>(row);
}

void frmManyTrends::ShowFocusedRow() {
  std::optional<std::size_t> row = FocusedRow();
  auto cell = [&](ManyColumn column) {
    return row ? cells_[*row][static_cast<int>(column)] : std::string();
  };
  SetTextOf(Control(kNewTag), cell(ManyColumn::kNewTag));
  SetTextOf(Control(kNewPath), cell(ManyColumn::kNewPath));
}

void frmManyTrends::SetFocusedRow() {
  if (std::optional<std::size_t> row = FocusedRow())
    form_.cmdSet_Click(*row, TextOf(Control(kNewTag)),
                       TextOf(Control(kNewPath)));
}

void frmManyTrends::NextProblem() { form_.grdTrends_NextProblem(FocusedRow()); }

// The form sorts; the header marks the column and the way.
void frmManyTrends::SortOn(int column) {
  form_.grdTrends_HeaderClick(static_cast<ManyColumn>(column));
  HWND header = ListView_GetHeader(Control(kList));
  for (int at = 0; at < kManyColumnCount; ++at) {
    HDITEMW item{};
    item.mask = HDI_FORMAT;
    Header_GetItem(header, at, &item);
    item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
    if (at == column)
      item.fmt |= form_.order().descending ? HDF_SORTDOWN : HDF_SORTUP;
    Header_SetItem(header, at, &item);
  }
}

// Every cell of the row under the mouse, whole, one line each.
void frmManyTrends::RowTip(NMLVGETINFOTIPW* tip) const {
  if (tip->iItem < 0 || static_cast<std::size_t>(tip->iItem) >= cells_.size())
    return;
  const ManyColumn state = ManyColumn::kState;
  std::string text;
  for (int column = 0; column < kManyColumnCount; ++column)
    text += std::string(column ? "\n" : "") + kManyColumnTitles[column] + ": " +
            (column == static_cast<int>(state) ? stateTips_[tip->iItem]
                                               : cells_[tip->iItem][column]);
  std::wstring wide = Wide(text);
  lstrcpynW(tip->pszText, wide.c_str(), tip->cchTextMax);
}

// The rows stay selected when the list is filled anew, as find and replace
// over the same rows again needs.
void frmManyTrends::Replace() {
  std::vector<std::size_t> selected;
  HWND list = Control(kList);
  for (int row = -1;
       (row = ListView_GetNextItem(list, row, LVNI_SELECTED)) >= 0;)
    selected.push_back(static_cast<std::size_t>(row));
  form_.cmdReplace_Click(
      selected,
      {TextOf(Control(kFind)), TextOf(Control(kReplaceWith)),
       static_cast<ReplaceIn>(SendMessageW(Control(kIn), CB_GETCURSEL, 0, 0)),
       SendMessageW(Control(kMatchCase), BM_GETCHECK, 0, 0) == BST_CHECKED});
  for (std::size_t row : selected)
    ListView_SetItemState(list, static_cast<int>(row), LVIS_SELECTED,
                          LVIS_SELECTED);
}

void frmManyTrends::RunPosted() {
  std::function<void()> task;
  {
    std::lock_guard<std::mutex> lock(postedMutex_);
    if (posted_.empty()) return;
    task = std::move(posted_.front());
    posted_.pop_front();
  }
  task();
}

void frmManyTrends::Post(std::function<void()> task) {
  std::lock_guard<std::mutex> lock(postedMutex_);
  if (!window_) return;
  posted_.push_back(std::move(task));
  PostMessageW(window_, kPosted, 0, 0);
}

void frmManyTrends::SetFolderText(const std::string& folder) {
  SetTextOf(Control(kFolder), folder);
}

void frmManyTrends::ShowTable(const ManyTable& cells) {
  cells_ = cells;
  HWND list = Control(kList);
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  ListView_DeleteAllItems(list);
  stateColours_.assign(cells.size(), CLR_DEFAULT);
  stateTips_.assign(cells.size(), std::string());
  for (std::size_t row = 0; row < cells.size(); ++row) {
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(row);
    std::wstring file = Wide(cells[row][0]);
    item.pszText = file.data();
    ListView_InsertItem(list, &item);
    for (int column = 1; column < kManyColumnCount; ++column)
      SetCell(row, static_cast<ManyColumn>(column), cells[row][column]);
  }
  SizeColumns();
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  ShowFocusedRow();
}

void frmManyTrends::SetCell(std::size_t row, ManyColumn column,
                            const std::string& text) {
  cells_.at(row)[static_cast<int>(column)] = text;
  std::wstring wide = Wide(text);
  ListView_SetItemText(Control(kList), static_cast<int>(row),
                       static_cast<int>(column), wide.data());
}

// The colour first: setting the text draws the cell.
void frmManyTrends::ShowState(std::size_t row, const std::string& text,
                              std::optional<Colour> colour,
                              const std::string& tip) {
  stateColours_[row] =
      colour ? RGB(colour->red, colour->green, colour->blue) : CLR_DEFAULT;
  stateTips_[row] = tip;
  SetCell(row, ManyColumn::kState, text);
}

void frmManyTrends::SetStatusText(const std::string& text) {
  SetTextOf(Control(kStatus), text);
}

// The Set button goes with the list, whose New values it sets.
void frmManyTrends::SelectRow(std::size_t row) {
  HWND list = Control(kList);
  const int at = static_cast<int>(row);
  ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
  ListView_SetItemState(list, at, LVIS_SELECTED | LVIS_FOCUSED,
                        LVIS_SELECTED | LVIS_FOCUSED);
  ListView_EnsureVisible(list, at, FALSE);
  SetFocus(list);
}

void frmManyTrends::SetEnabled(ManyControl control, bool enabled) {
  EnableWindow(Control(IdOf(control)), enabled);
  if (control == ManyControl::grdTrends) EnableWindow(Control(kSet), enabled);
}

void frmManyTrends::ClearProgress() {
  SendMessageW(Control(kProgress), PBM_SETPOS, 0, 0);
}

void frmManyTrends::SetProgress(std::size_t done, std::size_t total) {
  SendMessageW(Control(kProgress), PBM_SETRANGE32, 0,
               static_cast<LPARAM>(total));
  SendMessageW(Control(kProgress), PBM_SETPOS, static_cast<WPARAM>(done), 0);
}

void frmManyTrends::ShowMessage(MessageLook look, const std::string& text) {
  ShowMessageBox(window_, look, text);
}

bool frmManyTrends::AskYesNo(const std::string& question) {
  return AskYesNoBox(window_, question);
}

void frmManyTrends::ShowReport(const RunReport& report) {
  frmRunReport(report).ShowModal(window_);
}

std::string frmManyTrends::AskPath(PathQuestion question) {
  if (question == PathQuestion::kFolder) return PickFolder(window_);
  return PickListFile(window_, question == PathQuestion::kExport);
}

std::string frmManyTrends::RunFolder() { return AppDataRunFolder(); }

}  // namespace morvelle
