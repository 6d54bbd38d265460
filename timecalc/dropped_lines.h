// The lines that files dropped on the window add to the time list: the file's play length, then
// its name in square brackets, which the totaliser ignores.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "timecalc/edit_text.h"
#include "timecalc/time_totals.h"

namespace timecalc {

// What ends the folder part of a path: "/" everywhere, and on Windows the backslash as well.
#ifdef _WIN32
inline constexpr std::u16string_view kPathSeparators = u"\\/";
#else
inline constexpr std::u16string_view kPathSeparators = u"/";
#endif

// The part of `path` after its last separator (empty when it ends in one), with every control
// character (U+0000-U+001F, U+007F-U+009F) and line or paragraph separator replaced by U+FFFD, so
// that one file is always exactly one line.
std::u16string DroppedFileName(std::u16string_view path,
                               std::u16string_view separators = kPathSeparators);

// What a dropped file whose length could not be measured shows in place of its length. The digit
// filter reads it as 0, and a person as "unknown": it stands apart from a file measured as 0 s.
inline constexpr std::u16string_view kUnmeasuredTime = u"?:??.??";

// The line a dropped file adds, without its line break: "0:03.25[name]", or "?:??.??[name]" when
// `seconds` is empty.
std::u16string DroppedFileLine(std::u16string_view path, std::optional<SecondCount> seconds,
                               std::u16string_view separators = kPathSeparators);

// The text that a drop appends to a list whose text so far is `list` (only its last two units
// are looked at): the lines, each ending in a line break, preceded by one when the list does not
// end in a line break yet, so that a dropped line never continues the user's last line. Empty when
// there are no lines.
std::u16string AppendedDropText(std::u16string_view list, std::span<const std::u16string> lines,
                                LineBreak lineBreak);

}  // namespace timecalc
