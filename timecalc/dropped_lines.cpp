// Turning dropped files into lines of the time list.
#include "timecalc/dropped_lines.h"

#include <algorithm>

namespace timecalc {
namespace {

constexpr char16_t kReplacementCharacter = 0xFFFD;

bool BreaksTheLine(char16_t c) {
  return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029;
}

std::u16string_view LineBreakText(LineBreak lineBreak) {
  return lineBreak == LineBreak::kCrLf ? u"\r\n" : u"\n";
}

}  // namespace

std::u16string DroppedFileName(std::u16string_view path, std::u16string_view separators) {
  const std::size_t cut = path.find_last_of(separators);
  std::u16string name(cut == std::u16string_view::npos ? path : path.substr(cut + 1));
  for (char16_t& c : name) {
    if (BreaksTheLine(c)) c = kReplacementCharacter;
  }
  return name;
}

std::u16string DroppedFileLine(std::u16string_view path, std::optional<SecondCount> seconds,
                               std::u16string_view separators) {
  std::u16string line(kUnmeasuredTime);
  if (seconds) {
    const std::string time = FormatSeconds(*seconds);  // ASCII digits, colon and point only
    line.assign(time.begin(), time.end());
  }
  line += u'[';
  line += DroppedFileName(path, separators);
  line += u']';
  return line;
}

std::u16string AppendedDropText(std::u16string_view list, std::span<const std::u16string> lines,
                                LineBreak lineBreak) {
  if (lines.empty()) return {};
  const std::u16string_view lineEnd = LineBreakText(lineBreak);
  std::u16string text;
  if (!list.empty() && !list.ends_with(lineEnd)) text += lineEnd;
  for (const std::u16string& line : lines) {
    text += line;
    text += lineEnd;
  }
  return text;
}

}  // namespace timecalc
