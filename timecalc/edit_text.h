// The bridge between an edit box and the totaliser. The totaliser reads UTF-8 bytes with CR LF
// between lines and byte offsets into them; edit boxes hold UTF-16 text and report cursor
// positions in UTF-16 units. A Windows edit box writes a line break as CR LF (two units), Qt's as
// a single LF. A wrong mapping here shows a plausible but wrong total, so the bytes and both
// offsets come from one decoding pass.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace timecalc {

// How the edit box writes a line break.
enum class LineBreak {
  kLf,    // one LF unit, which becomes CR LF; a CR is an ordinary character
  kCrLf,  // CR LF as the totaliser reads it; every unit is taken as it stands
};

struct EditBytes {
  std::string bytes;
  std::int64_t start = 0;  // byte offsets of the two cursor positions in `bytes`
  std::int64_t end = 0;
};

// Converts an edit box's text again and again into memory it keeps. The shells convert the whole
// list on every keystroke, and a fresh block of a list's size costs more to touch for the first
// time (every page faulted in and cleared) than the conversion itself.
class ListBytesBuffer {
 public:
  struct View {
    std::string_view bytes;  // valid until the next conversion
    std::int64_t start = 0;
    std::int64_t end = 0;
  };

  // As ToListBytes below.
  View Convert(std::u16string_view text, LineBreak lineBreak, std::int64_t selStart,
               std::int64_t selEnd);

 private:
  std::unique_ptr<char[]> m_bytes;
  std::size_t m_capacity = 0;
};

// `text` as UTF-8 bytes with CR LF line breaks, a lone surrogate as U+FFFD, together with the byte
// offsets of two cursor positions (UTF-16 units). Positions outside the text are clamped to it; a
// position between the two halves of a surrogate pair counts as the start of that character, so
// no character is ever cut in two.
EditBytes ToListBytes(std::u16string_view text, LineBreak lineBreak, std::int64_t selStart,
                      std::int64_t selEnd);

// The bytes alone.
std::string ToListBytes(std::u16string_view text, LineBreak lineBreak);

// The byte offset of one cursor position, by the rules above.
std::int64_t ToListByteOffset(std::u16string_view text, LineBreak lineBreak, std::int64_t position);

}  // namespace timecalc
