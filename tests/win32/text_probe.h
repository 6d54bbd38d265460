// What installer_pages and the probe it hooks into an installer's process agree on: the message
// that asks the probe to measure the installer's window, the shared block the probe writes its
// report into, and two small helpers both use.
#pragma once

#include <windows.h>

#include <cwchar>
#include <string>
#include <string_view>

#include "timecalc/edit_text.h"

namespace text_probe {

// Registered window message; its wParam is the asking process's id, which names the block.
inline constexpr wchar_t kMessageName[] = L"TallimoTextProbe";
inline constexpr DWORD kReportBytes = 1 << 16;

inline std::wstring BlockName(DWORD processId) {
  return L"Local\\TallimoTextProbe-" + std::to_wstring(processId);
}

inline std::string Utf8(std::u16string_view text) {
  return timecalc::ToListBytes(text, timecalc::LineBreak::kLf);
}

inline bool IsClass(HWND window, const wchar_t* name) {
  wchar_t className[32] = {};
  ::GetClassNameW(window, className, 32);
  return ::_wcsicmp(className, name) == 0;
}

}  // namespace text_probe
