// The dialogs as Windows builds them from the compiled templates: every control's class, number,
// style, text and place (dialog units through MapDialogRect) in template order, which is also the
// tab order, and each dialog's own style, size, caption and font, in the language of the run; and
// every static's and read-only field's text whole within its room, whatever face stands in for
// the templates' font.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cwchar>
#include <functional>
#include <ostream>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "res/resource.h"
#include "tests/win32/dialog_driver.h"
#include "win32/about_dlg.h"
#include "win32/fit_text.h"
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
  const char16_t* face;
  int points;
  std::vector<ControlLayout> controls;
};

constexpr char16_t kJapaneseFace[] = u"\uff2d\uff33 \uff30\u30b4\u30b7\u30c3\u30af";
constexpr char16_t kEnglishFace[] = u"MS Shell Dlg";

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
  EXPECT_EQ(win32::Utf16(font.lfFaceName), layout.face);
  HDC screen = ::GetDC(nullptr);
  EXPECT_EQ(font.lfHeight, -::MulDiv(layout.points, ::GetDeviceCaps(screen, LOGPIXELSY), 72));
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

// The main dialog's template style, with the sizing frame and maximise box its window is made with.
constexpr DWORD kMainDialogStyle = 0x90C800C0 | WS_THICKFRAME | WS_MAXIMIZEBOX;

const DialogLayout kMainDialog{
    kMainDialogStyle,
    0x00040010,
    {199, 89},
    u"Tallimo",
    kJapaneseFace,
    9,
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
    kJapaneseFace,
    9,
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
    kJapaneseFace,
    9,
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

// The English dialogs: each label just before the control it names, which is where screen readers
// look for a control's name.
const DialogLayout kEnglishMainDialog{
    kMainDialogStyle,
    0x00040010,
    {199, 89},
    u"Tallimo",
    kEnglishFace,
    8,
    {
        {L"Static",
         kNoId,
         0x50020000,
         {130, 44, 64, 26},
         u"Type one duration per line, like \"1:05.08\""},
        {L"Edit", res::kIdcTimeEdit, 0x50A110C4, {5, 5, 120, 80}, u""},
        {L"Static", kNoId, 0x50020000, {130, 5, 64, 8}, u"Total of all lines"},
        {L"Static", res::kIdcTotalAll, 0x50020000, {135, 14, 59, 8}, u"0:00.00"},
        {L"Static", kNoId, 0x50020000, {130, 25, 64, 8}, u"Total of selection"},
        {L"Static", res::kIdcTotalSel, 0x50020000, {135, 34, 59, 8}, u"0:00.00"},
        {L"Button", res::kIdcAboutButton, 0x50010000, {146, 71, 48, 14}, u"&About"},
    }};

const DialogLayout kEnglishAboutBox{
    0x80C800C0,
    0,
    {217, 55},
    u"About Tallimo",
    kEnglishFace,
    8,
    {
        {L"Static", kNoId, 0x50000003, {11, 17, 18, 20}, nullptr},
        {L"Static", kNoId, 0x50020080, {40, 10, 110, 8}, u"Tallimo Version 1.06"},
        {L"Static", kNoId, 0x50020000, {40, 22, 110, 8}, u"(C) 2026 The Tallimo developers"},
        {L"Button", IDOK, 0x50030001, {160, 7, 50, 14}, u"OK"},
        {L"Static", kNoId, 0x50020000, {40, 37, 44, 8}, u"Home page:"},
        {L"Edit", res::kIdcHomePage, 0x50810880, {86, 35, 124, 12}, u"https://tallimo.example"},
    }};

const DialogLayout kEnglishMeasuringDialog{
    0x80C800C0,
    0,
    {160, 54},
    u"Tallimo",
    kEnglishFace,
    8,
    {
        {L"Static", kNoId, 0x50020000, {7, 7, 146, 8}, u"Measuring files\u2026"},
        {L"msctls_progress32", res::kIdcMeasuringBar, 0x50800000, {7, 19, 146, 10}, nullptr},
        {L"Static", res::kIdcMeasuringCount, 0x50020080, {7, 37, 90, 8}, u""},
        {L"Button", IDCANCEL, 0x50030001, {103, 33, 50, 14}, u"Cancel"},
    }};

const DialogLayout& InLanguage(const DialogLayout& japanese, const DialogLayout& english) {
  return win32_test::InJapanese() ? japanese : english;
}

TEST(Layout, MainDialogIsBuiltAsItsTemplateSays) {
  CTallimoDlg dialog;
  win32_test::RunModal(dialog, [](HWND window) {
    ExpectLayout(window, InLanguage(kMainDialog, kEnglishMainDialog));
  });
}

TEST(Layout, AboutBoxIsBuiltAsItsTemplateSaysWithItsIcon) {
  CAboutDlg about(nullptr);
  win32_test::RunModal(about, [](HWND window) {
    ExpectLayout(window, InLanguage(kAboutBox, kEnglishAboutBox));
    HWND icon = ::GetWindow(window, GW_CHILD);
    EXPECT_NE(::SendMessageW(icon, STM_GETICON, 0, 0), 0);
  });
}

// The progress window on its own, shown as a drop that takes long shows it.
TEST(Layout, ProgressWindowIsBuiltAsItsTemplateSays) {
  CMeasuringDlg progress(nullptr, [] {});
  progress.Show();
  ExpectLayout(progress.GetSafeHwnd(), InLanguage(kMeasuringDialog, kEnglishMeasuringDialog));
}

RECT WindowRect(HWND window) {
  RECT rect;
  ::GetWindowRect(window, &rect);
  return rect;
}

RECT WorkArea(HWND window) {
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  ::GetMonitorInfoW(::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor);
  return monitor.rcWork;
}

// Twice the centre, so that odd sizes compare without rounding.
POINT DoubleCentre(const RECT& r) { return {r.left + r.right, r.top + r.bottom}; }

TEST(Layout, MainDialogOpensInTheMiddleOfTheWorkArea) {
  CTallimoDlg dialog;
  win32_test::RunModal(dialog, [](HWND window) {
    const POINT dialog = DoubleCentre(WindowRect(window));
    const POINT area = DoubleCentre(WorkArea(window));
    // Within the pixel that halving an odd size loses.
    EXPECT_LE(std::abs(dialog.x - area.x), 2) << Describe(WindowRect(window));
    EXPECT_LE(std::abs(dialog.y - area.y), 2) << Describe(WindowRect(window));
  });
}

struct AboutPlaceCase {
  const char* name;
  // Moves the main dialog before the about box opens.
  std::function<void(HWND dialog)> move;
  // Whether the about box, which is wider than the main dialog, is centred across it or kept at
  // the work area's left edge.
  bool centredAcross;
};

void PrintTo(const AboutPlaceCase& c, std::ostream* out) { *out << c.name; }

class AboutPlaceTest : public testing::TestWithParam<AboutPlaceCase> {};

TEST_P(AboutPlaceTest, AboutBoxOpensOverTheMainDialogWithinTheWorkArea) {
  CTallimoDlg dialog;
  win32_test::RunModal(dialog, [](HWND window) {
    GetParam().move(window);
    bool opened = false;
    const win32_test::DialogWatch watch(
        win32_test::Text(u"\uff8a\uff9e\uff70\uff7c\uff9e\uff6e\uff9d\u60c5\u5831 Tallimo",
                         u"About Tallimo"),
        [&opened, window](HWND about) {
          opened = true;
          const RECT place = WindowRect(about);
          const RECT area = WorkArea(window);
          SCOPED_TRACE(Describe(place) + " over " + Describe(WindowRect(window)));
          EXPECT_GE(place.left, area.left);
          EXPECT_GE(place.top, area.top);
          EXPECT_LE(place.right, area.right);
          EXPECT_LE(place.bottom, area.bottom);
          const POINT centre = DoubleCentre(place);
          const POINT owner = DoubleCentre(WindowRect(window));
          EXPECT_LE(std::abs(centre.y - owner.y), 2);
          if (GetParam().centredAcross) {
            EXPECT_LE(std::abs(centre.x - owner.x), 2);
          } else {
            EXPECT_EQ(place.left, area.left);
          }
          ::PostMessageW(about, WM_CLOSE, 0, 0);
        });
    ::PostMessageW(::GetDlgItem(window, res::kIdcAboutButton), BM_CLICK, 0, 0);
    win32_test::Pump(window);
    EXPECT_TRUE(opened);
  });
}

INSTANTIATE_TEST_SUITE_P(Places, AboutPlaceTest,
                         testing::Values(AboutPlaceCase{"WhereTheMainDialogOpens", [](HWND) {},
                                                        true},
                                         AboutPlaceCase{"AtTheWorkAreasTopLeft",
                                                        [](HWND dialog) {
                                                          const RECT area = WorkArea(dialog);
                                                          ::SetWindowPos(dialog, nullptr, area.left,
                                                                         area.top, 0, 0,
                                                                         SWP_NOSIZE | SWP_NOZORDER);
                                                        },
                                                        false}),
                         [](const testing::TestParamInfo<AboutPlaceCase>& info) {
                           return std::string(info.param.name);
                         });

// Whether the window shows anything but the dialog's face colour within `place` (x, y, width,
// height in its client area): whether a control is drawn there.
bool SomethingDrawnAt(HWND window, const RECT& place) {
  HDC shown = ::GetDC(window);
  HDC copy = ::CreateCompatibleDC(shown);
  BITMAPINFO format{};
  // Top-down rows of 32 bits a pixel: blue, green, red and an unused byte.
  format.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  format.bmiHeader.biWidth = place.right;
  format.bmiHeader.biHeight = -place.bottom;
  format.bmiHeader.biPlanes = 1;
  format.bmiHeader.biBitCount = 32;
  format.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = ::CreateDIBSection(copy, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
  const HGDIOBJ previous = ::SelectObject(copy, bitmap);
  ::BitBlt(copy, 0, 0, place.right, place.bottom, shown, place.left, place.top, SRCCOPY);
  const COLORREF face = ::GetSysColor(COLOR_3DFACE);
  const DWORD faceRgb = GetRValue(face) << 16 | GetGValue(face) << 8 | GetBValue(face);
  const auto* pixels = static_cast<const DWORD*>(bits);
  bool drawn = false;
  for (LONG i = 0; i < place.right * place.bottom && !drawn; ++i) {
    drawn = (pixels[i] & 0xFFFFFF) != faceRgb;
  }
  ::SelectObject(copy, previous);
  ::DeleteObject(bitmap);
  ::DeleteDC(copy);
  ::ReleaseDC(window, shown);
  return drawn;
}

struct GrowCase {
  const char* name;
  std::function<void(HWND dialog)> resize;
  bool grows;
  // What happens to the dialog first, if anything.
  std::function<void(HWND dialog)> before = nullptr;
};

// What Windows does to a per-monitor dialog that moves to a monitor of half as many pixels per
// inch again: it tells the dialog, scales its controls and resizes it to the size it suggests. The
// controls then keep their scaled sizes, which the layout must not undo.
void MoveToAMonitorOfHalfAsManyPixelsAgain(HWND dialog) {
  const auto scaled = [](LONG length) { return ::MulDiv(length, 3, 2); };
  const UINT dpi = scaled(static_cast<LONG>(::GetDpiForWindow(dialog)));
  const RECT r = WindowRect(dialog);
  RECT suggested{r.left, r.top, r.left + scaled(r.right - r.left),
                 r.top + scaled(r.bottom - r.top)};
  ::SendMessageW(dialog, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
  std::vector<std::pair<HWND, SIZE>> sizes;
  for (HWND control = ::GetWindow(dialog, GW_CHILD); control != nullptr;
       control = ::GetWindow(control, GW_HWNDNEXT)) {
    const RECT place = PlaceInDialog(dialog, control);
    const SIZE size{scaled(place.right), scaled(place.bottom)};
    ::SetWindowPos(control, nullptr, scaled(place.left), scaled(place.top), size.cx, size.cy,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    if (::GetDlgCtrlID(control) != res::kIdcTimeEdit) sizes.emplace_back(control, size);
  }
  ::SetWindowPos(dialog, nullptr, 0, 0, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOMOVE | SWP_NOZORDER);
  win32_test::Pump(dialog);
  for (const auto& [control, size] : sizes) {
    const RECT place = PlaceInDialog(dialog, control);
    EXPECT_EQ(place.right, size.cx) << "control " << ::GetDlgCtrlID(control);
    EXPECT_EQ(place.bottom, size.cy) << "control " << ::GetDlgCtrlID(control);
  }
}

class GrowTest : public testing::TestWithParam<GrowCase> {};

// The list takes the room a larger window gives; the totals, their labels, the hint and the about
// button keep their places beside its right edge and their sizes, and show there. Smaller than its
// template, the window only cuts its controls off, as the user cannot make it so.
TEST_P(GrowTest, ListTakesTheRoomAndTheRestKeepsItsPlaceAtTheRight) {
  CTallimoDlg dialog;
  win32_test::RunModal(dialog, [](HWND window) {
    if (GetParam().before) GetParam().before(window);
    MINMAXINFO limits{};
    ::SendMessageW(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    const RECT opened = WindowRect(window);
    EXPECT_EQ(limits.ptMinTrackSize.x, opened.right - opened.left);
    EXPECT_EQ(limits.ptMinTrackSize.y, opened.bottom - opened.top);

    RECT client;
    ::GetClientRect(window, &client);
    const SIZE before{client.right, client.bottom};
    std::vector<std::pair<HWND, RECT>> places;
    for (HWND control = ::GetWindow(window, GW_CHILD); control != nullptr;
         control = ::GetWindow(control, GW_HWNDNEXT)) {
      places.emplace_back(control, PlaceInDialog(window, control));
    }
    GetParam().resize(window);
    win32_test::Pump(window);
    ::GetClientRect(window, &client);
    const LONG dx = std::max(client.right - before.cx, 0L);
    const LONG dy = std::max(client.bottom - before.cy, 0L);
    EXPECT_EQ(dx > 0 && dy > 0, GetParam().grows) << dx << " x " << dy;
    for (const auto& [control, place] : places) {
      const bool isList = ::GetDlgCtrlID(control) == res::kIdcTimeEdit;
      const RECT expected = isList
                                ? RECT{place.left, place.top, place.right + dx, place.bottom + dy}
                                : RECT{place.left + dx, place.top, place.right, place.bottom};
      EXPECT_EQ(Describe(PlaceInDialog(window, control)), Describe(expected))
          << "control " << ::GetDlgCtrlID(control);
      EXPECT_TRUE(SomethingDrawnAt(window, expected))
          << "control " << ::GetDlgCtrlID(control) << " is not drawn where it stands";
    }
  });
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, GrowTest,
    testing::Values(GrowCase{"Larger",
                             [](HWND dialog) {
                               const RECT r = WindowRect(dialog);
                               ::SetWindowPos(dialog, nullptr, 0, 0, r.right - r.left + 240,
                                              r.bottom - r.top + 120, SWP_NOMOVE | SWP_NOZORDER);
                             },
                             true},
                    GrowCase{"Maximised",
                             [](HWND dialog) {
                               ::ShowWindow(dialog, SW_MAXIMIZE);
                               EXPECT_TRUE(::IsZoomed(dialog));
                             },
                             true},
                    GrowCase{"SmallerThanItsTemplate",
                             [](HWND dialog) {
                               const RECT r = WindowRect(dialog);
                               ::SetWindowPos(dialog, nullptr, 0, 0, r.right - r.left - 40,
                                              r.bottom - r.top - 30, SWP_NOMOVE | SWP_NOZORDER);
                             },
                             false},
                    // The layout starts from the template's places at the monitor's scale.
                    GrowCase{"LargerOnAMonitorOfAnotherScale",
                             [](HWND dialog) {
                               const RECT r = WindowRect(dialog);
                               ::SetWindowPos(dialog, nullptr, 0, 0, r.right - r.left + 240,
                                              r.bottom - r.top + 120, SWP_NOMOVE | SWP_NOZORDER);
                             },
                             true, MoveToAMonitorOfHalfAsManyPixelsAgain}),
    [](const testing::TestParamInfo<GrowCase>& info) { return std::string(info.param.name); });

bool IsClass(HWND control, const wchar_t* name) {
  wchar_t className[16] = {};
  ::GetClassNameW(control, className, 16);
  return _wcsicmp(className, name) == 0;
}

DWORD StyleOf(HWND control) { return static_cast<DWORD>(::GetWindowLongW(control, GWL_STYLE)); }

// A read-only field, such as the about box's address, shows a text as a static does.
bool IsReadOnlyField(HWND control) {
  return IsClass(control, L"Edit") && (StyleOf(control) & ES_READONLY) != 0 &&
         (StyleOf(control) & ES_MULTILINE) == 0;
}

bool ShowsText(HWND control) {
  return (IsClass(control, L"Static") && (StyleOf(control) & SS_TYPEMASK) != SS_ICON) ||
         IsReadOnlyField(control);
}

std::string Utf8(std::u16string_view text) {
  std::string bytes(text.size() * 3, '\0');
  const int length =
      ::WideCharToMultiByte(CP_UTF8, 0, win32::Wide(text), static_cast<int>(text.size()),
                            bytes.data(), static_cast<int>(bytes.size()), nullptr, nullptr);
  bytes.resize(static_cast<std::size_t>(length));
  return bytes;
}

// The room the control draws its text in: a static's client area, an edit box's formatting
// rectangle.
RECT Room(HWND control) {
  RECT room;
  if (IsReadOnlyField(control)) {
    ::SendMessageW(control, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&room));
    return {0, 0, room.right - room.left, room.bottom - room.top};
  }
  ::GetClientRect(control, &room);
  return room;
}

// The rectangle the text takes when drawn as the control draws it in a room of `width`: a static's
// words wrapped, an edit box's text on one line.
RECT DrawnExtent(HWND control, HFONT font, LONG width) {
  const std::u16string text = win32::GetText(control);
  const UINT format = IsReadOnlyField(control)
                          ? DT_SINGLELINE | DT_NOPREFIX
                          : DT_WORDBREAK | DT_EXPANDTABS |
                                ((StyleOf(control) & SS_NOPREFIX) != 0 ? DT_NOPREFIX : 0);
  HDC dc = ::GetDC(control);
  const HGDIOBJ previous = ::SelectObject(dc, font);
  RECT extent{0, 0, width, 0};
  ::DrawTextW(dc, win32::Wide(text), static_cast<int>(text.size()), &extent, DT_CALCRECT | format);
  ::SelectObject(dc, previous);
  ::ReleaseDC(control, dc);
  return extent;
}

// Each static and read-only field shows its whole text within its room in the font it draws with;
// one whose text fits in `dialogFont`, the font the dialog gave it, keeps that font.
void ExpectNoTextCutOff(HWND dialog, HFONT dialogFont) {
  for (HWND control = ::GetWindow(dialog, GW_CHILD); control != nullptr;
       control = ::GetWindow(control, GW_HWNDNEXT)) {
    if (!ShowsText(control)) continue;
    const std::u16string text = win32::GetText(control);
    SCOPED_TRACE(testing::Message() << "text \"" << Utf8(text) << "\"");
    const RECT room = Room(control);
    const auto font = reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0));
    const RECT drawn = DrawnExtent(control, font, room.right);
    EXPECT_LE(drawn.right, room.right);
    EXPECT_LE(drawn.bottom, room.bottom) << "a line more than the control has room for";
    const RECT inDialogFont = DrawnExtent(control, dialogFont, room.right);
    if (inDialogFont.right <= room.right && inDialogFont.bottom <= room.bottom) {
      EXPECT_EQ(font, dialogFont) << "narrowed without need";
    }
  }
}

// Gives every static and read-only field `face` in place of the face the dialog got, at the same
// height, and fits their texts again, as though `face` had stood in for the template's font from
// the start. Returns the fonts made, which the statics use until the dialog ends.
std::vector<win32::UniqueFont> StandIn(HWND dialog, const wchar_t* face) {
  LOGFONTW logFont{};
  ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(dialog, WM_GETFONT, 0, 0)), sizeof(logFont),
               &logFont);
  ::wcsncpy(logFont.lfFaceName, face, LF_FACESIZE - 1);
  std::vector<win32::UniqueFont> fonts;
  fonts.emplace_back(::CreateFontIndirectW(&logFont));
  for (HWND control = ::GetWindow(dialog, GW_CHILD); control != nullptr;
       control = ::GetWindow(control, GW_HWNDNEXT)) {
    if (ShowsText(control)) {
      ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(fonts.front().get()), FALSE);
    }
  }
  for (win32::UniqueFont& fitted : win32::FitStaticTexts(dialog)) {
    fonts.push_back(std::move(fitted));
  }
  return fonts;
}

struct FitCase {
  const char* name;
  std::function<void(const std::function<void(HWND)>& check)> show;
};

// The faces that stand in where the template's is missing: the dialog's own (Wine's font mapping of
// the tests' prefix), the fixed-width IPAGothic, its proportional IPAPGothic, and Tahoma, which
// Wine gives a Latin dialog without a mapping.
constexpr const wchar_t* kStandInFaces[] = {nullptr, L"IPAGothic", L"IPAPGothic", L"Tahoma"};

using FitParam = std::tuple<FitCase, const wchar_t*>;

void PrintTo(const FitCase& c, std::ostream* out) { *out << c.name; }

class TextFitTest : public testing::TestWithParam<FitParam> {};

TEST_P(TextFitTest, NoTextIsCutOff) {
  const wchar_t* face = std::get<1>(GetParam());
  std::get<0>(GetParam()).show([face](HWND dialog) {
    if (face == nullptr) {
      ExpectNoTextCutOff(dialog, reinterpret_cast<HFONT>(::SendMessageW(dialog, WM_GETFONT, 0, 0)));
      return;
    }
    const std::vector<win32::UniqueFont> fonts = StandIn(dialog, face);
    ExpectNoTextCutOff(dialog, fonts.front().get());
  });
}

INSTANTIATE_TEST_SUITE_P(
    Dialogs, TextFitTest,
    testing::Combine(testing::Values(FitCase{"MainDialog",
                                             [](const std::function<void(HWND)>& check) {
                                               CTallimoDlg dialog;
                                               win32_test::RunModal(dialog, check);
                                             }},
                                     FitCase{"AboutBox",
                                             [](const std::function<void(HWND)>& check) {
                                               CAboutDlg about(nullptr);
                                               win32_test::RunModal(about, check);
                                             }},
                                     // The count is the code's own text: checked at a size beyond
                                     // any likely drop.
                                     FitCase{"ProgressWindow",
                                             [](const std::function<void(HWND)>& check) {
                                               CMeasuringDlg progress(nullptr, [] {});
                                               progress.Show();
                                               progress.SetProgress(999999, 1000000);
                                               check(progress.GetSafeHwnd());
                                             }}),
                     testing::ValuesIn(kStandInFaces)),
    [](const testing::TestParamInfo<FitParam>& info) {
      const wchar_t* face = std::get<1>(info.param);
      std::string name = std::get<0>(info.param).name;
      name += "In";
      if (face == nullptr) return name + "TheDialogFont";
      for (const wchar_t* c = face; *c != L'\0'; ++c) name += static_cast<char>(*c);
      return name;
    });

}  // namespace
