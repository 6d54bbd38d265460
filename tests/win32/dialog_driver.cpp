// The dialog driver: thread timers with a callback run from any message loop, so the test body
// runs inside the real modal loop of DialogBoxParamW.
#include "tests/win32/dialog_driver.h"

#include <shlobj.h>

#include <cstring>
#include <map>
#include <utility>

#include "win32/window_ops.h"

namespace win32_test {
namespace {

std::map<UINT_PTR, std::function<void()>>& PendingActions() {
  static std::map<UINT_PTR, std::function<void()>> actions;
  return actions;
}

void CALLBACK RunPendingAction(HWND, UINT, UINT_PTR timer, DWORD) {
  ::KillTimer(nullptr, timer);
  auto& actions = PendingActions();
  const auto found = actions.find(timer);
  if (found == actions.end()) return;
  const std::function<void()> action = std::move(found->second);
  actions.erase(found);
  action();
}

INPUT KeyInput(UINT key, bool up) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = static_cast<WORD>(key);
  input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  return input;
}

LPARAM ClientPoint(HWND edit, DWORD position) {
  // EM_POSFROMCHAR gives the top left of a character; for the end of the text it gives -1, and a
  // point well right of the last character stands for it.
  LRESULT point = ::SendMessageW(edit, EM_POSFROMCHAR, position, 0);
  int beyond = 1;
  if (point == -1 && position > 0) {
    point = ::SendMessageW(edit, EM_POSFROMCHAR, position - 1, 0);
    beyond = 30;
  }
  return MAKELPARAM(LOWORD(point) + beyond, HIWORD(point) + 2);
}

}  // namespace

void OnNextLoopTurn(std::function<void()> action) {
  const UINT_PTR timer = ::SetTimer(nullptr, 0, 0, &RunPendingAction);
  PendingActions()[timer] = std::move(action);
}

namespace {

// A dialog whose template is not visible is shown by its modal loop once the loop first finds no
// message waiting: the body waits for that.
void RunWhenShown(win32::CDialog& dialog, const std::function<void(HWND)>& body) {
  HWND window = dialog.GetSafeHwnd();
  if (!::IsWindowVisible(window)) {
    OnNextLoopTurn([&dialog, &body] { RunWhenShown(dialog, body); });
    return;
  }
  body(window);
  // EndDialog hides the dialog at once; the window itself goes when its loop next looks.
  if (::IsWindowVisible(window)) ::EndDialog(window, kEndedByTest);
}

}  // namespace

INT_PTR RunModal(win32::CDialog& dialog, const std::function<void(HWND)>& body) {
  OnNextLoopTurn([&dialog, &body] { RunWhenShown(dialog, body); });
  return dialog.DoModal();
}

struct DialogWatch::State {
  std::u16string caption;
  std::function<void(HWND)> action;
  bool watching = true;
};

namespace {

// The first top-level dialog of this thread with the given caption.
HWND FindDialog(std::u16string_view caption) {
  struct Search {
    std::u16string_view caption;
    HWND found;
  } search{caption, nullptr};
  ::EnumThreadWindows(
      ::GetCurrentThreadId(),
      [](HWND window, LPARAM data) -> BOOL {
        auto* s = reinterpret_cast<Search*>(data);
        wchar_t className[16] = {};
        ::GetClassNameW(window, className, 16);
        if (std::wstring_view(className) != L"#32770" || win32::GetText(window) != s->caption) {
          return TRUE;
        }
        s->found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

}  // namespace

void DialogWatch::LookFor(const std::shared_ptr<State>& state) {
  if (!state->watching) return;
  HWND found = FindDialog(state->caption);
  if (found == nullptr || !::IsWindowVisible(found)) {
    OnNextLoopTurn([state] { LookFor(state); });
    return;
  }
  state->watching = false;
  state->action(found);
}

DialogWatch::DialogWatch(std::u16string caption, std::function<void(HWND)> action)
    : m_state(std::make_shared<State>(State{std::move(caption), std::move(action)})) {
  LookFor(m_state);
}

DialogWatch::~DialogWatch() { m_state->watching = false; }

void Pump(HWND dialog) {
  MSG message;
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (::IsWindow(dialog) && ::IsDialogMessageW(dialog, &message)) continue;
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
}

bool PumpUntil(HWND dialog, const std::function<bool()>& done) {
  constexpr ULONGLONG kPatienceMs = 30000;
  constexpr DWORD kWaitMs = 20;
  const ULONGLONG deadline = ::GetTickCount64() + kPatienceMs;
  Pump(dialog);
  while (!done()) {
    if (::GetTickCount64() > deadline) return false;
    ::MsgWaitForMultipleObjectsEx(0, nullptr, kWaitMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    Pump(dialog);
  }
  return true;
}

HWND OwnedDialog(HWND owner) {
  struct Search {
    HWND owner;
    HWND found;
  } search{owner, nullptr};
  ::EnumThreadWindows(
      ::GetCurrentThreadId(),
      [](HWND window, LPARAM data) -> BOOL {
        auto* s = reinterpret_cast<Search*>(data);
        wchar_t className[16] = {};
        ::GetClassNameW(window, className, 16);
        if (std::wstring_view(className) != L"#32770" || !::IsWindowVisible(window) ||
            ::GetWindow(window, GW_OWNER) != s->owner) {
          return TRUE;
        }
        s->found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

void PressKey(HWND dialog, UINT key, bool shift) {
  std::vector<INPUT> inputs;
  if (shift) inputs.push_back(KeyInput(VK_SHIFT, false));
  inputs.push_back(KeyInput(key, false));
  inputs.push_back(KeyInput(key, true));
  if (shift) inputs.push_back(KeyInput(VK_SHIFT, true));
  ::SetForegroundWindow(dialog);
  ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
  Pump(dialog);
}

void PressKeyIn(HWND window, HWND loopDialog, UINT key) {
  INPUT inputs[] = {KeyInput(key, false), KeyInput(key, true)};
  ::SetForegroundWindow(window);
  ::SendInput(2, inputs, sizeof(INPUT));
  Pump(loopDialog);
}

void Type(HWND dialog, HWND target, std::u16string_view text) {
  for (const char16_t c : text) {
    if (c == u'\r') {
      PressKey(dialog, VK_RETURN);
    } else {
      ::PostMessageW(target, WM_CHAR, c, 1);
      Pump(dialog);
    }
  }
}

void DragSelect(HWND dialog, HWND edit, DWORD from, DWORD to) {
  ::PostMessageW(edit, WM_LBUTTONDOWN, MK_LBUTTON, ClientPoint(edit, from));
  ::PostMessageW(edit, WM_MOUSEMOVE, MK_LBUTTON, ClientPoint(edit, to));
  ::PostMessageW(edit, WM_LBUTTONUP, 0, ClientPoint(edit, to));
  Pump(dialog);
}

HDROP MakeDrop(const std::vector<std::u16string>& paths) {
  std::u16string names;
  for (const std::u16string& path : paths) {
    names += path;
    names += u'\0';
  }
  names += u'\0';
  const std::size_t bytes = sizeof(DROPFILES) + names.size() * sizeof(char16_t);
  HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
  auto* drop = static_cast<DROPFILES*>(::GlobalLock(memory));
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = TRUE;
  std::memcpy(drop + 1, names.data(), names.size() * sizeof(char16_t));
  ::GlobalUnlock(memory);
  return static_cast<HDROP>(memory);
}

std::u16string ItemText(HWND dialog, int id) { return win32::GetText(::GetDlgItem(dialog, id)); }

}  // namespace win32_test
