// Text and cursor positions of an edit box in the form the totaliser reads.
#include "timecalc/edit_text.h"

#include <algorithm>

namespace timecalc {
namespace {

constexpr char32_t kReplacementCharacter = 0xFFFD;

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// One character of the text: its code point after surrogate handling, and how many UTF-16 units
// it spans.
struct Character {
  char32_t code;
  std::size_t units;
};

Character DecodeAt(std::u16string_view text, std::size_t i) {
  const char16_t unit = text[i];
  if (unit < 0xD800 || unit > 0xDFFF) return Character{unit, 1};
  if (IsHighSurrogate(unit) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
    return Character{0x10000 + ((char32_t{unit} - 0xD800) << 10) + (char32_t{text[i + 1]} - 0xDC00),
                     2};
  }
  return Character{kReplacementCharacter, 1};
}

void AppendUtf8(std::string& out, char32_t code) {
  if (code < 0x80) {
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

EditBytes ToListBytes(std::u16string_view text, LineBreak lineBreak, std::int64_t selStart,
                      std::int64_t selEnd) {
  const auto size = static_cast<std::int64_t>(text.size());
  const auto start = static_cast<std::size_t>(std::clamp<std::int64_t>(selStart, 0, size));
  const auto end = static_cast<std::size_t>(std::clamp<std::int64_t>(selEnd, 0, size));
  EditBytes result;
  std::string& out = result.bytes;
  // Time lists are mostly ASCII with short lines: one byte per unit plus a CR every few units.
  out.reserve(text.size() + text.size() / 4);
  for (std::size_t i = 0; i < text.size();) {
    const Character character = DecodeAt(text, i);
    // A position at a character, or inside a surrogate pair, maps to where the character starts.
    const std::size_t next = i + character.units;
    if (start >= i && start < next) result.start = static_cast<std::int64_t>(out.size());
    if (end >= i && end < next) result.end = static_cast<std::int64_t>(out.size());
    if (character.code == U'\n' && lineBreak == LineBreak::kLf) out += '\r';
    AppendUtf8(out, character.code);
    i = next;
  }
  if (start == text.size()) result.start = static_cast<std::int64_t>(out.size());
  if (end == text.size()) result.end = static_cast<std::int64_t>(out.size());
  return result;
}

std::string ToListBytes(std::u16string_view text, LineBreak lineBreak) {
  return ToListBytes(text, lineBreak, 0, 0).bytes;
}

std::int64_t ToListByteOffset(std::u16string_view text, LineBreak lineBreak,
                              std::int64_t position) {
  return ToListBytes(text, lineBreak, position, position).start;
}

}  // namespace timecalc
