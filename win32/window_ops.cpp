// Thin wrappers over Win32 for the dialogs.
#include "win32/window_ops.h"

#include <shellapi.h>

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

std::u16string LoadStringText(UINT id) {
  // With no buffer size, LoadStringW hands out a pointer into the resource itself, so strings of
  // any length come out whole.
  const wchar_t* text = nullptr;
  const int length =
      ::LoadStringW(::GetModuleHandleW(nullptr), id, reinterpret_cast<LPWSTR>(&text), 0);
  if (length <= 0 || text == nullptr) return {};
  return std::u16string(Utf16({text, static_cast<std::size_t>(length)}));
}

HICON LoadIconGroup(int id, int width, int height) {
  return static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id),
                                         IMAGE_ICON, width, height, LR_SHARED));
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
