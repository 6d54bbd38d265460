// The about box on its own: every way to close it, and the home page field that can be selected
// and copied but not changed.
#include "win32/about_dlg.h"

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>

#include "res/resource.h"
#include "tests/win32/dialog_driver.h"
#include "win32/window_ops.h"

namespace {

using win32_test::PressKey;
using win32_test::Pump;

struct ClosingCase {
  const char* name;
  std::function<void(HWND about)> close;
  INT_PTR result;
};

void PrintTo(const ClosingCase& c, std::ostream* out) { *out << c.name; }

class AboutClosingTest : public testing::TestWithParam<ClosingCase> {};

TEST_P(AboutClosingTest, EndsTheAboutBox) {
  CAboutDlg about(nullptr);
  const INT_PTR result = win32_test::RunModal(about, [](HWND window) {
    GetParam().close(window);
    Pump(window);
  });
  EXPECT_EQ(result, GetParam().result);
}

INSTANTIATE_TEST_SUITE_P(
    Ways, AboutClosingTest,
    testing::Values(
        ClosingCase{"OkClicked",
                    [](HWND about) { ::PostMessageW(::GetDlgItem(about, IDOK), BM_CLICK, 0, 0); },
                    IDOK},
        ClosingCase{"Return", [](HWND about) { PressKey(about, VK_RETURN); }, IDOK},
        ClosingCase{"ReturnInTheAddressField",
                    [](HWND about) {
                      HWND field = ::GetDlgItem(about, res::kIdcHomePage);
                      ::SetFocus(field);
                      PressKey(about, VK_RETURN);
                    },
                    IDOK},
        ClosingCase{"Escape", [](HWND about) { PressKey(about, VK_ESCAPE); }, IDCANCEL},
        ClosingCase{"CloseBox",
                    [](HWND about) { ::PostMessageW(about, WM_SYSCOMMAND, SC_CLOSE, 0); },
                    IDCANCEL}),
    [](const testing::TestParamInfo<ClosingCase>& info) { return std::string(info.param.name); });

std::u16string ClipboardText() {
  std::u16string text;
  if (!::OpenClipboard(nullptr)) return text;
  if (HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
    text = win32::Utf16(static_cast<const wchar_t*>(::GlobalLock(data)));
    ::GlobalUnlock(data);
  }
  ::CloseClipboard();
  return text;
}

TEST(AboutBox, HomePageCanBeCopiedButNotChanged) {
  CAboutDlg about(nullptr);
  win32_test::RunModal(about, [](HWND window) {
    HWND field = ::GetDlgItem(window, res::kIdcHomePage);
    ::SetFocus(field);
    win32_test::Type(window, field, u"x");
    PressKey(window, VK_DELETE);
    EXPECT_EQ(win32::GetText(field), u"https://tallimo.example");
    win32::SetSel(field, 0, -1);
    ::SendMessageW(field, WM_COPY, 0, 0);
    EXPECT_EQ(ClipboardText(), u"https://tallimo.example");
  });
}

}  // namespace
