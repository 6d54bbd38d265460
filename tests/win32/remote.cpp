// Reaches into a running Tallimo from another process, as other programs and Explorer do: selects
// text in its list, drops files on it, or prints its list and totals (UTF-8).
// Usage: tallimo_remote select START END | drop PATH... | totals | text
#include <fcntl.h>
#include <io.h>
#include <windows.h>
// Builds on the types that windows.h declares.
#include <shlobj.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "res/resource.h"
#include "timecalc/edit_text.h"
#include "win32/window_ops.h"

namespace {

void Print(std::u16string_view text) {
  const std::string bytes = timecalc::ToListBytes(text, timecalc::LineBreak::kCrLf);
  std::fwrite(bytes.data(), 1, bytes.size(), stdout);
  std::fputc('\n', stdout);
}

// What a drop becomes in the receiving window: WM_DROPFILES with a DROPFILES block and the wide
// paths, in the receiving process's own memory (a handle of this process means nothing there, and
// Wine does not carry the block across as a drop from Explorer would be).
HDROP MakeDropIn(HWND window, int count, wchar_t** paths) {
  std::wstring names;
  for (int i = 0; i < count; ++i) {
    names += paths[i];
    names += L'\0';
  }
  names += L'\0';
  std::string block(sizeof(DROPFILES) + names.size() * sizeof(wchar_t), '\0');
  DROPFILES header{};
  header.pFiles = sizeof(DROPFILES);
  header.fWide = TRUE;
  std::memcpy(block.data(), &header, sizeof(header));
  std::memcpy(block.data() + sizeof(header), names.data(), names.size() * sizeof(wchar_t));

  DWORD processId = 0;
  ::GetWindowThreadProcessId(window, &processId);
  HANDLE process = ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, processId);
  if (process == nullptr) return nullptr;
  void* remote =
      ::VirtualAllocEx(process, nullptr, block.size(), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  if (remote != nullptr &&
      !::WriteProcessMemory(process, remote, block.data(), block.size(), nullptr)) {
    remote = nullptr;
  }
  ::CloseHandle(process);
  return static_cast<HDROP>(remote);
}

// GetWindowText reads another process's controls from what the system keeps of them, which for an
// edit box is nothing: their own WM_GETTEXT answers.
std::u16string TextOf(HWND window) {
  std::wstring text(static_cast<std::size_t>(::SendMessageW(window, WM_GETTEXTLENGTH, 0, 0)),
                    L'\0');
  const auto copied =
      ::SendMessageW(window, WM_GETTEXT, text.size() + 1, reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(copied));
  return std::u16string(win32::Utf16(text));
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  ::_setmode(::_fileno(stdout), _O_BINARY);
  HWND dialog = ::FindWindowW(L"#32770", L"Tallimo");
  if (dialog == nullptr || argc < 2) return 2;
  HWND edit = ::GetDlgItem(dialog, res::kIdcTimeEdit);
  const std::wstring_view command = argv[1];
  if (command == L"select" && argc == 4) {
    ::SendMessageW(edit, EM_SETSEL, std::wcstoul(argv[2], nullptr, 10),
                   std::wcstoul(argv[3], nullptr, 10));
  } else if (command == L"drop") {
    HDROP drop = MakeDropIn(dialog, argc - 2, argv + 2);
    if (drop == nullptr) return 1;
    ::PostMessageW(dialog, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
  } else if (command == L"totals") {
    Print(TextOf(::GetDlgItem(dialog, res::kIdcTotalAll)) + u" " +
          TextOf(::GetDlgItem(dialog, res::kIdcTotalSel)));
  } else if (command == L"text") {
    Print(TextOf(edit));
  } else {
    return 2;
  }
  return 0;
}
