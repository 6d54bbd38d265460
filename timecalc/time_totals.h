// The time list: how a line of text is read as a duration, how a whole list and a selected
// stretch of it are added up, and how a duration is shown.
//
// A list is a sequence of lines separated by CR LF; a lone CR or LF stays inside its line. A line
// reads "hours:minutes.seconds", as in 1:05.08, optionally followed by a label in square brackets.
// Fields are positional and lenient: no colon means no hours field, no point after the colon means
// no minutes field, the rest is seconds, and each field keeps only its ASCII digits. Fields have no
// range limits (0:75.00 is 75 minutes). Counts saturate at the largest SecondCount instead of
// overflowing.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "timecalc/text_buffer.h"

namespace timecalc {

using SecondCount = std::int64_t;

struct Totals {
  SecondCount all = 0;
  SecondCount selection = 0;
};

// Both totals of a list: every line of text, and the bytes [selStart, selEnd) cut out of it and
// read as a list of their own. An empty, reversed or out-of-range selection totals 0; an end past
// the text is cut at the end. Every byte of text counts, NUL bytes included (as non-digits).
Totals ComputeTotals(std::string_view text, std::int64_t selStart, std::int64_t selEnd);

// "%d:%02d.%02d" of hours, minutes and seconds: 3908 shows as 1:05.08, 360000 as 100:00.00.
std::string FormatSeconds(SecondCount seconds);

// The duration of one line (without its CR LF).
SecondCount ParseTimeLine(std::string_view line);
SecondCount ParseTimeLine(const CTextBuffer& line);

// Removes, in place, every byte that is not an ASCII digit.
void KeepDigits(CTextBuffer& field);

}  // namespace timecalc
