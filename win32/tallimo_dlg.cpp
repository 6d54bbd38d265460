// The main dialog, from template 102, and what it does with a drop: hands it to the drop session
// and lands its lines as one edit.
#include "win32/tallimo_dlg.h"

#include <commctrl.h>
#include <shellapi.h>

#include <filesystem>
#include <utility>

#include "res/resource.h"
#include "timecalc/dialog_layout.h"
#include "timecalc/dropped_lines.h"
#include "timecalc/edit_text.h"
#include "timecalc/time_totals.h"
#include "win32/about_dlg.h"

namespace {

constexpr UINT_PTR kTimeEditSubclassId = 1;

// A drop measured within this time lands without a progress window flashing up.
constexpr auto kProgressDelayMs = static_cast<UINT>(drops::DropSession::kProgressDelay.count());

std::u16string Ascii(const std::string& text) { return std::u16string(text.begin(), text.end()); }

// A total that has not changed leaves its static alone: setting the same text again would still
// repaint it, and under Wine cost a round trip to the server that keeps window texts.
void ShowTotal(HWND label, timecalc::SecondCount seconds) {
  const std::u16string text = Ascii(timecalc::FormatSeconds(seconds));
  if (win32::GetText(label) != text) win32::SetText(label, text);
}

// The messages after which the selection may have moved: keys (Ctrl+A arrives as a character),
// the mouse (a drag also scrolls on the edit box's own timer), the edit menu's Select All, an undo
// (which selects what it brings back), and EM_SETSEL from this program, the dialog manager (Tab
// selects everything) or another program.
bool CanMoveSelection(UINT message) {
  switch (message) {
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_LBUTTONUP:
    case WM_MOUSEMOVE:
    case WM_CAPTURECHANGED:
    case WM_TIMER:
    case WM_CONTEXTMENU:
    case EM_SETSEL:
    case EM_UNDO:
    case WM_UNDO:
      return true;
    default:
      return false;
  }
}

}  // namespace

CTallimoDlg::CTallimoDlg(HWND parent, std::unique_ptr<drops::Measurer> measurer)
    : win32::CDialog(res::kIddTallimoDialog, parent, res::kMainDialogAddedStyle),
      m_hIcon(win32::LoadIconGroup(res::kIdrMainFrame, ::GetSystemMetrics(SM_CXICON),
                                   ::GetSystemMetrics(SM_CYICON))),
      m_hSmallIcon(win32::LoadIconGroup(res::kIdrMainFrame, ::GetSystemMetrics(SM_CXSMICON),
                                        ::GetSystemMetrics(SM_CYSMICON))),
      m_measurer(std::move(measurer)) {}

void CTallimoDlg::DoDataExchange() {
  m_totalSel = GetDlgItem(res::kIdcTotalSel);
  m_totalAll = GetDlgItem(res::kIdcTotalAll);
  m_timeEdit = GetDlgItem(res::kIdcTimeEdit);
}

BOOL CTallimoDlg::OnInitDialog() {
  DoDataExchange();
  m_caption = win32::GetText(m_hWnd);
  RememberTemplateLayout();

  const std::u16string aboutEntry = win32::LoadStringText(res::kIdsAboutBox);
  if (!aboutEntry.empty()) {
    win32::AppendSystemMenuEntry(m_hWnd, res::kIdmAboutBox, aboutEntry);
  }

  ::SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
  ::SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hSmallIcon));

  // An edit box takes 30,000 characters from the keyboard unless told otherwise; 0 means as many
  // as it can hold.
  ::SendMessageW(m_timeEdit, EM_SETLIMITTEXT, 0, 0);
  ::SetWindowSubclass(m_timeEdit, &CTallimoDlg::TimeEditProc, kTimeEditSubclassId,
                      reinterpret_cast<DWORD_PTR>(this));

  m_measuringDlg.emplace(m_hWnd, [this] { OnCancelMeasuring(); });
  // The worker wakes the dialog from its own thread: a posted message is the one safe way, and
  // the window's handle is all it needs to know of the dialog.
  m_drops.emplace([window = m_hWnd] { ::PostMessageW(window, kWmMeasuringNews, 0, 0); },
                  std::move(m_measurer));

  // Without OLE on this thread (a host that never initialised it) drops still come as
  // WM_DROPFILES. The measuring process starts while the files are still being dragged.
  m_dropTarget =
      new win32::CDropTarget([this](std::vector<std::u16string> paths) { OnDropPaths(paths); },
                             [this] { m_drops->Prepare(); });
  if (FAILED(::RegisterDragDrop(m_hWnd, m_dropTarget))) {
    m_dropTarget->Release();
    m_dropTarget = nullptr;
  }
  if (!m_startPaths.empty()) OnDropPaths(std::exchange(m_startPaths, {}));
  return TRUE;
}

void CTallimoDlg::OnCancel() {
  OnCancelMeasuring();
  EndDialog(IDCANCEL);
}

bool CTallimoDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (message) {
    case WM_SYSCOMMAND:
      return OnSysCommand(static_cast<UINT>(wParam));
    case WM_PAINT:
      return OnPaint();
    case WM_QUERYDRAGICON:
      result = reinterpret_cast<LRESULT>(OnQueryDragIcon());
      return true;
    case WM_COMMAND:
      if (LOWORD(wParam) == res::kIdcTimeEdit && HIWORD(wParam) == EN_CHANGE) {
        RecalcTotals();
        return true;
      }
      if (LOWORD(wParam) == res::kIdcAboutButton && HIWORD(wParam) == BN_CLICKED) {
        OnAboutButton();
        return true;
      }
      return false;
    case WM_TIMER:
      if (wParam != kProgressTimerId) return false;
      OnProgressDelay();
      return true;
    case WM_DROPFILES:
      OnDropFiles(reinterpret_cast<HDROP>(wParam));
      return true;
    case kWmMeasuringNews:
      OnMeasuringNews();
      return true;
    case WM_SETCURSOR:
      if (!OnSetCursor(LOWORD(lParam))) return false;
      result = TRUE;
      return true;
    case WM_DESTROY:
      OnDestroy();
      return false;
    case WM_SIZE:
      if (wParam != SIZE_MINIMIZED) OnSize();
      return false;
    case WM_GETMINMAXINFO:
      OnGetMinMaxInfo(*reinterpret_cast<MINMAXINFO*>(lParam));
      return true;
    // Before the dialog manager resizes the window to the new scale, which lays it out again.
    case WM_DPICHANGED:
      OnDpiChanged(LOWORD(wParam));
      return false;
    // F1: the program carries no help text; the about box is the one thing Help can show.
    case WM_HELP:
      OnAboutButton();
      result = TRUE;
      return true;
    default:
      return false;
  }
}

bool CTallimoDlg::OnSysCommand(UINT id) {
  // The low four bits of a system command are the window system's own.
  if ((id & 0xFFF0) != res::kIdmAboutBox) return false;
  OnAboutButton();
  return true;
}

// The frame has no minimise box, but another program can still minimise the window: it then shows
// the program's icon in the middle of its client area.
bool CTallimoDlg::OnPaint() {
  if (!::IsIconic(m_hWnd)) return false;
  PAINTSTRUCT paint;
  HDC dc = ::BeginPaint(m_hWnd, &paint);
  ::SendMessageW(m_hWnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  RECT client;
  ::GetClientRect(m_hWnd, &client);
  const int x = (client.right - client.left - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
  const int y = (client.bottom - client.top - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
  ::DrawIcon(dc, x, y, m_hIcon);
  ::EndPaint(m_hWnd, &paint);
  return true;
}

void CTallimoDlg::RememberTemplateLayout() {
  RECT client;
  ::GetClientRect(m_hWnd, &client);
  m_templateClient = {client.right, client.bottom};
  RECT window;
  ::GetWindowRect(m_hWnd, &window);
  m_templateWindow = {window.right - window.left, window.bottom - window.top};
  m_templateDpi = ::GetDpiForWindow(m_hWnd);
  for (HWND control = ::GetWindow(m_hWnd, GW_CHILD); control != nullptr;
       control = ::GetWindow(control, GW_HWNDNEXT)) {
    RECT place;
    ::GetWindowRect(control, &place);
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&place), 2);
    m_templatePlaces.push_back(
        {control, static_cast<int>(static_cast<short>(::GetDlgCtrlID(control))), place});
  }
}

void CTallimoDlg::OnSize() {
  if (m_templatePlaces.empty()) return;
  RECT client;
  ::GetClientRect(m_hWnd, &client);
  HDWP moves = ::BeginDeferWindowPos(static_cast<int>(m_templatePlaces.size()));
  for (const TemplatePlace& control : m_templatePlaces) {
    const RECT& r = control.place;
    const timecalc::ControlPlace place = timecalc::PlaceInGrownMainDialog(
        control.id, {r.left, r.top, r.right - r.left, r.bottom - r.top},
        client.right - m_templateClient.cx, client.bottom - m_templateClient.cy);
    if (moves != nullptr) {
      moves = ::DeferWindowPos(moves, control.control, nullptr, place.x, place.y, place.width,
                               place.height, SWP_NOZORDER | SWP_NOACTIVATE);
    }
  }
  if (moves != nullptr) ::EndDeferWindowPos(moves);
  // The dialog draws its background over its controls (it does not clip them): a control that
  // moved into the room the window gained would stay hidden behind it until something else made
  // it draw itself again.
  ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void CTallimoDlg::OnDpiChanged(UINT dpi) {
  if (m_templatePlaces.empty() || dpi == 0 || m_templateDpi == 0) return;
  const auto scaled = [&](LONG length) {
    return static_cast<LONG>(
        ::MulDiv(length, static_cast<int>(dpi), static_cast<int>(m_templateDpi)));
  };
  // Places and sizes each on their own, as the dialog manager scales them.
  for (TemplatePlace& control : m_templatePlaces) {
    RECT& place = control.place;
    const LONG width = scaled(place.right - place.left);
    const LONG height = scaled(place.bottom - place.top);
    place.left = scaled(place.left);
    place.top = scaled(place.top);
    place.right = place.left + width;
    place.bottom = place.top + height;
  }
  for (SIZE* size : {&m_templateClient, &m_templateWindow}) {
    *size = {scaled(size->cx), scaled(size->cy)};
  }
  m_templateDpi = dpi;
}

void CTallimoDlg::OnGetMinMaxInfo(MINMAXINFO& info) const {
  if (m_templatePlaces.empty()) return;
  info.ptMinTrackSize = {m_templateWindow.cx, m_templateWindow.cy};
}

void CTallimoDlg::OnAboutButton() {
  CAboutDlg about(m_hWnd);
  about.DoModal();
}

void CTallimoDlg::RecalcTotals() {
  const std::u16string_view text = win32::ReadText(m_timeEdit, m_listText);
  m_calcSel = win32::GetSel(m_timeEdit);
  const timecalc::ListBytesBuffer::View bytes =
      m_listBytes.Convert(text, timecalc::LineBreak::kCrLf, m_calcSel.start, m_calcSel.end);
  const timecalc::Totals totals = timecalc::ComputeTotals(bytes.bytes, bytes.start, bytes.end);
  ShowTotal(m_totalAll, totals.all);
  ShowTotal(m_totalSel, totals.selection);
}

// While drops are being measured, the dialog and its controls show the pointer that says the
// program is busy but still takes input.
bool CTallimoDlg::OnSetCursor(UINT hitTest) {
  if (!IsMeasuring() || hitTest != HTCLIENT) return false;
  ::SetCursor(::LoadCursorW(nullptr, IDC_APPSTARTING));
  return true;
}

// Before the window goes: the worker finishes the file it is reading and stops, so that it never
// posts to a window that is gone.
void CTallimoDlg::OnDestroy() {
  if (m_dropTarget) {
    ::RevokeDragDrop(m_hWnd);
    m_dropTarget->Release();
    m_dropTarget = nullptr;
  }
  m_drops.reset();
}

void CTallimoDlg::OnDropFiles(HDROP drop) {
  if (std::optional<std::vector<std::u16string>> paths = win32::ReadDropFiles(drop)) {
    ::DragFinish(drop);
    OnDropPaths(*paths);
  } else if ((paths = win32::ReadDropFilesAt(drop))) {
    // Memory that another program wrote into this process is that program's to manage.
    OnDropPaths(*paths);
  }
}

void CTallimoDlg::OnDropPaths(const std::vector<std::u16string>& paths) {
  std::vector<std::filesystem::path> files;
  files.reserve(paths.size());
  for (const std::u16string& path : paths) {
    // Built from the UTF-16 name, so names outside the ANSI code page open too.
    files.emplace_back(std::wstring(win32::Wide(path), path.size()));
  }
  OnDropPaths(std::move(files));
}

void CTallimoDlg::OnDropPaths(std::vector<std::filesystem::path> paths) {
  const bool wasMeasuring = IsMeasuring();
  m_drops->Drop(std::move(paths));
  if (wasMeasuring) return;
  // The window goes on taking input meanwhile; only a drop that takes long shows its progress.
  ::SetTimer(m_hWnd, kProgressTimerId, kProgressDelayMs, nullptr);
  win32::RefreshCursor(m_hWnd);
}

void CTallimoDlg::OnMeasuringNews() {
  // The worker may have posted just before the window began to go.
  if (!m_drops) return;
  const drops::DropSession::News news = LandMeasuredDrops();
  if (!IsMeasuring()) {
    EndMeasuring();
    return;
  }
  m_measuringDlg->SetProgress(news.filesDone, news.filesTotal);
}

void CTallimoDlg::OnProgressDelay() {
  ::KillTimer(m_hWnd, kProgressTimerId);
  // The count as it stands now; the drops may even have been measured since the last news.
  const drops::DropSession::News news = LandMeasuredDrops();
  if (!IsMeasuring()) {
    EndMeasuring();
    return;
  }
  m_measuringDlg->Show();
  m_measuringDlg->SetProgress(news.filesDone, news.filesTotal);
}

// The list and the totals stay as they were; the worker drops the file it is reading.
void CTallimoDlg::OnCancelMeasuring() {
  if (m_drops) m_drops->Cancel();
  EndMeasuring();
}

void CTallimoDlg::EndMeasuring() {
  ::KillTimer(m_hWnd, kProgressTimerId);
  if (m_measuringDlg) m_measuringDlg->Hide();
  win32::RefreshCursor(m_hWnd);
}

drops::DropSession::News CTallimoDlg::LandMeasuredDrops() {
  drops::DropSession::News news = m_drops->Collect();
  for (const drops::DropSession::Landed& landed : news.landed) LandDrop(landed);
  return news;
}

// The title says so while the last drop could not be measured for want of tallimo-measure.exe:
// its files show as not measured, and nothing else would tell why.
void CTallimoDlg::LandDrop(const drops::DropSession::Landed& landed) {
  AppendDroppedLines(landed.lines);
  win32::SetText(
      m_hWnd, landed.programMissing ? win32::LoadStringText(res::kIdsNotMeasuredTitle) : m_caption);
}

void CTallimoDlg::AppendDroppedLines(const std::vector<std::u16string>& lines) {
  const std::u16string list = win32::GetText(m_timeEdit);
  const std::u16string text = timecalc::AppendedDropText(list, lines, timecalc::LineBreak::kCrLf);
  if (text.empty()) {
    RecalcTotals();
    return;
  }
  // Moving the caret to the end first clears any selection, so the recomputation that the
  // insertion triggers already sees the empty selection. One replacement is one change; the edit
  // box would merge it with typing that ended at the same place, so its single undo step is
  // emptied first and then holds the drop alone.
  const auto end = static_cast<DWORD>(list.size());
  win32::SetSel(m_timeEdit, end, end);
  ::SendMessageW(m_timeEdit, EM_EMPTYUNDOBUFFER, 0, 0);
  win32::ReplaceSel(m_timeEdit, text);
  ::SendMessageW(m_timeEdit, EM_SCROLLCARET, 0, 0);
}

LRESULT CALLBACK CTallimoDlg::TimeEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam,
                                           UINT_PTR subclassId, DWORD_PTR self) {
  if (message == WM_NCDESTROY) {
    ::RemoveWindowSubclass(edit, &CTallimoDlg::TimeEditProc, subclassId);
    return ::DefSubclassProc(edit, message, wParam, lParam);
  }
  const LRESULT result = ::DefSubclassProc(edit, message, wParam, lParam);
  if (CanMoveSelection(message)) reinterpret_cast<CTallimoDlg*>(self)->OnSelectionMaybeChanged();
  return result;
}

void CTallimoDlg::OnSelectionMaybeChanged() {
  const win32::Selection selection = win32::GetSel(m_timeEdit);
  // Clicking somewhere leaves the selection total as it was.
  if (selection.empty() || selection == m_calcSel) return;
  RecalcTotals();
}
