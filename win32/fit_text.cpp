// Narrowing a static's font until its text fits. Windows narrows a font by its average character
// width (LOGFONT lfWidth), in whole pixels, so the steps are coarse: about a sixth of the width at
// 9 points. The text is measured as the static draws it, with DrawTextW.
#include "win32/fit_text.h"

#include <string>
#include <string_view>
#include <utility>

#include "win32/window_ops.h"

namespace win32 {
namespace {

// The narrowest font a static may get, as a fraction of its average character width: narrower
// letters would be harder to read than a cut-off one is to guess.
constexpr int kLeastWidthNumerator = 4;
constexpr int kLeastWidthDenominator = 5;

bool IsTextStatic(HWND window) {
  wchar_t className[16] = {};
  ::GetClassNameW(window, className, 16);
  if (::_wcsicmp(className, L"Static") != 0) return false;
  switch (::GetWindowLongW(window, GWL_STYLE) & SS_TYPEMASK) {
    case SS_LEFT:
    case SS_CENTER:
    case SS_RIGHT:
    case SS_SIMPLE:
    case SS_LEFTNOWORDWRAP:
      return true;
    default:
      return false;
  }
}

// The width of the text's widest line in `font`, "&" prefixes taken as the static takes them.
int TextWidth(HDC dc, HFONT font, std::u16string_view text, bool noPrefix) {
  const HGDIOBJ previous = ::SelectObject(dc, font);
  RECT extent{};
  ::DrawTextW(dc, Wide(text), static_cast<int>(text.size()), &extent,
              DT_CALCRECT | DT_EXPANDTABS | (noPrefix ? DT_NOPREFIX : 0));
  ::SelectObject(dc, previous);
  return extent.right - extent.left;
}

int AverageCharWidth(HDC dc, HFONT font) {
  const HGDIOBJ previous = ::SelectObject(dc, font);
  TEXTMETRICW metrics{};
  ::GetTextMetricsW(dc, &metrics);
  ::SelectObject(dc, previous);
  return metrics.tmAveCharWidth;
}

// The narrowed font for a static that needs one, or null.
UniqueFont FitStatic(HWND control) {
  const std::u16string text = GetText(control);
  const auto font = reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0));
  if (text.empty() || font == nullptr) return nullptr;
  const bool noPrefix = (::GetWindowLongW(control, GWL_STYLE) & SS_NOPREFIX) != 0;
  RECT client;
  ::GetClientRect(control, &client);
  const int room = client.right - client.left;

  HDC dc = ::GetDC(control);
  UniqueFont fitted;
  if (TextWidth(dc, font, text, noPrefix) > room) {
    LOGFONTW narrowed{};
    ::GetObjectW(font, sizeof(narrowed), &narrowed);
    const int natural = AverageCharWidth(dc, font);
    const int least =
        (natural * kLeastWidthNumerator + kLeastWidthDenominator - 1) / kLeastWidthDenominator;
    for (int width = natural - 1; width >= least; --width) {
      narrowed.lfWidth = width;
      fitted.reset(::CreateFontIndirectW(&narrowed));
      if (!fitted || TextWidth(dc, fitted.get(), text, noPrefix) <= room) break;
    }
  }
  ::ReleaseDC(control, dc);
  if (fitted) ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(fitted.get()), FALSE);
  return fitted;
}

}  // namespace

std::vector<UniqueFont> FitStaticTexts(HWND dialog) {
  std::vector<UniqueFont> fonts;
  for (HWND control = ::GetWindow(dialog, GW_CHILD); control != nullptr;
       control = ::GetWindow(control, GW_HWNDNEXT)) {
    if (!IsTextStatic(control)) continue;
    if (UniqueFont font = FitStatic(control)) fonts.push_back(std::move(font));
  }
  return fonts;
}

}  // namespace win32
