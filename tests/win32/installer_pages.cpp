// Walks the pages of a running installer or uninstaller as a user clicking Next would, and checks
// on each that every text shows whole: each label's text, wrapped as the label wraps it, and each
// button's and check box's caption, measured in the font the control draws with against the room
// the control has for it, by the probe (text_probe.cpp, beside this program) that it hooks into
// the installer's process. On the last page of an installer it clears the boxes that would start
// the program, so that Finish only ends. Prints one line per page, and one per text cut off.
// Usage: installer_pages CAPTION-PREFIX   (a window whose caption starts with it, within a minute)
// Exits 0 when every text of every page showed whole, 1 when one was cut off, 2 when no window
// came or a page never let the walk go on.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "tests/win32/text_probe.h"
#include "win32/window_ops.h"

namespace {

constexpr DWORD kPatienceMs = 60000;
constexpr DWORD kPollMs = 100;
constexpr DWORD kSettleMs = 500;
// Next, Install, Uninstall, Finish or Close: the button that goes on, whatever the page calls it.
constexpr int kNextButton = 1;

using text_probe::IsClass;
using text_probe::Utf8;

struct Search {
  std::u16string prefix;
  HWND found = nullptr;
};

BOOL CALLBACK FindByCaption(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<Search*>(data);
  if (!::IsWindowVisible(window) || !IsClass(window, L"#32770")) return TRUE;
  if (win32::GetText(window).rfind(search->prefix, 0) != 0) return TRUE;
  search->found = window;
  return FALSE;
}

HWND FindInstaller(const std::u16string& prefix) {
  Search search{prefix};
  ::EnumWindows(&FindByCaption, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// The page on show: NSIS makes a new dialog inside its window for every page.
HWND CurrentPage(HWND installer) {
  for (HWND child = ::GetWindow(installer, GW_CHILD); child != nullptr;
       child = ::GetWindow(child, GW_HWNDNEXT)) {
    if (IsClass(child, L"#32770") && ::IsWindowVisible(child)) return child;
  }
  return nullptr;
}

// The page's heading, as the window shows it above the page, or else the first text a static shows
// in it, as the pages without that heading (the last one) show theirs.
BOOL CALLBACK FirstText(HWND control, LPARAM data) {
  auto* text = reinterpret_cast<std::u16string*>(data);
  if (!IsClass(control, L"Static") || !::IsWindowVisible(control)) return TRUE;
  *text = win32::GetText(control);
  return text->empty();
}

std::u16string Heading(HWND installer) {
  constexpr int kHeaderTitle = 1037;
  HWND title = ::GetDlgItem(installer, kHeaderTitle);
  if (title != nullptr && ::IsWindowVisible(title)) return win32::GetText(title);
  std::u16string text;
  ::EnumChildWindows(installer, &FirstText, reinterpret_cast<LPARAM>(&text));
  return text;
}

// The only check boxes of these pages are those of the last one, which start the program or show
// a read-me when the installer ends.
BOOL CALLBACK ClearCheckBox(HWND control, LPARAM) {
  const DWORD type = static_cast<DWORD>(::GetWindowLongW(control, GWL_STYLE)) & BS_TYPEMASK;
  if (IsClass(control, L"Button") && (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX)) {
    ::SendMessageW(control, BM_SETCHECK, BST_UNCHECKED, 0);
  }
  return TRUE;
}

// The probe's report on the installer's window: the texts cut off, one a line, or nothing when
// all show whole. The probe runs in the installer's thread, hooked there for each message sent
// to it, and answers the registered message into a block this process makes.
std::string Measure(HWND installer) {
  static const UINT probe = ::RegisterWindowMessageW(text_probe::kMessageName);
  static HMODULE library = [] {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring beside(path);
    beside.resize(beside.find_last_of(L'\\') + 1);
    return ::LoadLibraryW((beside + L"tallimo_text_probe.dll").c_str());
  }();
  // Through void*: a pointer to a function of one type may not become one of another directly.
  const auto hook = reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(
      library != nullptr ? ::GetProcAddress(library, "TextProbeHook") : nullptr));
  const DWORD thread = ::GetWindowThreadProcessId(installer, nullptr);
  HANDLE block = ::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                      text_probe::kReportBytes,
                                      text_probe::BlockName(::GetCurrentProcessId()).c_str());
  HHOOK hooked =
      hook != nullptr ? ::SetWindowsHookExW(WH_CALLWNDPROC, hook, library, thread) : nullptr;
  auto* view = static_cast<char*>(::MapViewOfFile(block, FILE_MAP_ALL_ACCESS, 0, 0, 0));
  std::string report = "  the probe did not answer\n";
  if (hooked != nullptr && view != nullptr) {
    // Anything but the probe's answer: it writes a whole report, an empty one included.
    view[0] = '\x01';
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(installer, probe, ::GetCurrentProcessId(), 0, SMTO_ABORTIFHUNG,
                          kPatienceMs, &ignored);
    if (view[0] != '\x01') report = view;
  }
  if (view != nullptr) ::UnmapViewOfFile(view);
  if (hooked != nullptr) ::UnhookWindowsHookEx(hooked);
  if (block != nullptr) ::CloseHandle(block);
  return report;
}

template <typename Condition>
bool WaitFor(Condition condition) {
  const ULONGLONG deadline = ::GetTickCount64() + kPatienceMs;
  while (!condition()) {
    if (::GetTickCount64() > deadline) return false;
    ::Sleep(kPollMs);
  }
  return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: installer_pages CAPTION-PREFIX\n");
    return 2;
  }
  // Measured in the installer's own pixels, however many there are to an inch.
  ::SetProcessDPIAware();
  const std::u16string prefix(win32::Utf16(argv[1]));
  HWND installer = nullptr;
  if (!WaitFor([&] { return (installer = FindInstaller(prefix)) != nullptr; })) {
    std::fprintf(stderr, "installer_pages: no window \"%s...\" came\n", Utf8(prefix).c_str());
    return 2;
  }
  HDC screen = ::GetDC(nullptr);
  std::printf("%d dots per inch\n", ::GetDeviceCaps(screen, LOGPIXELSY));
  ::ReleaseDC(nullptr, screen);

  bool whole = true;
  HWND page = nullptr;
  for (int number = 1; ::IsWindow(installer); ++number) {
    // A page is ready once it is on show and lets the user go on, and is still the page on show a
    // moment later: the installation's own page goes on by itself once the files are in place.
    HWND shown = nullptr;
    const bool ready = WaitFor([&] {
      if (!::IsWindow(installer)) return true;
      shown = CurrentPage(installer);
      HWND next = ::GetDlgItem(installer, kNextButton);
      // The window that ends hides its button before it goes.
      const auto goesOn = [&] {
        return ::IsWindowVisible(installer) && ::IsWindowVisible(next) && ::IsWindowEnabled(next);
      };
      if (shown == nullptr || shown == page || !goesOn()) return false;
      ::Sleep(kSettleMs);
      return CurrentPage(installer) == shown && goesOn();
    });
    if (!::IsWindow(installer)) break;
    if (!ready) {
      std::fprintf(stderr, "installer_pages: page %d never let the walk go on\n", number);
      return 2;
    }
    page = shown;
    std::printf("page %d: %s\n", number, Utf8(Heading(installer)).c_str());
    const std::string cutOff = Measure(installer);
    std::fputs(cutOff.c_str(), stdout);
    whole = whole && cutOff.empty();
    ::EnumChildWindows(installer, &ClearCheckBox, 0);
    ::PostMessageW(installer, WM_COMMAND, MAKEWPARAM(kNextButton, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(installer, kNextButton)));
    // The next page, or the end: a page that goes on by itself may be gone before it is seen.
    WaitFor([&] { return !::IsWindow(installer) || CurrentPage(installer) != page; });
  }
  std::printf(whole ? "every text showed whole\n" : "a text was cut off\n");
  return whole ? 0 : 1;
}
