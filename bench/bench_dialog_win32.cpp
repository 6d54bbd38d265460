// The Windows dialog on a list of about 1 MiB, event by event, each timed until the dialog is
// repainted: a keystroke from WM_CHAR in Tallimo's list, and in a plain edit box of the same styles
// and text at the same place in the same dialog, taken in turns so that both meet the same load on
// the machine (the difference is Tallimo's own work: reading the text, the bridge to CR LF bytes,
// both totals and the two statics); a keystroke from EN_CHANGE, Tallimo's work alone; and one
// change of a non-empty selection. Run by hand under Wine (make bench-windows); prints the median
// and the slowest of single events.
#include <windows.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <tuple>
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

// Single events' times in milliseconds.
class Times {
 public:
  // Runs `event` and the dialog's repaint, and times both.
  void Take(HWND dialog, const std::function<void()>& event) {
    const auto start = std::chrono::steady_clock::now();
    event();
    ::RedrawWindow(dialog, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    m_times.push_back(
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
            .count());
    Pump();
  }
  double Median() {
    std::sort(m_times.begin(), m_times.end());
    return m_times[m_times.size() / 2];
  }
  // With `whole`, also how much of it the median is.
  void Print(const char* what, double whole = 0) {
    const double median = Median();
    std::printf("%-62s median %6.2f ms   slowest %6.2f ms", what, median, m_times.back());
    if (whole > 0) std::printf("   %.0f%% of the plain edit box", 100 * median / whole);
    std::printf("\n");
  }

 private:
  std::vector<double> m_times;
};

// An edit box with nothing behind it: the styles, font and place of Tallimo's list, and a control
// number the dialog does not listen to.
HWND PlainEditBox(HWND dialog, HWND list) {
  RECT place;
  ::GetWindowRect(list, &place);
  ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&place), 2);
  constexpr int kPlainEditId = 0x7000;
  HWND plain =
      ::CreateWindowExW(static_cast<DWORD>(::GetWindowLongPtrW(list, GWL_EXSTYLE)), L"EDIT", L"",
                        static_cast<DWORD>(::GetWindowLongPtrW(list, GWL_STYLE)) & ~WS_VISIBLE,
                        place.left, place.top, place.right - place.left, place.bottom - place.top,
                        dialog, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kPlainEditId)),
                        ::GetModuleHandleW(nullptr), nullptr);
  ::SendMessageW(plain, WM_SETFONT, ::SendMessageW(list, WM_GETFONT, 0, 0), FALSE);
  ::SendMessageW(plain, EM_SETLIMITTEXT, 0, 0);
  return plain;
}

// Shows `shown` in the place both edit boxes share, with the caret at the end of its text.
void ShowInTurn(HWND dialog, HWND shown, HWND hidden, DWORD end) {
  ::ShowWindow(hidden, SW_HIDE);
  ::ShowWindow(shown, SW_SHOW);
  ::SetFocus(shown);
  win32::SetSel(shown, end, end);
  ::RedrawWindow(dialog, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  Pump();
}

void Measure(HWND dialog) {
  HWND list = ::GetDlgItem(dialog, res::kIdcTimeEdit);
  HWND plain = PlainEditBox(dialog, list);
  const std::u16string text = MebibyteList();
  win32::SetText(list, text);
  win32::SetText(plain, text);
  Pump();
  const auto end = static_cast<DWORD>(text.size());
  std::printf("list of %zu characters, %zu lines\n", text.size(),
              static_cast<std::size_t>(std::count(text.begin(), text.end(), u'\n')));

  // A digit typed at the end, then deleted, so that the text keeps its size; the two edit boxes
  // take turns after each such pair, so that a machine busy with other work weighs on both alike.
  constexpr int kRounds = kEvents / 2;
  Times plainKeys;
  Times listKeys;
  for (int round = 0; round < kRounds; ++round) {
    for (const auto& [edit, other, times] :
         {std::tuple{plain, list, &plainKeys}, std::tuple{list, plain, &listKeys}}) {
      ShowInTurn(dialog, edit, other, end);
      for (int i = 0; i < kEvents / kRounds; ++i) {
        times->Take(dialog, [&] { ::SendMessageW(edit, WM_CHAR, i % 2 == 0 ? u'1' : VK_BACK, 1); });
      }
    }
  }
  plainKeys.Print("keystroke from WM_CHAR: a plain edit box");
  listKeys.Print("keystroke from WM_CHAR: Tallimo's list and both totals");
  const double own = listKeys.Median() - plainKeys.Median();
  std::printf("%-62s median %6.2f ms   %.0f%% of the plain edit box\n",
              "Tallimo's own work (the difference of the medians)", own,
              100 * own / plainKeys.Median());

  const auto editId = static_cast<WPARAM>(res::kIdcTimeEdit);
  Times changes;
  for (int i = 0; i < kEvents; ++i) {
    changes.Take(dialog, [&] {
      ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(editId, EN_CHANGE),
                     reinterpret_cast<LPARAM>(list));
    });
  }
  changes.Print("keystroke from EN_CHANGE: Tallimo's work alone", plainKeys.Median());
  Times selections;
  for (int i = 0; i < kEvents; ++i) {
    selections.Take(dialog, [&] {
      const DWORD start = end / 3 + static_cast<DWORD>(i);
      win32::SetSel(list, start, start + end / 3);
    });
  }
  selections.Print("selection: a new non-empty selection, from EM_SETSEL");
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
