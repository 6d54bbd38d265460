// Drives the real dialogs in-process: runs one modally, hands the test its window once the modal
// loop runs, and feeds it input the way the message loop would deliver it.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "win32/dialog.h"
#include "win32/window_ops.h"

namespace win32_test {

// What RunModal's dialog returns when the test body left it running and RunModal ended it.
inline constexpr INT_PTR kEndedByTest = 0x7E57;

// Runs `dialog` modally and calls `body` with its window from inside the dialog's own message
// loop; ends the dialog afterwards unless the body already made it end (an ended dialog is hidden
// at once). Returns DoModal's result.
INT_PTR RunModal(win32::CDialog& dialog, const std::function<void(HWND)>& body);

// Calls `action` from the next turn of whatever message loop runs on this thread, the modal loop
// of a dialog that opens in the meantime included.
void OnNextLoopTurn(std::function<void()> action);

// Watches for a dialog with `caption` to show on this thread and calls `action` with it from
// inside the dialog's own modal loop, once. Watching stops when the returned value goes.
class DialogWatch {
 public:
  DialogWatch(std::u16string caption, std::function<void(HWND)> action);
  ~DialogWatch();
  DialogWatch(const DialogWatch&) = delete;
  DialogWatch& operator=(const DialogWatch&) = delete;

 private:
  struct State;
  static void LookFor(const std::shared_ptr<State>& state);
  std::shared_ptr<State> m_state;
};

// Delivers every message waiting for this thread as a modal dialog's loop does: through the dialog
// manager of `dialog` first (Tab, Return, Escape), then translated and dispatched.
void Pump(HWND dialog);

// Pumps as Pump does, waiting for messages in between, until `done` holds. False when it still
// does not after a generous while: that is a hang, not a slow machine.
bool PumpUntil(HWND dialog, const std::function<bool()>& done);

// The visible dialog window that `owner` owns on this thread, or null.
HWND OwnedDialog(HWND owner);

// Presses a key, with Shift held or not, as the keyboard does: through the input queue to the
// focused control of `dialog`, which becomes the foreground window first. Then pumps.
void PressKey(HWND dialog, UINT key, bool shift = false);

// Presses a key in `window`, which becomes the foreground window first, and pumps as the modal
// loop of `loopDialog` does: a modeless window over a modal dialog gets its keys from that loop.
void PressKeyIn(HWND window, HWND loopDialog, UINT key);

// Posts each character of `text` to `target` as typed, "\r" being Return, and pumps them.
void Type(HWND dialog, HWND target, std::u16string_view text);

// Drags the mouse with the left button held across an edit box from one character position to
// another, as a user selecting text does.
void DragSelect(HWND dialog, HWND edit, DWORD from, DWORD to);

// A drop as Explorer's ends up: an HDROP in global memory with the wide paths, for WM_DROPFILES.
HDROP MakeDrop(const std::vector<std::u16string>& paths);

// The text of a control of `dialog`.
std::u16string ItemText(HWND dialog, int id);

// The tests run once in each language: the texts they expect follow the program's choice, which
// Language.FollowsTheLocale holds against the locale the run was given.
inline bool InJapanese() { return PRIMARYLANGID(win32::ResourceLanguage()) == LANG_JAPANESE; }
inline const char16_t* Text(const char16_t* japanese, const char16_t* english) {
  return InJapanese() ? japanese : english;
}

}  // namespace win32_test
