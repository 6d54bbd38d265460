// Text and cursor positions of an edit box in the form the totaliser reads.
#include "timecalc/edit_text.h"

#include <algorithm>
#include <cstring>

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

// The most bytes one UTF-16 unit becomes: a character of the Basic Multilingual Plane from U+0800
// on, or a lone surrogate as U+FFFD, is three bytes for one unit; a pair is four for two; an LF
// that becomes CR LF is two for one.
constexpr std::size_t kMaxBytesPerUnit = 3;

char* WriteUtf8(char* out, char32_t code) {
  if (code < 0x800) {
    *out++ = static_cast<char>(0xC0 | (code >> 6));
    *out++ = static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    *out++ = static_cast<char>(0xE0 | (code >> 12));
    *out++ = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    *out++ = static_cast<char>(0x80 | (code & 0x3F));
  } else {
    *out++ = static_cast<char>(0xF0 | (code >> 18));
    *out++ = static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    *out++ = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    *out++ = static_cast<char>(0x80 | (code & 0x3F));
  }
  return out;
}

// Whether any of the four UTF-16 units packed in `units` is `unit`.
bool HasUnit(std::uint64_t units, char16_t unit) {
  constexpr std::uint64_t kOnes = 0x0001000100010001;
  constexpr std::uint64_t kHighBits = 0x8000800080008000;
  const std::uint64_t zeroWhereEqual = units ^ (kOnes * unit);
  return ((zeroWhereEqual - kOnes) & ~zeroWhereEqual & kHighBits) != 0;
}

char* WriteAscii(char* out, char16_t unit, bool lfBecomesCrLf) {
  if (unit == u'\n' && lfBecomesCrLf) *out++ = '\r';
  *out++ = static_cast<char>(unit);
  return out;
}

// Writes the units [from, to) of `text`, which must not split a surrogate pair, to `out`; returns
// the end of what was written. Lists are mostly ASCII: eight units at a time are copied byte by
// byte as long as none of them needs more.
char* WriteListBytes(std::u16string_view text, std::size_t from, std::size_t to,
                     LineBreak lineBreak, char* out) {
  constexpr std::size_t kBlock = 8;
  constexpr std::uint64_t kNotAscii = 0xFF80FF80FF80FF80;
  const bool lfBecomesCrLf = lineBreak == LineBreak::kLf;
  for (std::size_t i = from; i < to;) {
    if (to - i >= kBlock) {
      std::uint64_t low;
      std::uint64_t high;
      std::memcpy(&low, text.data() + i, sizeof low);
      std::memcpy(&high, text.data() + i + 4, sizeof high);
      if (((low | high) & kNotAscii) == 0) {
        if (lfBecomesCrLf && (HasUnit(low, u'\n') || HasUnit(high, u'\n'))) {
          for (std::size_t k = 0; k < kBlock; ++k) out = WriteAscii(out, text[i + k], true);
        } else {
          for (std::size_t k = 0; k < kBlock; ++k) out[k] = static_cast<char>(text[i + k]);
          out += kBlock;
        }
        i += kBlock;
        continue;
      }
    }
    const char16_t unit = text[i];
    if (unit < 0x80) {
      out = WriteAscii(out, unit, lfBecomesCrLf);
      ++i;
      continue;
    }
    const Character character = DecodeAt(text, i);
    out = WriteUtf8(out, character.code);
    i += character.units;
  }
  return out;
}

// A cursor position clamped to the text, and moved from between the halves of a surrogate pair to
// the start of the pair.
std::size_t CharacterStart(std::u16string_view text, std::int64_t position) {
  const auto i = static_cast<std::size_t>(
      std::clamp<std::int64_t>(position, 0, static_cast<std::int64_t>(text.size())));
  if (i > 0 && i < text.size() && IsHighSurrogate(text[i - 1]) && IsLowSurrogate(text[i])) {
    return i - 1;
  }
  return i;
}

}  // namespace

ListBytesBuffer::View ListBytesBuffer::Convert(std::u16string_view text, LineBreak lineBreak,
                                               std::int64_t selStart, std::int64_t selEnd) {
  const std::size_t needed = text.size() * kMaxBytesPerUnit;
  if (needed > m_capacity) {
    // A list grows a character at a time while typed: room to spare saves a new block per key.
    // Pages of the block that are never written are never touched either.
    m_capacity = needed + needed / 2;
    m_bytes = std::make_unique_for_overwrite<char[]>(m_capacity);
  }
  // Both positions cut the text at character starts, so its three stretches convert on their own
  // exactly as the whole would, and each cut's byte offset is where a stretch's bytes end.
  const std::size_t start = CharacterStart(text, selStart);
  const std::size_t end = CharacterStart(text, selEnd);
  const std::size_t first = std::min(start, end);
  const std::size_t second = std::max(start, end);
  char* const bytes = m_bytes.get();
  char* out = WriteListBytes(text, 0, first, lineBreak, bytes);
  const std::int64_t firstOffset = out - bytes;
  out = WriteListBytes(text, first, second, lineBreak, out);
  const std::int64_t secondOffset = out - bytes;
  out = WriteListBytes(text, second, text.size(), lineBreak, out);
  return View{{bytes, static_cast<std::size_t>(out - bytes)},
              start <= end ? firstOffset : secondOffset,
              start <= end ? secondOffset : firstOffset};
}

EditBytes ToListBytes(std::u16string_view text, LineBreak lineBreak, std::int64_t selStart,
                      std::int64_t selEnd) {
  ListBytesBuffer buffer;
  const ListBytesBuffer::View view = buffer.Convert(text, lineBreak, selStart, selEnd);
  return EditBytes{std::string(view.bytes), view.start, view.end};
}
std::string ToListBytes(std::u16string_view text, LineBreak lineBreak) {
  return ToListBytes(text, lineBreak, 0, 0).bytes;
}

std::int64_t ToListByteOffset(std::u16string_view text, LineBreak lineBreak,
                              std::int64_t position) {
  return ToListBytes(text, lineBreak, position, position).start;
}

}  // namespace timecalc
