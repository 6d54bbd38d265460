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

CrLfUtf8Selection ToCrLfUtf8(QStringView text, qsizetype selStart, qsizetype selEnd) {
  const qsizetype start = std::clamp<qsizetype>(selStart, 0, text.size());
  const qsizetype end = std::clamp<qsizetype>(selEnd, 0, text.size());
  CrLfUtf8Selection result;
  std::string& out = result.bytes;
  // Time lists are mostly ASCII with short lines: one byte per unit plus a CR every few units.
  out.reserve(static_cast<std::size_t>(text.size() + text.size() / 4));
  for (qsizetype i = 0; i < text.size();) {
    const Character character = DecodeAt(text, i);
    // A position at a character, or inside a surrogate pair, maps to where the character starts.
    const qsizetype next = i + character.units;
    if (start >= i && start < next) result.start = static_cast<std::int64_t>(out.size());
    if (end >= i && end < next) result.end = static_cast<std::int64_t>(out.size());
    AppendEncoded(out, character.code);
    i = next;
  }
  if (start == text.size()) result.start = static_cast<std::int64_t>(out.size());
  if (end == text.size()) result.end = static_cast<std::int64_t>(out.size());
  return result;
}

std::string ToCrLfUtf8(QStringView text) { return ToCrLfUtf8(text, 0, 0).bytes; }

std::int64_t ToCrLfUtf8Offset(QStringView text, qsizetype position) {
  return ToCrLfUtf8(text, position, position).start;
}

}  // namespace ui
