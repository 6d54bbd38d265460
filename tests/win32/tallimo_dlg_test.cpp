// The main dialog driven in its own modal loop as a user and other programs drive it: typing,
// selecting by keys, mouse and message, Return and Escape, the about box from every place that
// opens it, the system menu and the icons.
#include "win32/tallimo_dlg.h"

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "res/resource.h"
#include "tests/win32/dialog_driver.h"
#include "win32/window_ops.h"

namespace {

using win32_test::ItemText;
using win32_test::PressKey;
using win32_test::Pump;
using win32_test::Type;

using win32_test::Text;

const char16_t* AboutCaption() {
  return Text(u"\uff8a\uff9e\uff70\uff7c\uff9e\uff6e\uff9d\u60c5\u5831 Tallimo", u"About Tallimo");
}

// The tests run once in each language; TALLIMO_TEST_LANGUAGE says which locale they were given.
TEST(Language, FollowsTheLocale) {
  wchar_t expected[8] = {};
  if (::GetEnvironmentVariableW(L"TALLIMO_TEST_LANGUAGE", expected, 8) == 0) {
    GTEST_SKIP() << "TALLIMO_TEST_LANGUAGE is not set";
  }
  EXPECT_EQ(win32::ResourceLanguage(), std::wstring_view(expected) == L"ja"
                                           ? MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT)
                                           : MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
}

std::u16string TotalAll(HWND dialog) { return ItemText(dialog, res::kIdcTotalAll); }
std::u16string TotalSel(HWND dialog) { return ItemText(dialog, res::kIdcTotalSel); }
HWND TimeEdit(HWND dialog) { return ::GetDlgItem(dialog, res::kIdcTimeEdit); }

// Runs a fresh main dialog with `body` inside its loop; returns DoModal's result.
INT_PTR RunMainDialog(const std::function<void(HWND dialog, HWND edit)>& body) {
  CTallimoDlg dialog;
  return win32_test::RunModal(dialog, [&](HWND window) { body(window, TimeEdit(window)); });
}

// Tab order: the list, then the about button.
void TabToTheAboutButton(HWND dialog) {
  PressKey(dialog, VK_TAB);
  ASSERT_EQ(::GetFocus(), ::GetDlgItem(dialog, res::kIdcAboutButton));
}

void Select(HWND dialog, DWORD start, DWORD end) {
  win32::SetSel(TimeEdit(dialog), start, end);
  Pump(dialog);
}

struct TypingCase {
  const char* name;
  const char16_t* typed;  // "\r" is Return
  const char16_t* listText;
  const char16_t* totalAll;
};

void PrintTo(const TypingCase& c, std::ostream* out) { *out << c.name; }

class TypingTest : public testing::TestWithParam<TypingCase> {};

TEST_P(TypingTest, TotalOfTheListFollowsEveryKeystroke) {
  RunMainDialog([](HWND dialog, HWND edit) {
    Type(dialog, edit, GetParam().typed);
    EXPECT_EQ(win32::GetText(edit), GetParam().listText);
    EXPECT_EQ(TotalAll(dialog), GetParam().totalAll);
    EXPECT_EQ(TotalSel(dialog), u"0:00.00");
  });
}

INSTANTIATE_TEST_SUITE_P(
    Lists, TypingTest,
    testing::Values(TypingCase{"OneLine", u"1:05.08", u"1:05.08", u"1:05.08"},
                    TypingCase{"ReturnStartsTheNextLine", u"1:05.08\r0:42.30",
                               u"1:05.08\r\n0:42.30", u"1:47.38"},
                    TypingCase{"LenientLines", u"90\r5.30\r1:30\r", u"90\r\n5.30\r\n1:30\r\n",
                               u"1:07.30"},
                    TypingCase{"LabelIsIgnored", u"0:03.25[track 01.wav]", u"0:03.25[track 01.wav]",
                               u"0:03.25"},
                    TypingCase{"JapaneseBeforeTheHours", u"\u30c6\u30b9\u30c81:00.00",
                               u"\u30c6\u30b9\u30c81:00.00", u"1:00.00"}),
    [](const testing::TestParamInfo<TypingCase>& info) { return std::string(info.param.name); });

TEST(MainDialog, BackspaceRecomputesToo) {
  RunMainDialog([](HWND dialog, HWND edit) {
    Type(dialog, edit, u"1:05.08");
    PressKey(dialog, VK_BACK);
    EXPECT_EQ(TotalAll(dialog), u"1:05.00");
  });
}

struct SelectionCase {
  const char* name;
  const char16_t* text;
  std::function<void(HWND dialog, HWND edit)> select;
  const char16_t* totalSel;
};

void PrintTo(const SelectionCase& c, std::ostream* out) { *out << c.name; }

class SelectionTest : public testing::TestWithParam<SelectionCase> {};

TEST_P(SelectionTest, SelectionTotalFollowsEveryWayOfSelecting) {
  RunMainDialog([](HWND dialog, HWND edit) {
    win32::SetText(edit, GetParam().text);
    Pump(dialog);
    GetParam().select(dialog, edit);
    EXPECT_EQ(TotalSel(dialog), GetParam().totalSel);
  });
}

std::function<void(HWND, HWND)> ByMessage(DWORD start, DWORD end) {
  return [=](HWND dialog, HWND) { Select(dialog, start, end); };
}

std::function<void(HWND, HWND)> ByKeys(DWORD caret, std::vector<UINT> keys) {
  return [=](HWND dialog, HWND) {
    Select(dialog, caret, caret);
    for (const UINT key : keys) PressKey(dialog, key, true);
  };
}

std::function<void(HWND, HWND)> ByMouse(DWORD from, DWORD to) {
  return [=](HWND dialog, HWND edit) { win32_test::DragSelect(dialog, edit, from, to); };
}

// Positions are UTF-16 units, with CR LF as two; the emoji is two units.
INSTANTIATE_TEST_SUITE_P(
    Selections, SelectionTest,
    testing::Values(
        SelectionCase{"WholeFirstLine", u"1:05.08\r\n0:42.30", ByMessage(0, 7), u"1:05.08"},
        SelectionCase{"InsideALine", u"1:05.08", ByMessage(2, 7), u"0:05.08"},
        SelectionCase{"AcrossLines", u"1:05.08\r\n0:42.30", ByMessage(2, 13), u"0:05.50"},
        SelectionCase{"Backwards", u"1:05.08\r\n0:42.30", ByMessage(16, 9), u"0:42.30"},
        SelectionCase{"Everything", u"1:05.08\r\n0:42.30", ByMessage(0, -1), u"1:47.38"},
        SelectionCase{"AfterAnEmojiLine", u"\U0001F3B5\r\n1:05.08", ByMessage(4, 11), u"1:05.08"},
        SelectionCase{"AfterJapaneseOnTheSameLine", u"\u66f21:05.08", ByMessage(1, 8), u"1:05.08"},
        SelectionCase{"ShiftEnd", u"1:05.08\r\n0:42.30", ByKeys(9, {VK_END}), u"0:42.30"},
        SelectionCase{"ShiftHomeFromTheEnd", u"1:05.08\r\n0:42.30", ByKeys(16, {VK_HOME}),
                      u"0:42.30"},
        SelectionCase{"ShiftDown", u"1:05.08\r\n0:42.30", ByKeys(0, {VK_DOWN}), u"1:05.08"},
        SelectionCase{"ShiftRightStepByStep", u"1:05.08", ByKeys(4, {VK_RIGHT, VK_RIGHT, VK_RIGHT}),
                      u"0:00.08"},
        SelectionCase{"MouseDragOverTheSecondLine", u"1:05.08\r\n0:42.30", ByMouse(9, 16),
                      u"0:42.30"}),
    [](const testing::TestParamInfo<SelectionCase>& info) { return std::string(info.param.name); });

TEST(MainDialog, CaretMovesLeaveTheSelectionTotal) {
  RunMainDialog([](HWND dialog, HWND edit) {
    win32::SetText(edit, u"1:05.08\r\n0:42.30");
    Select(dialog, 0, 7);
    Select(dialog, 3, 3);
    PressKey(dialog, VK_RIGHT);
    EXPECT_EQ(TotalSel(dialog), u"1:05.08");
  });
}

TEST(MainDialog, TypingRecomputesWithTheEmptySelectionAndReselectingRecomputesAgain) {
  RunMainDialog([](HWND dialog, HWND edit) {
    win32::SetText(edit, u"1:05.08\r\n0:42.30");
    Select(dialog, 0, 7);
    ASSERT_EQ(TotalSel(dialog), u"1:05.08");
    Select(dialog, 16, 16);
    Type(dialog, edit, u"\r1");
    EXPECT_EQ(TotalAll(dialog), u"1:47.39");
    EXPECT_EQ(TotalSel(dialog), u"0:00.00");
    Select(dialog, 0, 7);
    EXPECT_EQ(TotalSel(dialog), u"1:05.08");
  });
}

// An edit box takes 30,000 characters from the keyboard unless told otherwise, and the list was
// once cut at 50,000 bytes: a list of 900,000 characters still takes typing and counts whole.
// The list is read into memory kept between keystrokes: a short list after it counts nothing of
// what the long one left there.
TEST(MainDialog, LongListsTakeTypingAndCountWhole) {
  RunMainDialog([](HWND dialog, HWND edit) {
    std::u16string list;
    for (int i = 0; i < 100000; ++i) list += u"0:00.01\r\n";
    win32::ReplaceSel(edit, list);
    Type(dialog, edit, u"1");
    EXPECT_EQ(::GetWindowTextLengthW(edit), 900001);
    EXPECT_EQ(TotalAll(dialog), u"27:46.41");
    win32::SetSel(edit, 0, -1);
    Type(dialog, edit, u"2");
    EXPECT_EQ(TotalAll(dialog), u"0:00.02");
  });
}

TEST(MainDialog, ReturnInTheListAndStrayOkKeepTheDialogRunning) {
  const INT_PTR result = RunMainDialog([](HWND dialog, HWND edit) {
    Type(dialog, edit, u"1\r\r2");
    ::SendMessageW(dialog, WM_COMMAND, IDOK, 0);
    Pump(dialog);
    EXPECT_EQ(win32::GetText(edit), u"1\r\n\r\n2");
    EXPECT_TRUE(::IsWindow(dialog));
  });
  EXPECT_EQ(result, win32_test::kEndedByTest);
}

struct EndingCase {
  const char* name;
  std::function<void(HWND dialog)> end;
};

void PrintTo(const EndingCase& c, std::ostream* out) { *out << c.name; }

class EndingTest : public testing::TestWithParam<EndingCase> {};

TEST_P(EndingTest, EndsTheDialog) {
  bool ended = false;
  const INT_PTR result = RunMainDialog([&ended](HWND dialog, HWND edit) {
    Type(dialog, edit, u"1:00.00");
    GetParam().end(dialog);
    Pump(dialog);
    ended = !::IsWindowVisible(dialog);
  });
  EXPECT_TRUE(ended);
  EXPECT_EQ(result, IDCANCEL);
}

INSTANTIATE_TEST_SUITE_P(
    Ways, EndingTest,
    testing::Values(
        EndingCase{"EscapeInTheList", [](HWND dialog) { PressKey(dialog, VK_ESCAPE); }},
        EndingCase{"EscapeOnTheAboutButton",
                   [](HWND dialog) {
                     TabToTheAboutButton(dialog);
                     PressKey(dialog, VK_ESCAPE);
                   }},
        EndingCase{"CloseBox",
                   [](HWND dialog) { ::PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }},
        EndingCase{"WmClose", [](HWND dialog) { ::PostMessageW(dialog, WM_CLOSE, 0, 0); }}),
    [](const testing::TestParamInfo<EndingCase>& info) { return std::string(info.param.name); });

struct OpenerCase {
  const char* name;
  std::function<void(HWND dialog)> open;
};

void PrintTo(const OpenerCase& c, std::ostream* out) { *out << c.name; }

class AboutOpenerTest : public testing::TestWithParam<OpenerCase> {};

// The about box opens modally over the dialog with OK focused; closing it leaves the list and the
// totals as they were.
TEST_P(AboutOpenerTest, OpensTheAboutBox) {
  RunMainDialog([](HWND dialog, HWND edit) {
    win32::SetText(edit, u"1:05.08\r\n0:42.30");
    Select(dialog, 0, 7);
    bool opened = false;
    const win32_test::DialogWatch watch(AboutCaption(), [&opened, dialog](HWND about) {
      opened = true;
      EXPECT_FALSE(::IsWindowEnabled(dialog)) << "the about box is modal";
      EXPECT_EQ(::GetFocus(), ::GetDlgItem(about, IDOK));
      EXPECT_EQ(ItemText(about, res::kIdcHomePage), u"https://tallimo.example");
      ::PostMessageW(about, WM_CLOSE, 0, 0);
    });
    GetParam().open(dialog);
    Pump(dialog);
    EXPECT_TRUE(opened);
    EXPECT_TRUE(::IsWindowEnabled(dialog));
    EXPECT_EQ(win32::GetText(edit), u"1:05.08\r\n0:42.30");
    EXPECT_EQ(TotalAll(dialog), u"1:47.38");
    EXPECT_EQ(TotalSel(dialog), u"1:05.08");
  });
}

INSTANTIATE_TEST_SUITE_P(
    Openers, AboutOpenerTest,
    testing::Values(OpenerCase{"SystemMenuEntry",
                               [](HWND dialog) {
                                 ::PostMessageW(dialog, WM_SYSCOMMAND, res::kIdmAboutBox, 0);
                               }},
                    // The low four bits of a system command are the window system's own.
                    OpenerCase{"SystemMenuEntryWithLowBitsSet",
                               [](HWND dialog) {
                                 ::PostMessageW(dialog, WM_SYSCOMMAND, res::kIdmAboutBox | 0x3, 0);
                               }},
                    OpenerCase{"AboutButtonClicked",
                               [](HWND dialog) {
                                 ::PostMessageW(::GetDlgItem(dialog, res::kIdcAboutButton),
                                                BM_CLICK, 0, 0);
                               }},
                    OpenerCase{"ReturnOnTheAboutButton",
                               [](HWND dialog) {
                                 TabToTheAboutButton(dialog);
                                 PressKey(dialog, VK_RETURN);
                               }},
                    OpenerCase{"SpaceOnTheAboutButton",
                               [](HWND dialog) {
                                 TabToTheAboutButton(dialog);
                                 PressKey(dialog, VK_SPACE);
                               }},
                    OpenerCase{"F1InTheList", [](HWND dialog) { PressKey(dialog, VK_F1); }}),
    [](const testing::TestParamInfo<OpenerCase>& info) { return std::string(info.param.name); });

TEST(MainDialog, SystemMenuEndsWithTheAboutEntryAfterASeparator) {
  RunMainDialog([](HWND dialog, HWND) {
    HMENU menu = ::GetSystemMenu(dialog, FALSE);
    const int count = ::GetMenuItemCount(menu);
    ASSERT_GE(count, 2);
    EXPECT_EQ(::GetMenuItemID(menu, count - 1), static_cast<UINT>(res::kIdmAboutBox));
    wchar_t text[64] = {};
    ::GetMenuStringW(menu, count - 1, text, 64, MF_BYPOSITION);
    EXPECT_EQ(win32::Utf16(text),
              Text(u"\uff8a\uff9e\uff70\uff7c\uff9e\uff6e\uff9d\u60c5\u5831(Tallimo) (&A)...",
                   u"&About Tallimo..."));
    MENUITEMINFOW separator{};
    separator.cbSize = sizeof(separator);
    separator.fMask = MIIM_FTYPE;
    ::GetMenuItemInfoW(menu, count - 2, TRUE, &separator);
    EXPECT_TRUE(separator.fType & MFT_SEPARATOR);
  });
}

SIZE IconSize(HICON icon) {
  ICONINFO info{};
  if (icon == nullptr || !::GetIconInfo(icon, &info)) return {};
  BITMAP bitmap{};
  ::GetObjectW(info.hbmMask, sizeof(bitmap), &bitmap);
  ::DeleteObject(info.hbmMask);
  if (info.hbmColor) ::DeleteObject(info.hbmColor);
  // A monochrome icon keeps its AND and XOR masks stacked in one bitmap of twice the height.
  return {bitmap.bmWidth, info.hbmColor ? bitmap.bmHeight : bitmap.bmHeight / 2};
}

TEST(MainDialog, WindowCarriesTheProgramIconInBothSizes) {
  RunMainDialog([](HWND dialog, HWND) {
    const auto big = reinterpret_cast<HICON>(::SendMessageW(dialog, WM_GETICON, ICON_BIG, 0));
    const auto small = reinterpret_cast<HICON>(::SendMessageW(dialog, WM_GETICON, ICON_SMALL, 0));
    EXPECT_EQ(IconSize(big).cx, ::GetSystemMetrics(SM_CXICON));
    EXPECT_EQ(IconSize(small).cx, ::GetSystemMetrics(SM_CXSMICON));
    // Dragging the minimised window shows the same icon.
    EXPECT_EQ(reinterpret_cast<HICON>(::SendMessageW(dialog, WM_QUERYDRAGICON, 0, 0)), big);
  });
}

}  // namespace
