// Text from bytes that declare no encoding: file names on Linux, and the lines of playlists and
// cue sheets, which are UTF-8 when they are valid UTF-8 and otherwise whatever the program that
// wrote them used, most likely the system's ANSI code page of a Windows machine.
#pragma once

#include <string>
#include <string_view>

namespace drops {

// `bytes` read as UTF-8, each byte that is not part of a valid sequence (overlong forms and
// surrogates included) as U+FFFD. `valid`, when given, tells whether there was none.
std::u16string Utf8Text(std::string_view bytes, bool* valid = nullptr);

bool IsUtf8(std::string_view bytes);

// `bytes` read in the system's ANSI code page on Windows, and as Latin-1 elsewhere.
std::u16string CodePageText(std::string_view bytes);

// UTF-16 as UTF-8, a lone surrogate as U+FFFD.
std::string Utf8Of(std::u16string_view text);

// Whether `text` starts with, or is, `lower`, ASCII letters of `text` in either case.
bool StartsWithNoCase(std::string_view text, std::string_view lower);
bool EqualsNoCase(std::string_view text, std::string_view lower);

// Appends the UTF-8 form of a code point (at most U+10FFFF) to `out`.
void AppendUtf8(std::string& out, char32_t value);

}  // namespace drops
