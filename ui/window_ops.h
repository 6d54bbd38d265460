// The bridge between the edit box and the totaliser. The totaliser reads bytes with CR LF between
// lines and byte offsets into them, as a Windows edit control hands them out; Qt's edit box holds
// UTF-16 text with one unit per line break. A wrong mapping here shows a plausible but wrong total,
// so both directions are derived from one decoding step.
#pragma once

#include <QStringView>
#include <cstdint>
#include <string>

namespace ui {

// `text` is an edit box's plain text, LF between lines (QPlainTextEdit::toPlainText). Each LF
// becomes CR LF, everything else UTF-8; a lone surrogate becomes U+FFFD.
std::string ToCrLfUtf8(QStringView text);

// ToCrLfUtf8(text) together with the byte offsets in it of two cursor positions into `text`
// (UTF-16 units, one per line break), all from one pass over the text. Positions outside the text
// are clamped to it; a position between the two halves of a surrogate pair counts as the start of
// that character, so no character is ever cut in two.
struct CrLfUtf8Selection {
  std::string bytes;
  std::int64_t start = 0;
  std::int64_t end = 0;
};
CrLfUtf8Selection ToCrLfUtf8(QStringView text, qsizetype selStart, qsizetype selEnd);

// The byte offset in ToCrLfUtf8(text) of one cursor position, by the rules above.
std::int64_t ToCrLfUtf8Offset(QStringView text, qsizetype position);

}  // namespace ui
