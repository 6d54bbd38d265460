// The window operations the dialogs use, as thin wrappers over Win32's W functions. Text crosses
// them as UTF-16, the form both Windows and the shared text rules use.
#pragma once

#include <windows.h>
// Builds on the types that windows.h declares.
#include <shellapi.h>

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace win32 {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows' wide characters are UTF-16 units");

inline const wchar_t* Wide(std::u16string_view text) {
  return reinterpret_cast<const wchar_t*>(text.data());
}

inline std::u16string_view Utf16(std::wstring_view text) {
  return {reinterpret_cast<const char16_t*>(text.data()), text.size()};
}

// The whole text of a window, with no length limit; an edit box's line breaks are CR LF.
std::u16string GetText(HWND window);
// The same, read into `buffer`, which keeps its memory from one call to the next: a list read on
// every keystroke then lands in memory already in use instead of fresh pages. The view is valid
// until `buffer` next changes.
std::u16string_view ReadText(HWND window, std::u16string& buffer);
void SetText(HWND window, std::u16string_view text);

// An edit box's selection in UTF-16 units, end exclusive; start == end when nothing is selected.
struct Selection {
  DWORD start = 0;
  DWORD end = 0;
  bool empty() const { return start == end; }
  friend bool operator==(const Selection&, const Selection&) = default;
};
Selection GetSel(HWND edit);
void SetSel(HWND edit, DWORD start, DWORD end);
// Replaces the selection with `text` as one edit that EM_UNDO can take back.
void ReplaceSel(HWND edit, std::u16string_view text);

// An entry at the end of the window's system menu, after a separator.
void AppendSystemMenuEntry(HWND window, UINT command, std::u16string_view text);

// The language of the resources the program shows: Japanese where the user's interface language
// is Japanese, English (United States) everywhere else. Chosen here rather than left to the
// resource loader, whose fallback for a language the program lacks differs between Windows
// versions and Wine.
LANGID ResourceLanguage();

// A resource of the program in ResourceLanguage(), or null.
const void* LoadResourceData(const wchar_t* type, int id);
// The same with its size in bytes; empty when there is none.
std::span<const std::byte> LoadResourceBytes(const wchar_t* type, int id);

// A string of the program's string table in ResourceLanguage(); empty when there is none.
std::u16string LoadStringText(UINT id);

// The image of an icon group that suits the given size best; shared, so never destroyed.
HICON LoadIconGroup(int id, int width, int height);

// Centres a top-level window over its owner, or on the work area of its monitor when it has no
// owner on show, and keeps it within that work area, as MFC centres a dialog that its start did
// not place.
void CenterWindow(HWND window);

// Has the window under the mouse pointer choose its pointer again, as a move of the mouse would
// make it do, when that window is `window` or one of its controls: a change of what the window
// shows as its pointer then takes effect at once.
void RefreshCursor(HWND window);

}  // namespace win32
