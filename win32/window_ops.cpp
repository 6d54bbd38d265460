// Thin wrappers over Win32 for the dialogs.
#include "win32/window_ops.h"

#include <shellapi.h>

#include <algorithm>

namespace win32 {

std::u16string GetText(HWND window) {
  std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window)), L'\0');
  // The length asked for includes the terminating NUL, which std::wstring keeps in place anyway.
  const int copied = ::GetWindowTextW(window, text.data(), static_cast<int>(text.size()) + 1);
  text.resize(static_cast<std::size_t>(copied));
  return std::u16string(Utf16(text));
}

std::u16string_view ReadText(HWND window, std::u16string& buffer) {
  // The buffer only ever grows, so that its memory is cleared once, not on every read.
  const auto room = static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1;
  if (buffer.size() < room) buffer.resize(room + room / 2);
  const int copied = ::GetWindowTextW(window, reinterpret_cast<wchar_t*>(buffer.data()),
                                      static_cast<int>(buffer.size()));
  return {buffer.data(), static_cast<std::size_t>(copied)};
}

void SetText(HWND window, std::u16string_view text) {
  ::SetWindowTextW(window, Wide(std::u16string(text)));
}

Selection GetSel(HWND edit) {
  Selection selection;
  ::SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&selection.start),
                 reinterpret_cast<LPARAM>(&selection.end));
  return selection;
}

void SetSel(HWND edit, DWORD start, DWORD end) { ::SendMessageW(edit, EM_SETSEL, start, end); }

void ReplaceSel(HWND edit, std::u16string_view text) {
  const std::u16string terminated(text);
  ::SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(Wide(terminated)));
}

void AppendSystemMenuEntry(HWND window, UINT command, std::u16string_view text) {
  HMENU menu = ::GetSystemMenu(window, FALSE);
  if (menu == nullptr) return;
  ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  ::AppendMenuW(menu, MF_STRING, command, Wide(std::u16string(text)));
}

LANGID ResourceLanguage() {
  static const LANGID language = PRIMARYLANGID(::GetUserDefaultUILanguage()) == LANG_JAPANESE
                                     ? MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT)
                                     : MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
  return language;
}

const void* LoadResourceData(const wchar_t* type, int id) {
  return LoadResourceBytes(type, id).data();
}

std::span<const std::byte> LoadResourceBytes(const wchar_t* type, int id) {
  const HMODULE module = ::GetModuleHandleW(nullptr);
  HRSRC found = ::FindResourceExW(module, type, MAKEINTRESOURCEW(id), ResourceLanguage());
  if (found == nullptr) return {};
  HGLOBAL loaded = ::LoadResource(module, found);
  const void* data = loaded == nullptr ? nullptr : ::LockResource(loaded);
  if (data == nullptr) return {};
  return {static_cast<const std::byte*>(data), ::SizeofResource(module, found)};
}

std::u16string LoadStringText(UINT id) {
  // A string table resource holds sixteen strings, each a length and that many UTF-16 units.
  const auto* entry =
      static_cast<const char16_t*>(LoadResourceData(RT_STRING, static_cast<int>(id / 16 + 1)));
  if (entry == nullptr) return {};
  for (UINT i = 0; i < id % 16; ++i) entry += 1 + *entry;
  return std::u16string(entry + 1, *entry);
}

HICON LoadIconGroup(int id, int width, int height) {
  return static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id),
                                         IMAGE_ICON, width, height, LR_SHARED));
}

void CenterWindow(HWND window) {
  HWND owner = ::GetWindow(window, GW_OWNER);
  if (owner != nullptr && (!::IsWindowVisible(owner) || ::IsIconic(owner))) owner = nullptr;
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  ::GetMonitorInfoW(
      ::MonitorFromWindow(owner != nullptr ? owner : window, MONITOR_DEFAULTTONEAREST), &monitor);
  const RECT area = monitor.rcWork;
  RECT over = area;
  if (owner != nullptr) ::GetWindowRect(owner, &over);
  RECT own;
  ::GetWindowRect(window, &own);
  const LONG width = own.right - own.left;
  const LONG height = own.bottom - own.top;
  // Within the work area, its top left corner first where the window is larger than the area.
  const LONG x =
      std::max(std::min((over.left + over.right) / 2 - width / 2, area.right - width), area.left);
  const LONG y =
      std::max(std::min((over.top + over.bottom) / 2 - height / 2, area.bottom - height), area.top);
  ::SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void RefreshCursor(HWND window) {
  POINT point;
  if (!::GetCursorPos(&point)) return;
  HWND under = ::WindowFromPoint(point);
  if (under != window && !::IsChild(window, under)) return;
  const LPARAM where = MAKELPARAM(point.x, point.y);
  const auto hitTest = static_cast<WORD>(::SendMessageW(under, WM_NCHITTEST, 0, where));
  ::SendMessageW(under, WM_SETCURSOR, reinterpret_cast<WPARAM>(under),
                 MAKELPARAM(hitTest, WM_MOUSEMOVE));
}

}  // namespace win32
