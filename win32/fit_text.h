// Statics whose text does not fit their rectangle in the font the dialog really got: Windows and
// Wine stand another face in for a template's font where it is missing ("ＭＳ Ｐゴシック" outside
// Japanese Windows, say), and a wider one cuts the last characters or words off. Such a static, or
// a read-only field such as the about box's address, gets a narrower version of its font, so that
// its whole text shows and no control moves.
#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>
#include <vector>

namespace win32 {

struct FontDeleter {
  void operator()(HFONT font) const { ::DeleteObject(font); }
};
using UniqueFont = std::unique_ptr<std::remove_pointer_t<HFONT>, FontDeleter>;

// Gives each text static of `dialog` whose text does not fit its rectangle, wrapped as the static
// wraps it, and each one-line read-only edit box whose text does not fit within its margins, the
// least narrowed version of its font that fits: narrowed by two fifths at most, and then smaller
// too, down to half its height (the smallest one when none fits). Returns the fonts it made; they
// must outlive the controls.
std::vector<UniqueFont> FitStaticTexts(HWND dialog);

}  // namespace win32
