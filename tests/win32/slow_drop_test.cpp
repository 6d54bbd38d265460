// Drops whose files take long to measure, with measurers of our own that hold each file until the
// test lets it through: the window repaints meanwhile, the progress window appears and cancels,
// drops land in order each as one edit, and closing the window in the middle ends cleanly.
#include <windows.h>
// Builds on the types that windows.h declares.
#include <commctrl.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "res/resource.h"
#include "tests/drops/test_measurers.h"
#include "tests/win32/dialog_driver.h"
#include "win32/tallimo_dlg.h"
#include "win32/window_ops.h"

namespace {

using drops_test::Gate;

using win32_test::ItemText;
using win32_test::OwnedDialog;
using win32_test::Pump;
using win32_test::PumpUntil;

// Every file the readers let through lasts one minute.
constexpr std::int64_t kSecondsPerFile = 60;

std::vector<std::u16string> Files(int count, const std::u16string& prefix = u"f") {
  std::vector<std::u16string> paths;
  for (int i = 1; i <= count; ++i) {
    const std::string number = std::to_string(i);
    paths.push_back(u"C:\\share\\" + prefix + std::u16string(number.begin(), number.end()) +
                    u".wav");
  }
  return paths;
}

std::u16string LinesOf(const std::vector<std::u16string>& paths) {
  std::u16string lines;
  for (const std::u16string& path : paths) {
    lines += u"0:01.00[" + path.substr(path.rfind(u'\\') + 1) + u"]\r\n";
  }
  return lines;
}

HWND TimeEdit(HWND dialog) { return ::GetDlgItem(dialog, res::kIdcTimeEdit); }

void DropOn(HWND dialog, const std::vector<std::u16string>& paths) {
  ::SendMessageW(dialog, WM_DROPFILES, reinterpret_cast<WPARAM>(win32_test::MakeDrop(paths)), 0);
}

void Select(HWND dialog, DWORD start, DWORD end) {
  win32::SetSel(TimeEdit(dialog), start, end);
  Pump(dialog);
}

// An idle window must not wake up: the progress timer is gone once nothing is being measured.
bool ProgressTimerRuns(HWND dialog) {
  if (!::KillTimer(dialog, CTallimoDlg::kProgressTimerId)) return false;
  ADD_FAILURE() << "the progress timer was still running";
  return true;
}

// The pointer the dialog asks for over its list, as a move of the mouse there would ask for it.
bool ShowsBusyCursor(HWND dialog) {
  HWND edit = TimeEdit(dialog);
  ::SendMessageW(edit, WM_SETCURSOR, reinterpret_cast<WPARAM>(edit),
                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  return ::GetCursor() == ::LoadCursorW(nullptr, IDC_APPSTARTING);
}

// Counts the messages that reach a window and that `counts` picks, through a subclass.
class MessageCounter {
 public:
  MessageCounter(HWND window, std::function<bool(UINT message, WPARAM wParam)> counts)
      : m_window(window), m_counts(std::move(counts)) {
    ::SetWindowSubclass(m_window, &Count, reinterpret_cast<UINT_PTR>(this), 0);
  }
  ~MessageCounter() { ::RemoveWindowSubclass(m_window, &Count, reinterpret_cast<UINT_PTR>(this)); }
  MessageCounter(const MessageCounter&) = delete;
  MessageCounter& operator=(const MessageCounter&) = delete;

  int count = 0;

 private:
  static LRESULT CALLBACK Count(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                UINT_PTR self, DWORD_PTR) {
    auto* counter = reinterpret_cast<MessageCounter*>(self);
    if (counter->m_counts(message, wParam)) ++counter->count;
    return ::DefSubclassProc(window, message, wParam, lParam);
  }

  HWND m_window;
  std::function<bool(UINT, WPARAM)> m_counts;
};

bool IsPaint(UINT message, WPARAM) { return message == WM_PAINT; }

bool IsListChange(UINT message, WPARAM wParam) {
  return message == WM_COMMAND && LOWORD(wParam) == res::kIdcTimeEdit &&
         HIWORD(wParam) == EN_CHANGE;
}

// Whether the window paints again when asked to, that is whether its thread is free to.
bool Repaints(HWND dialog, HWND window) {
  const MessageCounter paints(window, IsPaint);
  ::InvalidateRect(window, nullptr, TRUE);
  return PumpUntil(dialog, [&paints] { return paints.count > 0; });
}

class SlowDropTest : public testing::Test {
 protected:
  // Runs a main dialog whose drops go through the gate. The gate opens before the dialog ends, so
  // that its worker, which the window's end waits for, is never left held.
  INT_PTR Run(const std::function<void(CTallimoDlg& dialog, HWND window)>& body) {
    CTallimoDlg dialog(nullptr, m_gate->Measurer());
    return win32_test::RunModal(dialog, [&](HWND window) {
      body(dialog, window);
      m_gate->Open();
    });
  }

  // Waits for the progress window to show the count.
  bool WaitForProgress(HWND dialog, std::u16string_view count) {
    return PumpUntil(dialog, [=] {
      HWND progress = OwnedDialog(dialog);
      return progress != nullptr && ItemText(progress, res::kIdcMeasuringCount) == count;
    });
  }

  bool WaitUntilAsked(HWND dialog, std::size_t files) {
    return PumpUntil(dialog, [&] { return m_gate->Asked().size() >= files; });
  }

  static bool WaitUntilLanded(const CTallimoDlg& dialog) {
    return PumpUntil(dialog.GetSafeHwnd(), [&dialog] { return !dialog.IsMeasuring(); });
  }

  std::shared_ptr<Gate> m_gate = std::make_shared<Gate>(kSecondsPerFile);
};

// The list keeps the keyboard meanwhile: what is typed stays, and the drop lands after it.
TEST_F(SlowDropTest, ShowsItsProgressAfterADelayAndKeepsTakingTypingUntilTheLinesLand) {
  Run([this](CTallimoDlg& dialog, HWND window) {
    HWND edit = TimeEdit(window);
    win32::SetText(edit, u"1:00.00\r\n");
    win32::SetSel(edit, 0, 0);
    const std::vector<std::u16string> paths = Files(3);
    DropOn(window, paths);
    EXPECT_TRUE(dialog.IsMeasuring());
    EXPECT_TRUE(ShowsBusyCursor(window));
    EXPECT_EQ(OwnedDialog(window), nullptr) << "not before the delay";

    m_gate->Allow(1);
    ASSERT_TRUE(WaitForProgress(window, u"1 / 3"));
    HWND progress = OwnedDialog(window);
    EXPECT_TRUE(::IsWindowEnabled(window));
    EXPECT_EQ(::GetFocus(), edit) << "the list keeps the keyboard";
    EXPECT_EQ(::SendMessageW(::GetDlgItem(progress, res::kIdcMeasuringBar), PBM_GETPOS, 0, 0), 33);
    EXPECT_TRUE(Repaints(window, window));
    EXPECT_TRUE(Repaints(window, edit));
    win32_test::Type(window, edit, u"0:00.30\r");
    EXPECT_EQ(win32::GetText(edit), u"0:00.30\r\n1:00.00\r\n") << "nothing lands before the end";
    EXPECT_EQ(ItemText(window, res::kIdcTotalAll), u"1:00.30");

    m_gate->Allow(1);
    ASSERT_TRUE(WaitForProgress(window, u"2 / 3"));
    EXPECT_EQ(::SendMessageW(::GetDlgItem(progress, res::kIdcMeasuringBar), PBM_GETPOS, 0, 0), 66);

    m_gate->Open();
    ASSERT_TRUE(WaitUntilLanded(dialog));
    EXPECT_EQ(win32::GetText(edit), u"0:00.30\r\n1:00.00\r\n" + LinesOf(paths));
    EXPECT_EQ(ItemText(window, res::kIdcTotalAll), u"1:03.30");
    EXPECT_FALSE(::IsWindowVisible(progress));
    EXPECT_EQ(::GetFocus(), edit);
    EXPECT_FALSE(ShowsBusyCursor(window));
    EXPECT_FALSE(ProgressTimerRuns(window));
  });
}

TEST_F(SlowDropTest, DropsMadeMeanwhileLandInOrderEachAsItsOwnEdit) {
  Run([this](CTallimoDlg& dialog, HWND window) {
    HWND edit = TimeEdit(window);
    win32::SetText(edit, u"1:00.00");
    const std::vector<std::u16string> first = Files(2, u"a");
    const std::vector<std::u16string> second = Files(1, u"b");
    const MessageCounter changes(window, IsListChange);
    DropOn(window, first);
    DropOn(window, second);
    m_gate->Allow(1);
    ASSERT_TRUE(WaitForProgress(window, u"1 / 3")) << "the count covers every drop waiting";

    m_gate->Open();
    ASSERT_TRUE(WaitUntilLanded(dialog));
    EXPECT_EQ(changes.count, 2);
    EXPECT_EQ(win32::GetText(edit), u"1:00.00\r\n" + LinesOf(first) + LinesOf(second));
    EXPECT_EQ(ItemText(window, res::kIdcTotalAll), u"1:03.00");
    ::SendMessageW(edit, EM_UNDO, 0, 0);
    Pump(window);
    EXPECT_EQ(win32::GetText(edit), u"1:00.00\r\n" + LinesOf(first));
    EXPECT_EQ(ItemText(window, res::kIdcTotalAll), u"1:02.00");
    EXPECT_FALSE(ProgressTimerRuns(window));
  });
}

enum class CancelBy { kButton, kEscape, kReturn, kCloseBox };

struct CancelCase {
  const char* name;
  int files;
  CancelBy by;
};

void PrintTo(const CancelCase& c, std::ostream* out) { *out << c.name; }

class CancelTest : public SlowDropTest, public testing::WithParamInterface<CancelCase> {};

TEST_P(CancelTest, LeavesTheListAsItWasAndNothingLandsAfterwards) {
  Run([this](CTallimoDlg& dialog, HWND window) {
    HWND edit = TimeEdit(window);
    win32::SetText(edit, u"1:05.08\r\n0:42.30");
    Select(window, 0, 7);
    const int files = GetParam().files;
    const std::string total = std::to_string(files);
    DropOn(window, Files(files));
    m_gate->Allow(1);
    ASSERT_TRUE(WaitForProgress(window, u"1 / " + std::u16string(total.begin(), total.end())));
    ASSERT_TRUE(WaitUntilAsked(window, 2)) << "the second file is being read when Cancel comes";
    EXPECT_TRUE(Repaints(window, edit));

    HWND progress = OwnedDialog(window);
    switch (GetParam().by) {
      case CancelBy::kButton:
        ::PostMessageW(::GetDlgItem(progress, IDCANCEL), BM_CLICK, 0, 0);
        break;
      // The keys reach the progress window through the main dialog's own modal loop.
      case CancelBy::kEscape:
        win32_test::PressKeyIn(progress, window, VK_ESCAPE);
        break;
      case CancelBy::kReturn:
        win32_test::PressKeyIn(progress, window, VK_RETURN);
        break;
      case CancelBy::kCloseBox:
        ::PostMessageW(progress, WM_SYSCOMMAND, SC_CLOSE, 0);
        break;
    }
    ASSERT_TRUE(PumpUntil(window, [progress] { return !::IsWindowVisible(progress); }));
    EXPECT_FALSE(dialog.IsMeasuring());
    EXPECT_TRUE(::IsWindowEnabled(window));
    EXPECT_TRUE(::IsWindowVisible(window));
    EXPECT_FALSE(ShowsBusyCursor(window));
    EXPECT_FALSE(ProgressTimerRuns(window));
    EXPECT_EQ(win32::GetText(edit), u"1:05.08\r\n0:42.30");
    EXPECT_EQ(ItemText(window, res::kIdcTotalAll), u"1:47.38");
    EXPECT_EQ(ItemText(window, res::kIdcTotalSel), u"1:05.08");

    // The file being read is finished and forgotten; a later drop lands alone.
    m_gate->Open();
    DropOn(window, {u"C:\\share\\z.wav"});
    ASSERT_TRUE(WaitUntilLanded(dialog));
    EXPECT_EQ(win32::GetText(edit), u"1:05.08\r\n0:42.30\r\n0:01.00[z.wav]\r\n");
    EXPECT_EQ(m_gate->Asked(), (std::vector<std::string>{"f1.wav", "f2.wav", "z.wav"}));
  });
}

INSTANTIATE_TEST_SUITE_P(
    Ways, CancelTest,
    testing::Values(CancelCase{"ButtonOnThreeFiles", 3, CancelBy::kButton},
                    CancelCase{"EscapeOnThreeFiles", 3, CancelBy::kEscape},
                    CancelCase{"ReturnOnThreeFiles", 3, CancelBy::kReturn},
                    CancelCase{"CloseBoxOnThreeFiles", 3, CancelBy::kCloseBox},
                    CancelCase{"ButtonOnTenThousandFiles", 10000, CancelBy::kButton},
                    CancelCase{"EscapeOnTenThousandFiles", 10000, CancelBy::kEscape},
                    CancelCase{"CloseBoxOnTenThousandFiles", 10000, CancelBy::kCloseBox}),
    [](const testing::TestParamInfo<CancelCase>& info) { return std::string(info.param.name); });

// Escape, the close box and WM_CLOSE from another program end the window in the middle of a drop,
// with the progress window showing or not: the worker stops after the file it is reading.
struct CloseCase {
  const char* name;
  bool progressShown;
  std::function<void(HWND dialog)> close;
};

void PrintTo(const CloseCase& c, std::ostream* out) { *out << c.name; }

class CloseDuringDropTest : public SlowDropTest, public testing::WithParamInterface<CloseCase> {};

TEST_P(CloseDuringDropTest, StopsAfterTheFileBeingRead) {
  const INT_PTR result = Run([this](CTallimoDlg& dialog, HWND window) {
    DropOn(window, Files(1000));
    ASSERT_TRUE(WaitUntilAsked(window, 1));
    if (GetParam().progressShown) {
      ASSERT_TRUE(WaitForProgress(window, u"0 / 1000"));
    }
    GetParam().close(window);
    ASSERT_TRUE(PumpUntil(window, [window] { return !::IsWindowVisible(window); }));
    EXPECT_FALSE(dialog.IsMeasuring());
  });
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_EQ(m_gate->Asked(), std::vector<std::string>{"f1.wav"});
}

INSTANTIATE_TEST_SUITE_P(
    Ways, CloseDuringDropTest,
    testing::Values(
        CloseCase{"Escape", false, [](HWND dialog) { win32_test::PressKey(dialog, VK_ESCAPE); }},
        CloseCase{"CloseBox", false,
                  [](HWND dialog) { ::PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }},
        CloseCase{"WmClose", false, [](HWND dialog) { ::PostMessageW(dialog, WM_CLOSE, 0, 0); }},
        CloseCase{"WmCloseWhileTheProgressShows", true,
                  [](HWND dialog) { ::PostMessageW(dialog, WM_CLOSE, 0, 0); }}),
    [](const testing::TestParamInfo<CloseCase>& info) { return std::string(info.param.name); });

// The window going without being closed first, as when the dialog ends from elsewhere: the worker
// is stopped before the window goes, after the file it is reading.
TEST_F(SlowDropTest, WindowGoingInTheMiddleOfADropStopsAfterTheFileBeingRead) {
  std::thread opener;
  CTallimoDlg dialog(nullptr, m_gate->Measurer());
  win32_test::RunModal(dialog, [&](HWND window) {
    DropOn(window, Files(1000));
    ASSERT_TRUE(WaitUntilAsked(window, 1));
    // The window's end waits for the file being read, so the gate can only open from elsewhere;
    // the pause lets the end get under way first.
    opener = std::thread([gate = m_gate] {
      ::Sleep(200);
      gate->Open();
    });
    ::EndDialog(window, IDABORT);
  });
  opener.join();
  EXPECT_EQ(m_gate->Asked(), std::vector<std::string>{"f1.wav"});
}

// Ten thousand files measured at once: one change of the text, one undo step.
TEST(InstantDropTest, TenThousandFilesLandAsOneEdit) {
  CTallimoDlg dialog(nullptr, std::make_unique<drops_test::MeasureBy>(
                                  [](const std::filesystem::path&) { return std::int64_t{1}; }));
  win32_test::RunModal(dialog, [&dialog](HWND window) {
    HWND edit = TimeEdit(window);
    const MessageCounter changes(window, IsListChange);
    DropOn(window, Files(10000));
    ASSERT_TRUE(PumpUntil(window, [&dialog] { return !dialog.IsMeasuring(); }));
    EXPECT_FALSE(ProgressTimerRuns(window));
    EXPECT_FALSE(ShowsBusyCursor(window));
    EXPECT_EQ(changes.count, 1);
    // The last line break leaves an empty line after the 10,000 of the drop.
    EXPECT_EQ(::SendMessageW(edit, EM_GETLINECOUNT, 0, 0), 10001);
    EXPECT_EQ(ItemText(window, res::kIdcTotalAll), u"2:46.40");
    ::SendMessageW(edit, EM_UNDO, 0, 0);
    Pump(window);
    EXPECT_EQ(win32::GetText(edit), u"");
    EXPECT_EQ(ItemText(window, res::kIdcTotalAll), u"0:00.00");
  });
}

}  // namespace
