// Reaches into a running Tallimo from another process, as other programs and Explorer do: selects
// text in its list, drops files on it (named, or every file of a folder, as many as a command line
// cannot hold), maximises its window, opens its about box, closes it, or prints its list and
// totals (UTF-8); or prints the text of the message box that Tallimo shows in place of its window
// and presses its OK.
// Usage: tallimo_remote select START END | drop PATH... | drop-folder FOLDER | maximise | about |
// close | totals | text | box
#include <fcntl.h>
#include <io.h>
#include <windows.h>
// Builds on the types that windows.h declares.
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

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
HDROP MakeDropIn(HWND window, const std::vector<std::wstring>& paths) {
  std::wstring names;
  for (const std::wstring& path : paths) {
    names += path;
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

// The files of a folder, in the order of their names.
std::vector<std::wstring> FilesIn(const std::wstring& folder) {
  std::vector<std::wstring> paths;
  WIN32_FIND_DATAW found;
  HANDLE search = ::FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return paths;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
      paths.push_back(folder + L"\\" + found.cFileName);
    }
  } while (::FindNextFileW(search, &found));
  ::FindClose(search);
  std::sort(paths.begin(), paths.end());
  return paths;
}

bool Drop(HWND dialog, const std::vector<std::wstring>& paths) {
  HDROP drop = MakeDropIn(dialog, paths);
  if (drop == nullptr) return false;
  ::PostMessageW(dialog, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
  return true;
}

// The main dialog: the progress window of a drop bears the same class and caption.
HWND FindMainDialog() {
  HWND window = nullptr;
  while ((window = ::FindWindowExW(nullptr, window, L"#32770", L"Tallimo")) != nullptr) {
    if (::GetDlgItem(window, res::kIdcTimeEdit) != nullptr) return window;
  }
  return nullptr;
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

// The message box: a dialog with Tallimo's caption and no list, waited for up to half a minute.
// Its text is the static control that every message box numbers 0xFFFF.
int AnswerBox() {
  for (int tries = 0; tries < 300; ++tries) {
    HWND box = nullptr;
    while ((box = ::FindWindowExW(nullptr, box, L"#32770", L"Tallimo")) != nullptr) {
      if (::GetDlgItem(box, res::kIdcTimeEdit) != nullptr) continue;
      Print(TextOf(::GetDlgItem(box, 0xFFFF)));
      ::PostMessageW(box, WM_COMMAND, IDOK, 0);
      return 0;
    }
    ::Sleep(100);
  }
  return 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  ::_setmode(::_fileno(stdout), _O_BINARY);
  if (argc == 2 && std::wstring_view(argv[1]) == L"box") return AnswerBox();
  HWND dialog = FindMainDialog();
  if (dialog == nullptr || argc < 2) return 2;
  HWND edit = ::GetDlgItem(dialog, res::kIdcTimeEdit);
  const std::wstring_view command = argv[1];
  if (command == L"select" && argc == 4) {
    ::SendMessageW(edit, EM_SETSEL, std::wcstoul(argv[2], nullptr, 10),
                   std::wcstoul(argv[3], nullptr, 10));
  } else if (command == L"drop") {
    if (!Drop(dialog, std::vector<std::wstring>(argv + 2, argv + argc))) return 1;
  } else if (command == L"drop-folder" && argc == 3) {
    if (!Drop(dialog, FilesIn(argv[2]))) return 1;
  } else if (command == L"drop-folder" && argc == 4 && std::wstring_view(argv[3]) == L"close") {
    if (!Drop(dialog, FilesIn(argv[2]))) return 1;
    ::PostMessageW(dialog, WM_CLOSE, 0, 0);
  } else if (command == L"maximise") {
    ::ShowWindowAsync(dialog, SW_MAXIMIZE);
  } else if (command == L"about") {
    ::PostMessageW(::GetDlgItem(dialog, res::kIdcAboutButton), BM_CLICK, 0, 0);
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
