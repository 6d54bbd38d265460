// Reading and adding up time lists in one pass over the text.
//
// Lines are cut by searching forward from where the previous line ended, so a list costs time in
// proportion to its length however many lines it has; this matters because the totals are
// recomputed on every keystroke.
#include "timecalc/time_totals.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <limits>
#include <string>

namespace timecalc {
namespace {

constexpr SecondCount kMaxSeconds = std::numeric_limits<SecondCount>::max();
constexpr std::string_view kLineBreak = "\r\n";

bool IsAsciiDigit(char c) { return c >= '0' && c <= '9'; }

// Both operands are never negative, so only the upper end can be crossed.
SecondCount SaturatingAdd(SecondCount a, SecondCount b) {
  return a > kMaxSeconds - b ? kMaxSeconds : a + b;
}

SecondCount SaturatingMultiply(SecondCount value, SecondCount weight) {
  return value > kMaxSeconds / weight ? kMaxSeconds : value * weight;
}

// The number spelled by the field's ASCII digits, every other byte skipped; 0 when there are none.
SecondCount DigitValue(std::string_view field) {
  SecondCount value = 0;
  // Below this bound another digit cannot overflow, so the exact check is rarely needed.
  constexpr SecondCount kRoomForADigit = (kMaxSeconds - 9) / 10;
  for (const char c : field) {
    if (!IsAsciiDigit(c)) continue;
    const int digit = c - '0';
    if (value > kRoomForADigit && value > (kMaxSeconds - digit) / 10) return kMaxSeconds;
    value = value * 10 + digit;
  }
  return value;
}

SecondCount SumLines(std::string_view text) {
  SecondCount sum = 0;
  while (!text.empty()) {
    const std::size_t end = text.find(kLineBreak);
    if (end == std::string_view::npos) return SaturatingAdd(sum, ParseTimeLine(text));
    sum = SaturatingAdd(sum, ParseTimeLine(text.substr(0, end)));
    text.remove_prefix(end + kLineBreak.size());
  }
  return sum;
}

// The selected bytes, cut at the end of the text; empty when the range is empty or starts outside.
std::string_view SelectedBytes(std::string_view text, std::int64_t selStart, std::int64_t selEnd) {
  const auto length = static_cast<std::int64_t>(text.size());
  if (selEnd <= selStart || selStart < 0 || selStart >= length) return {};
  const std::int64_t count = std::min(selEnd - selStart, length - selStart);
  return text.substr(static_cast<std::size_t>(selStart), static_cast<std::size_t>(count));
}

}  // namespace

SecondCount ParseTimeLine(std::string_view line) {
  // A label runs from the first "[" to the end of the line, but only when a "]" closes it
  // somewhere; a stray "[" is just another non-digit.
  const std::size_t labelStart = line.find('[');
  if (labelStart != std::string_view::npos && line.find(']') != std::string_view::npos) {
    line = line.substr(0, labelStart);
  }

  SecondCount seconds = 0;
  if (const std::size_t colon = line.find(':'); colon != std::string_view::npos) {
    seconds = SaturatingMultiply(DigitValue(line.substr(0, colon)), 3600);
    line.remove_prefix(colon + 1);
  }
  if (const std::size_t point = line.find('.'); point != std::string_view::npos) {
    seconds = SaturatingAdd(seconds, SaturatingMultiply(DigitValue(line.substr(0, point)), 60));
    line.remove_prefix(point + 1);
  }
  return SaturatingAdd(seconds, DigitValue(line));
}

SecondCount ParseTimeLine(const CTextBuffer& line) { return ParseTimeLine(line.View()); }

void KeepDigits(CTextBuffer& field) {
  std::string digits;
  for (const char c : field.View()) {
    if (IsAsciiDigit(c)) digits.push_back(c);
  }
  if (digits.size() != static_cast<std::size_t>(field.GetLength())) {
    field.Assign(digits.data(), static_cast<std::int32_t>(digits.size()));
  }
}

Totals ComputeTotals(std::string_view text, std::int64_t selStart, std::int64_t selEnd) {
  return {SumLines(text), SumLines(SelectedBytes(text, selStart, selEnd))};
}

std::string FormatSeconds(SecondCount seconds) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%" PRId64 ":%02" PRId64 ".%02" PRId64, seconds / 3600,
                (seconds % 3600) / 60, seconds % 60);
  return buffer;
}

}  // namespace timecalc
