// The dialog templates and the string table of a Windows resource script, read by the Qt shell from
// res/tallimo.rc, the same script the Windows program is compiled from.
#pragma once

#include <QByteArrayView>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

namespace ui {

// One CONTROL of a dialog template. `rect` is in dialog units; `id` is -1 for controls that no code
// binds to. The style holds what the resource compiler writes, the child and visible bits included.
struct ControlTemplate {
  QString className;  // as written; Windows compares class names without regard to case
  int id = -1;
  std::uint32_t style = 0;
  QRect rect;
  QString text;
  std::optional<int> textId;  // a resource number in place of the text, as an icon static has
};

struct DialogTemplate {
  int id = 0;
  bool extended = false;  // DIALOGEX: the font also has a weight, italic flag and character set
  std::uint32_t style = 0;
  std::uint32_t exStyle = 0;
  QPoint position;  // dialog units
  QSize size;       // client area, in dialog units
  QString caption;
  QString fontFace;
  int fontPoints = 0;
  int fontWeight = 0;
  int fontItalic = 0;
  int fontCharset = 0;
  std::vector<ControlTemplate> controls;  // template order, which is also the tab order
};

// Windows language ids (MAKELANGID): the primary language in the low ten bits, the sublanguage
// above them.
inline constexpr std::uint16_t kLangEnglishUs = 0x0409;
inline constexpr std::uint16_t kLangJapanese = 0x0411;

// The dialogs and strings of one language.
struct LanguageResources {
  std::map<int, DialogTemplate> dialogs;
  std::map<int, QString> strings;
};

struct ResourceScript {
  // By the language of the LANGUAGE statement before them; English (United States) before any.
  std::map<std::uint16_t, LanguageResources> languages;
};

// Reads the statements that res/tallimo.rc uses, with the defaults windres applies (a dialog's
// style gains WS_CAPTION with a caption and DS_SETFONT with a font, a control's gains WS_CHILD and
// WS_VISIBLE, the language is English (United States) until a LANGUAGE statement). Icons, the
// version block and resources taken from files are skipped. Anything else gives no script and an
// error "line N: ..." instead of a guess at what the compiler would make.
std::optional<ResourceScript> ParseResourceScript(QByteArrayView text, QString* error);

}  // namespace ui
