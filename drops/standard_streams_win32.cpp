// The standard streams of a Windows process, by their handles: a console is written and read in
// UTF-16, which shows every name whatever the console's code page; a pipe or a file gets UTF-8.
#include <windows.h>

#include "drops/terminal.h"
#include "timecalc/edit_text.h"

namespace drops {
namespace {

bool IsConsole(HANDLE handle) {
  DWORD mode = 0;
  return handle != nullptr && handle != INVALID_HANDLE_VALUE && ::GetConsoleMode(handle, &mode);
}

void Put(DWORD which, std::string_view bytes) {
  const HANDLE handle = ::GetStdHandle(which);
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE || bytes.empty()) return;
  if (IsConsole(handle)) {
    // Bytes that are no UTF-8 (a typed list's) show as U+FFFD.
    std::wstring text(bytes.size(), L'\0');
    text.resize(static_cast<std::size_t>(
        ::MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(),
                              static_cast<int>(text.size()))));
    std::wstring_view rest = text;
    while (!rest.empty()) {
      DWORD written = 0;
      const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(rest.size(), 16384));
      if (!::WriteConsoleW(handle, rest.data(), chunk, &written, nullptr) || written == 0) return;
      rest.remove_prefix(written);
    }
    return;
  }
  while (!bytes.empty()) {
    DWORD written = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1 << 20));
    if (!::WriteFile(handle, bytes.data(), chunk, &written, nullptr) || written == 0) return;
    bytes.remove_prefix(written);
  }
}

class WindowsStreams final : public Terminal {
 public:
  void Write(std::string_view bytes) override { Put(STD_OUTPUT_HANDLE, bytes); }
  void WriteError(std::string_view text) override { Put(STD_ERROR_HANDLE, text); }
  bool ShowsProgress() const override { return IsConsole(::GetStdHandle(STD_ERROR_HANDLE)); }

  std::string ReadInput() override {
    const HANDLE handle = ::GetStdHandle(STD_INPUT_HANDLE);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return {};
    if (!IsConsole(handle)) {
      std::string input;
      char buffer[65536];
      DWORD read = 0;
      while (::ReadFile(handle, buffer, sizeof buffer, &read, nullptr) && read > 0) {
        input.append(buffer, read);
      }
      return input;
    }
    // Typed at the console: Ctrl+Z ends the list, as it ends any typed input on Windows.
    std::u16string typed;
    wchar_t buffer[4096];
    DWORD read = 0;
    while (::ReadConsoleW(handle, buffer, static_cast<DWORD>(std::size(buffer)), &read, nullptr) &&
           read > 0) {
      const std::wstring_view units(buffer, read);
      const std::size_t end = units.find(L'\x1A');
      typed += Utf16(units.substr(0, end));
      if (end != std::wstring_view::npos) break;
    }
    return timecalc::ToListBytes(typed, timecalc::LineBreak::kCrLf);
  }

 private:
  static std::u16string_view Utf16(std::wstring_view units) {
    return {reinterpret_cast<const char16_t*>(units.data()), units.size()};
  }
};

}  // namespace

std::unique_ptr<Terminal> StandardStreams() { return std::make_unique<WindowsStreams>(); }

}  // namespace drops
