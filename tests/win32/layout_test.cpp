// The dialogs as Windows builds them from the compiled templates: every control's class, number,
// style, text and place (dialog units through MapDialogRect) in template order, which is also the
// tab order, and each dialog's own style, size, caption and font; and every static's text whole
// within its rectangle, whatever face stands in for the templates' font.
#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "res/resource.h"
#include "tests/win32/dialog_driver.h"
#include "win32/about_dlg.h"
#include "win32/measuring_dlg.h"
#include "win32/tallimo_dlg.h"
#include "win32/window_ops.h"

namespace {

struct ControlLayout {
  const wchar_t* className;
  int id;
  DWORD style;
  RECT dialogUnits;  // left, top, width, height as the template gives them
  const char16_t* text;
};

struct DialogLayout {
  DWORD style;
  DWORD exStyle;
  SIZE dialogUnits;
  const char16_t* caption;
  std::vector<ControlLayout> controls;
};

constexpr int kNoId = -1;  // a control no code binds to

// What Windows adds to every dialog of a program marked for Windows 4.0 and later: the 3-D look,
// and clipping of sibling windows as for every top-level window.
constexpr DWORD kDialogStylesWindowsAdds = DS_3DLOOK | WS_CLIPSIBLINGS;
// The dialog manager turns an edit box's thin border into a sunken client edge for such programs.
constexpr DWORD kControlStylesWindowsChanges = WS_BORDER;

// The dialog manager converts position and size each on its own, as MapDialogRect converts each
// coordinate: so the rectangle given is (x, y, width, height), in dialog units and in pixels.
RECT PixelsOf(HWND dialog, RECT units) {
  ::MapDialogRect(dialog, &units);
  return units;
}

RECT PlaceInDialog(HWND dialog, HWND control) {
  RECT rect;
  ::GetWindowRect(control, &rect);
  ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
  return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

std::string Describe(RECT r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + " " + std::to_string(r.right) +
         "x" + std::to_string(r.bottom);
}

void ExpectLayout(HWND dialog, const DialogLayout& layout) {
  EXPECT_EQ(static_cast<DWORD>(::GetWindowLongW(dialog, GWL_STYLE)) & ~kDialogStylesWindowsAdds,
            layout.style | WS_VISIBLE);
  EXPECT_EQ(static_cast<DWORD>(::GetWindowLongW(dialog, GWL_EXSTYLE)) & layout.exStyle,
            layout.exStyle);
  EXPECT_EQ(win32::GetText(dialog), layout.caption);
  RECT client;
  ::GetClientRect(dialog, &client);
  EXPECT_EQ(Describe(client),
            Describe(PixelsOf(dialog, {0, 0, layout.dialogUnits.cx, layout.dialogUnits.cy})));

  LOGFONTW font{};
  ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(dialog, WM_GETFONT, 0, 0)), sizeof(font),
               &font);
  EXPECT_EQ(win32::Utf16(font.lfFaceName), u"\uff2d\uff33 \uff30\u30b4\u30b7\u30c3\u30af");
  HDC screen = ::GetDC(nullptr);
  EXPECT_EQ(font.lfHeight, -::MulDiv(9, ::GetDeviceCaps(screen, LOGPIXELSY), 72));
  ::ReleaseDC(nullptr, screen);

  HWND control = ::GetWindow(dialog, GW_CHILD);
  for (const ControlLayout& expected : layout.controls) {
    ASSERT_NE(control, nullptr) << "fewer controls than the template has";
    wchar_t className[32] = {};
    ::GetClassNameW(control, className, 32);
    SCOPED_TRACE(testing::Message()
                 << "control " << expected.id << " at " << Describe(expected.dialogUnits));
    EXPECT_EQ(_wcsicmp(className, expected.className), 0);
    // Template ids are 16 bits in the classic form and 32 in the extended one: -1 is 0xFFFF in
    // both.
    EXPECT_EQ(static_cast<WORD>(::GetDlgCtrlID(control)), static_cast<WORD>(expected.id));
    EXPECT_EQ(
        static_cast<DWORD>(::GetWindowLongW(control, GWL_STYLE)) & ~kControlStylesWindowsChanges,
        expected.style & ~kControlStylesWindowsChanges);
    const RECT place = PlaceInDialog(dialog, control);
    const RECT pixels = PixelsOf(dialog, expected.dialogUnits);
    if (_wcsicmp(className, L"Static") == 0 && (expected.style & SS_TYPEMASK) == SS_ICON) {
      // An icon control takes its place from the template and its size from the icon.
      EXPECT_EQ(Describe(place), Describe({pixels.left, pixels.top, ::GetSystemMetrics(SM_CXICON),
                                           ::GetSystemMetrics(SM_CYICON)}));
    } else {
      EXPECT_EQ(Describe(place), Describe(pixels));
    }
    if (expected.text != nullptr) {
      EXPECT_EQ(win32::GetText(control), expected.text);
    }
    control = ::GetWindow(control, GW_HWNDNEXT);
  }
  EXPECT_EQ(control, nullptr) << "more controls than the template has";
}

const DialogLayout kMainDialog{
    0x90C800C0,
    0x00040010,
    {199, 89},
    u"Tallimo",
    {
        {L"Edit", res::kIdcTimeEdit, 0x50A110C4, {5, 5, 120, 76}, u""},
        {L"Static", kNoId, 0x50020000, {130, 10, 35, 8}, u"\u5168\u5408\u8a08\u6642\u9593"},
        {L"Static",
         kNoId,
         0x50020000,
         {130, 35, 56, 8},
         u"\u9078\u629e\u7bc4\u56f2\u5408\u8a08\u6642\u9593"},
        {L"Static", res::kIdcTotalAll, 0x50020000, {135, 20, 36, 8}, u"0:00.00"},
        {L"Static", res::kIdcTotalSel, 0x50020000, {135, 45, 39, 8}, u"0:00.00"},
        {L"Static",
         kNoId,
         0x50020000,
         {125, 60, 68, 8},
         u"\u2190\u3053\u3053\u306b\"1:05.08\"\u3068\u3044\u3046"},
        {L"Static",
         kNoId,
         0x50020000,
         {130, 70, 61, 8},
         u"\u3088\u3046\u306b\u5165\u529b\u3057\u3066\u4e0b\u3055\u3044"},
        {L"Button", res::kIdcAboutButton, 0x50010000, {160, 79, 36, 9}, u"about"},
    }};

const DialogLayout kAboutBox{
    0x80C800C0,
    0,
    {217, 55},
    u"\uff8a\uff9e\uff70\uff7c\uff9e\uff6e\uff9d\u60c5\u5831 Tallimo",
    {
        {L"Static", kNoId, 0x50000003, {11, 17, 18, 20}, nullptr},
        {L"Static", kNoId, 0x50020080, {40, 10, 119, 8}, u"Tallimo Version 1.06"},
        {L"Static", kNoId, 0x50020000, {40, 25, 119, 8}, u"(C) 2026 The Tallimo developers"},
        {L"Button", IDOK, 0x50030001, {178, 7, 32, 14}, u"OK"},
        {L"Edit", res::kIdcHomePage, 0x50810880, {128, 37, 82, 12}, u"https://tallimo.example"},
        {L"Static", kNoId, 0x50020000, {85, 40, 41, 8}, u"HomePage to:"},
    }};

const DialogLayout kMeasuringDialog{
    0x80C800C0,
    0,
    {160, 54},
    u"Tallimo",
    {
        {L"Static",
         kNoId,
         0x50020000,
         {7, 7, 146, 8},
         u"\u518d\u751f\u6642\u9593\u3092\u8aad\u307f\u53d6\u3063\u3066\u3044\u307e\u3059..."},
        {L"msctls_progress32", res::kIdcMeasuringBar, 0x50800000, {7, 19, 146, 10}, nullptr},
        {L"Static", res::kIdcMeasuringCount, 0x50020080, {7, 37, 90, 8}, u""},
        {L"Button", IDCANCEL, 0x50030001, {103, 33, 50, 14}, u"\u30ad\u30e3\u30f3\u30bb\u30eb"},
    }};

TEST(Layout, MainDialogIsBuiltAsItsTemplateSays) {
  CTallimoDlg dialog;
  win32_test::RunModal(dialog, [](HWND window) { ExpectLayout(window, kMainDialog); });
}

TEST(Layout, AboutBoxIsBuiltAsItsTemplateSaysWithItsIcon) {
  CAboutDlg about(nullptr);
  win32_test::RunModal(about, [](HWND window) {
    ExpectLayout(window, kAboutBox);
    HWND icon = ::GetWindow(window, GW_CHILD);
    EXPECT_NE(::SendMessageW(icon, STM_GETICON, 0, 0), 0);
  });
}

// The progress window on its own, shown as a drop that takes long shows it.
TEST(Layout, ProgressWindowIsBuiltAsItsTemplateSays) {
  CMeasuringDlg progress(nullptr, [] {});
  progress.Show();
  ExpectLayout(progress.GetSafeHwnd(), kMeasuringDialog);
}

bool IsTextStatic(HWND control) {
  wchar_t className[16] = {};
  ::GetClassNameW(control, className, 16);
  const DWORD type = static_cast<DWORD>(::GetWindowLongW(control, GWL_STYLE)) & SS_TYPEMASK;
  return _wcsicmp(className, L"Static") == 0 && type != SS_ICON;
}

std::string Utf8(std::u16string_view text) {
  std::string bytes(text.size() * 3, '\0');
  const int length =
      ::WideCharToMultiByte(CP_UTF8, 0, win32::Wide(text), static_cast<int>(text.size()),
                            bytes.data(), static_cast<int>(bytes.size()), nullptr, nullptr);
  bytes.resize(static_cast<std::size_t>(length));
  return bytes;
}

// The rectangle the text takes when drawn as a static of `width` draws it: words wrapped.
RECT DrawnExtent(HWND control, HFONT font, LONG width) {
  const std::u16string text = win32::GetText(control);
  const bool noPrefix = (::GetWindowLongW(control, GWL_STYLE) & SS_NOPREFIX) != 0;
  HDC dc = ::GetDC(control);
  const HGDIOBJ previous = ::SelectObject(dc, font);
  RECT extent{0, 0, width, 0};
  ::DrawTextW(dc, win32::Wide(text), static_cast<int>(text.size()), &extent,
              DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | (noPrefix ? DT_NOPREFIX : 0));
  ::SelectObject(dc, previous);
  ::ReleaseDC(control, dc);
  return extent;
}

// Each static shows its whole text within its rectangle in the font it draws with; one whose text
// fits in the dialog's font keeps that font.
void ExpectNoTextCutOff(HWND dialog) {
  const auto dialogFont = reinterpret_cast<HFONT>(::SendMessageW(dialog, WM_GETFONT, 0, 0));
  for (HWND control = ::GetWindow(dialog, GW_CHILD); control != nullptr;
       control = ::GetWindow(control, GW_HWNDNEXT)) {
    if (!IsTextStatic(control)) continue;
    const std::u16string text = win32::GetText(control);
    SCOPED_TRACE(testing::Message() << "static \"" << Utf8(text) << "\"");
    RECT client;
    ::GetClientRect(control, &client);
    const auto font = reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0));
    const RECT drawn = DrawnExtent(control, font, client.right);
    EXPECT_LE(drawn.right, client.right);
    EXPECT_LE(drawn.bottom, client.bottom) << "a line more than the static has room for";
    const RECT inDialogFont = DrawnExtent(control, dialogFont, client.right);
    if (inDialogFont.right <= client.right && inDialogFont.bottom <= client.bottom) {
      EXPECT_EQ(font, dialogFont) << "narrowed without need";
    }
  }
}

struct FitCase {
  const char* name;
  std::function<void(const std::function<void(HWND)>& check)> show;
};

void PrintTo(const FitCase& c, std::ostream* out) { *out << c.name; }

class TextFitTest : public testing::TestWithParam<FitCase> {};

TEST_P(TextFitTest, NoStaticTextIsCutOff) {
  GetParam().show([](HWND dialog) { ExpectNoTextCutOff(dialog); });
}

INSTANTIATE_TEST_SUITE_P(
    Dialogs, TextFitTest,
    testing::Values(FitCase{"MainDialog",
                            [](const std::function<void(HWND)>& check) {
                              CTallimoDlg dialog;
                              win32_test::RunModal(dialog, check);
                            }},
                    FitCase{"AboutBox",
                            [](const std::function<void(HWND)>& check) {
                              CAboutDlg about(nullptr);
                              win32_test::RunModal(about, check);
                            }},
                    // The count is the code's own text: checked at a size beyond any likely drop.
                    FitCase{"ProgressWindow",
                            [](const std::function<void(HWND)>& check) {
                              CMeasuringDlg progress(nullptr, [] {});
                              progress.Show();
                              progress.SetProgress(999999, 1000000);
                              check(progress.GetSafeHwnd());
                            }}),
    [](const testing::TestParamInfo<FitCase>& info) { return std::string(info.param.name); });

}  // namespace
