// Text and cursor positions of the edit box in the form the totaliser reads.
#include "ui/window_ops.h"

#include <QChar>
#include <algorithm>

namespace ui {
namespace {

constexpr char32_t kReplacementCharacter = 0xFFFD;

// One character of the text: its code point after line-break and surrogate handling, and how
// many UTF-16 units it spans.
struct Character {
  char32_t code;
  qsizetype units;
};

Character DecodeAt(QStringView text, qsizetype i) {
  const char16_t unit = text[i].unicode();
  if (!QChar::isSurrogate(unit)) return Character{unit, 1};
  if (QChar::isHighSurrogate(unit) && i + 1 < text.size() &&
      QChar::isLowSurrogate(text[i + 1].unicode())) {
    return Character{QChar::surrogateToUcs4(unit, text[i + 1].unicode()), 2};
  }
  return Character{kReplacementCharacter, 1};
}

int EncodedLength(char32_t code) {
  if (code == U'\n') return 2;  // CR LF
  if (code < 0x80) return 1;
  if (code < 0x800) return 2;
  if (code < 0x10000) return 3;
  return 4;
}

void AppendEncoded(std::string& out, char32_t code) {
  if (code == U'\n') {
    out += "\r\n";
  } else if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

}  // namespace

std::string ToCrLfUtf8(QStringView text) {
  std::string out;
  // Time lists are mostly ASCII with short lines: one byte per unit plus a CR every few units.
  out.reserve(static_cast<std::size_t>(text.size() + text.size() / 4));
  for (qsizetype i = 0; i < text.size();) {
    const Character character = DecodeAt(text, i);
    AppendEncoded(out, character.code);
    i += character.units;
  }
  return out;
}

std::int64_t ToCrLfUtf8Offset(QStringView text, qsizetype position) {
  const qsizetype end = std::clamp<qsizetype>(position, 0, text.size());
  std::int64_t offset = 0;
  for (qsizetype i = 0; i < end;) {
    const Character character = DecodeAt(text, i);
    if (i + character.units > end) break;  // the position splits a surrogate pair
    offset += EncodedLength(character.code);
    i += character.units;
  }
  return offset;
}

}  // namespace ui
