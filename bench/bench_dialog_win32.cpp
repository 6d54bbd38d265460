// The Windows dialog on a list of about 1 MiB: one keystroke, from the edit box's EN_CHANGE to both
// totals showing their new values and the dialog repainted; a whole keystroke, from WM_CHAR to the
// same point; and one change of a non-empty selection. Run by hand under Wine (make bench-windows);
// prints the median and the slowest of single events over several rounds.
#include <windows.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "res/resource.h"
#include "win32/tallimo_dlg.h"
#include "win32/window_ops.h"

namespace {

constexpr std::size_t kListBytes = 1 << 20;
constexpr int kEvents = 60;

// Typed and dropped lines mixed, about 1 MiB with CR LF line breaks.
std::u16string MebibyteList() {
  constexpr std::array<std::u16string_view, 6> kLines = {
      u"0:03.25[track 01.wav]", u"1:05.08", u"0:04.12[intro take 3.wav]", u"12:30.00", u"0:00.45",
      u"2:15.30[session.wav]"};
  std::u16string list;
  for (std::size_t i = 0; list.size() < kListBytes; ++i) {
    list += kLines[i % kLines.size()];
    list += u"\r\n";
  }
  return list;
}

void Pump() {
  MSG message;
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
}

// Times `event` kEvents times, each followed by the dialog's repaint, and prints the median and
// the slowest.
void Time(const char* what, HWND dialog, const std::function<void(int)>& event) {
  std::vector<double> times;
  for (int i = 0; i < kEvents; ++i) {
    const auto start = std::chrono::steady_clock::now();
    event(i);
    ::RedrawWindow(dialog, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    times.push_back(
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
            .count());
    Pump();
  }
  std::sort(times.begin(), times.end());
  std::printf("%-58s median %6.2f ms   slowest %6.2f ms\n", what, times[times.size() / 2],
              times.back());
}

void Measure(HWND dialog) {
  HWND edit = ::GetDlgItem(dialog, res::kIdcTimeEdit);
  const std::u16string list = MebibyteList();
  win32::SetText(edit, list);
  Pump();
  const auto end = static_cast<DWORD>(list.size());
  std::printf("list of %zu characters, %zu lines\n", list.size(),
              static_cast<std::size_t>(std::count(list.begin(), list.end(), u'\n')));

  const auto editId = static_cast<WPARAM>(res::kIdcTimeEdit);
  Time("keystroke: EN_CHANGE to both totals shown and repainted", dialog, [&](int) {
    ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(editId, EN_CHANGE),
                   reinterpret_cast<LPARAM>(edit));
  });
  // A digit typed at the end, then deleted, so that the list keeps its size.
  win32::SetSel(edit, end, end);
  Time("keystroke: WM_CHAR through the edit box to the same", dialog,
       [&](int i) { ::SendMessageW(edit, WM_CHAR, i % 2 == 0 ? u'1' : VK_BACK, 1); });
  Time("selection: a new non-empty selection to the same", dialog, [&](int i) {
    const DWORD start = end / 3 + static_cast<DWORD>(i);
    win32::SetSel(edit, start, start + end / 3);
  });
}

CTallimoDlg* g_running = nullptr;

}  // namespace

int wmain() {
  CTallimoDlg dialog;
  g_running = &dialog;
  // The dialog runs modally; a thread timer's callback runs inside its loop, once it is shown.
  ::SetTimer(nullptr, 0, 0, [](HWND, UINT, UINT_PTR timer, DWORD) {
    HWND window = g_running->GetSafeHwnd();
    if (!::IsWindowVisible(window)) return;
    ::KillTimer(nullptr, timer);
    Measure(window);
    ::EndDialog(window, IDOK);
  });
  dialog.DoModal();
  return 0;
}
