// Narrowing a static's or a read-only field's font until its text fits. Windows narrows a font by
// its average character width (LOGFONT lfWidth), in whole pixels, so the steps are coarse: about a
// sixth of the width at 9 points. The text is measured as the static draws it, with DrawTextW,
// wrapped where the static wraps it: a wrapped word on a line the static has no room for is as lost
// as a cut-off one.
#include "win32/fit_text.h"

#include <algorithm>
#include <cstdlib>
#include <string>
#include <utility>

#include "win32/window_ops.h"

namespace win32 {
namespace {

// How far a font may be narrowed, as a fraction of its average character width, before it is made
// smaller too: narrower letters would be harder to read than smaller ones.
constexpr int kLeastWidthNumerator = 3;
constexpr int kLeastWidthDenominator = 5;
// How far it may then be made smaller, as a fraction of its height: below that a cut-off text is
// easier to guess than a whole one is to read.
constexpr int kLeastHeightNumerator = 1;
constexpr int kLeastHeightDenominator = 2;

int CeilDiv(int number, int numerator, int denominator) {
  return (number * numerator + denominator - 1) / denominator;
}

// Statics of these kinds wrap their text at spaces; SS_LEFTNOWORDWRAP and SS_SIMPLE keep one line.
bool Wraps(DWORD style) {
  switch (style & SS_TYPEMASK) {
    case SS_LEFT:
    case SS_CENTER:
    case SS_RIGHT:
      return true;
    default:
      return false;
  }
}

enum class Kind { kNone, kStatic, kReadOnlyField };

// Text statics, and one-line edit boxes that show a text to read and copy, not to change.
Kind KindOf(HWND window) {
  wchar_t className[16] = {};
  ::GetClassNameW(window, className, 16);
  const DWORD style = static_cast<DWORD>(::GetWindowLongW(window, GWL_STYLE));
  if (::_wcsicmp(className, L"Edit") == 0) {
    return (style & ES_READONLY) != 0 && (style & ES_MULTILINE) == 0 ? Kind::kReadOnlyField
                                                                     : Kind::kNone;
  }
  if (::_wcsicmp(className, L"Static") != 0) return Kind::kNone;
  const DWORD type = style & SS_TYPEMASK;
  return Wraps(style) || type == SS_SIMPLE || type == SS_LEFTNOWORDWRAP ? Kind::kStatic
                                                                        : Kind::kNone;
}

struct StaticText {
  std::u16string text;
  UINT format = 0;  // DrawTextW flags: as the static draws it
  RECT client{};
};

// Whether the whole text shows in `font`: its widest line (a word too long to wrap included)
// within the width, and its lines, each as tall as the font, within the height.
bool Fits(HDC dc, HFONT font, const StaticText& shown) {
  const HGDIOBJ previous = ::SelectObject(dc, font);
  RECT extent{0, 0, shown.client.right, 0};
  ::DrawTextW(dc, Wide(shown.text), static_cast<int>(shown.text.size()), &extent,
              shown.format | DT_CALCRECT);
  ::SelectObject(dc, previous);
  return extent.right <= shown.client.right && extent.bottom <= shown.client.bottom;
}

// Whether one line of `font` is taller than `height`: no narrowing of it can fit then.
bool TallerThan(HDC dc, HFONT font, LONG height) {
  const HGDIOBJ previous = ::SelectObject(dc, font);
  TEXTMETRICW metrics{};
  ::GetTextMetricsW(dc, &metrics);
  ::SelectObject(dc, previous);
  return metrics.tmHeight > height;
}

int AverageCharWidth(HDC dc, HFONT font) {
  const HGDIOBJ previous = ::SelectObject(dc, font);
  TEXTMETRICW metrics{};
  ::GetTextMetricsW(dc, &metrics);
  ::SelectObject(dc, previous);
  return metrics.tmAveCharWidth;
}

// Where and how the control draws its text: a static in its client area, wrapped as its style
// says; an edit box on one line within its formatting rectangle, inside its margins.
void Describe(HWND control, Kind kind, StaticText& shown) {
  const DWORD style = static_cast<DWORD>(::GetWindowLongW(control, GWL_STYLE));
  if (kind == Kind::kReadOnlyField) {
    shown.format = DT_SINGLELINE | DT_NOPREFIX;
    RECT formatting{};
    ::SendMessageW(control, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&formatting));
    shown.client = {0, 0, formatting.right - formatting.left, formatting.bottom - formatting.top};
    return;
  }
  shown.format = DT_EXPANDTABS | (Wraps(style) ? DT_WORDBREAK : DT_SINGLELINE) |
                 ((style & SS_NOPREFIX) != 0 ? DT_NOPREFIX : 0);
  ::GetClientRect(control, &shown.client);
}

// The narrowed font for a control that needs one, or null: narrower first, then a pixel smaller
// and narrower again, and so on, the first that fits; the last tried when none does. A face
// whose lines are taller than the control's gets smaller at once, as narrowing does not help it.
UniqueFont FitControl(HWND control, Kind kind) {
  StaticText shown;
  shown.text = GetText(control);
  const auto font = reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0));
  if (shown.text.empty() || font == nullptr) return nullptr;
  Describe(control, kind, shown);

  HDC dc = ::GetDC(control);
  UniqueFont fitted;
  if (!Fits(dc, font, shown)) {
    LOGFONTW narrowed{};
    ::GetObjectW(font, sizeof(narrowed), &narrowed);
    const int natural = AverageCharWidth(dc, font);
    const int height = std::abs(narrowed.lfHeight);
    const int sign = narrowed.lfHeight < 0 ? -1 : 1;
    const auto tryFont = [&](int width, int lineHeight) {
      narrowed.lfWidth = width;
      narrowed.lfHeight = sign * lineHeight;
      fitted.reset(::CreateFontIndirectW(&narrowed));
      return fitted == nullptr || Fits(dc, fitted.get(), shown);
    };
    const int leastHeight =
        std::max(1, CeilDiv(height, kLeastHeightNumerator, kLeastHeightDenominator));
    bool done = false;
    for (int lineHeight = height; !done && lineHeight >= leastHeight; --lineHeight) {
      const int scaled = std::max(1, natural * lineHeight / std::max(1, height));
      // At the full height, the font's own width is the one that did not fit; a smaller font
      // first keeps its own proportions (width 0).
      if (lineHeight < height) done = tryFont(0, lineHeight);
      if (!done && !TallerThan(dc, fitted ? fitted.get() : font, shown.client.bottom)) {
        for (int width = scaled - 1;
             !done && width >= CeilDiv(scaled, kLeastWidthNumerator, kLeastWidthDenominator);
             --width) {
          done = tryFont(width, lineHeight);
        }
      }
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
    const Kind kind = KindOf(control);
    if (kind == Kind::kNone) continue;
    if (UniqueFont font = FitControl(control, kind)) fonts.push_back(std::move(font));
  }
  return fonts;
}

}  // namespace win32
