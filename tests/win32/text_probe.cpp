// Loaded into an installer's process by installer_pages through a window hook, which is the one
// way to measure a text with the font its control draws with: a font is a handle of the process
// that made it. Asked by a registered message, it measures each text of the installer's window
// against the room its control has for it, and writes the texts that do not show whole into a
// shared block named after the asking process.
#include "tests/win32/text_probe.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "win32/window_ops.h"

namespace {

using text_probe::IsClass;
using text_probe::Utf8;

// The room a control has for its text and how it lays the text out (DrawTextW flags), or false
// for a control that shows no text of its own this way.
bool TextRoom(HWND control, RECT& room, UINT& format) {
  const DWORD style = static_cast<DWORD>(::GetWindowLongW(control, GWL_STYLE));
  ::GetClientRect(control, &room);
  format = DT_EXPANDTABS;
  if (IsClass(control, L"Static")) {
    switch (style & SS_TYPEMASK) {
      case SS_LEFT:
      case SS_CENTER:
      case SS_RIGHT:
        format |= DT_WORDBREAK;
        break;
      case SS_LEFTNOWORDWRAP:
      case SS_SIMPLE:
        format |= DT_SINGLELINE;
        break;
      default:
        return false;  // pictures, frames, rectangles
    }
    if (style & SS_NOPREFIX) format |= DT_NOPREFIX;
    return true;
  }
  if (!IsClass(control, L"Button")) return false;
  format |= (style & BS_MULTILINE) ? DT_WORDBREAK : DT_SINGLELINE;
  const int edge = ::GetSystemMetrics(SM_CXEDGE);
  switch (style & BS_TYPEMASK) {
    case BS_PUSHBUTTON:
    case BS_DEFPUSHBUTTON:
      // Inside the button's raised edges.
      ::InflateRect(&room, -2 * edge, -2 * edge);
      return true;
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_3STATE:
    case BS_AUTO3STATE:
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON:
      // Right of the box, which is as wide as a menu's check mark, and the gap after it.
      room.left += ::GetSystemMetrics(SM_CXMENUCHECK) + edge;
      return true;
    default:
      return false;  // group boxes and drawn buttons
  }
}

// Whether the control's whole text shows in its room; adds it to `report` when not. Its lines must
// be no wider than the room, and a wrapped text must need no more lines than the room shows. A line
// shows when three quarters of its height are within the room: the faces that stand in for
// Japanese ones are taller than the glyphs they draw, and a one-line label is often lower than a
// line of such a face without losing anything of its letters.
bool ShowsWholeText(HWND control, std::string& report) {
  const std::u16string text = win32::GetText(control);
  RECT room;
  UINT format = 0;
  if (text.empty() || !::IsWindowVisible(control) || !TextRoom(control, room, format)) return true;
  const auto font = reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0));
  HDC dc = ::GetDC(control);
  const HGDIOBJ previous =
      ::SelectObject(dc, font != nullptr ? font : ::GetStockObject(SYSTEM_FONT));
  RECT extent{0, 0, room.right - room.left, 0};
  ::DrawTextW(dc, win32::Wide(text), static_cast<int>(text.size()), &extent, format | DT_CALCRECT);
  TEXTMETRICW metrics{};
  ::GetTextMetricsW(dc, &metrics);
  ::SelectObject(dc, previous);
  ::ReleaseDC(control, dc);
  const LONG width = room.right - room.left;
  const LONG height = room.bottom - room.top;
  const LONG line = std::max(metrics.tmHeight, 1L);
  const LONG linesShown = std::max((height + line / 4) / line, 1L);
  const bool fits = extent.right <= width && extent.bottom / line <= linesShown;
  if (fits) return true;
  report += "  cut off: \"" + Utf8(text) + "\" needs " + std::to_string(extent.right) + "x" +
            std::to_string(extent.bottom) + ", has " + std::to_string(width) + "x" +
            std::to_string(height) + "\n";
  return false;
}

BOOL CALLBACK CheckControl(HWND control, LPARAM data) {
  ShowsWholeText(control, *reinterpret_cast<std::string*>(data));
  return TRUE;
}

// Writes the report on every text of `window` that does not show whole, empty when all do, into
// the block that the process `asking` made.
void Probe(HWND window, DWORD asking) {
  std::string report;
  ::EnumChildWindows(window, &CheckControl, reinterpret_cast<LPARAM>(&report));
  HANDLE block = ::OpenFileMappingW(FILE_MAP_WRITE, FALSE, text_probe::BlockName(asking).c_str());
  if (block == nullptr) return;
  if (void* view = ::MapViewOfFile(block, FILE_MAP_WRITE, 0, 0, text_probe::kReportBytes)) {
    report.resize(std::min<std::size_t>(report.size(), text_probe::kReportBytes - 1));
    std::memcpy(view, report.c_str(), report.size() + 1);
    ::UnmapViewOfFile(view);
  }
  ::CloseHandle(block);
}

}  // namespace

// Called in the installer's thread before each message sent to its windows.
extern "C" __declspec(dllexport) LRESULT CALLBACK
    TextProbeHook(int code, WPARAM wParam, LPARAM lParam) {
  static const UINT probe = ::RegisterWindowMessageW(text_probe::kMessageName);
  const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
  if (code == HC_ACTION && sent->message == probe) {
    Probe(sent->hwnd, static_cast<DWORD>(sent->wParam));
  }
  return ::CallNextHookEx(nullptr, code, wParam, lParam);
}
