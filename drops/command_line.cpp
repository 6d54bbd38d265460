// The options, the texts that answer them, and their layout for a terminal.
#include "drops/command_line.h"

#include <algorithm>
#include <optional>
#include <system_error>

#include "drops/folder_walk.h"
#include "res/resource.h"

namespace drops {
namespace {

// Whether `argument` is the ASCII text `option`, whatever the platform's units.
bool Is(const Argument& argument, std::string_view option) {
  return std::equal(argument.begin(), argument.end(), option.begin(), option.end(),
                    [](auto unit, char c) { return unit == static_cast<unsigned char>(c); });
}

// Relative paths are taken from the working folder, as a command line means them.
std::filesystem::path FullPath(const Argument& argument) {
  std::error_code error;
  std::filesystem::path full = std::filesystem::absolute(argument, error);
  return error ? std::filesystem::path(argument) : full;
}

std::u16string Ascii(std::string_view text) { return {text.begin(), text.end()}; }

// A usage error, with the hint that every one of them ends with.
std::u16string UsageError(const LoadText& text, int id,
                          std::initializer_list<std::u16string_view> values) {
  return Substitute(text(id), values) + u"\n" + text(res::kIdsTryHelp);
}

// One character of a text: a code point and the units it takes.
struct Character {
  char32_t code = 0;
  std::size_t units = 1;
};

Character CharacterAt(std::u16string_view text, std::size_t i) {
  const char16_t unit = text[i];
  if (unit >= 0xD800 && unit < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
      text[i + 1] < 0xE000) {
    return {0x10000 + ((char32_t(unit) - 0xD800) << 10) + (text[i + 1] - 0xDC00), 2};
  }
  return {unit, 1};
}

// East Asian wide and full-width characters, which a terminal shows two columns wide.
bool IsWide(char32_t c) {
  return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0x303E) ||
         (c >= 0x3041 && c <= 0x33FF) || (c >= 0x3400 && c <= 0x4DBF) ||
         (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xA000 && c <= 0xA4CF) ||
         (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
         (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
         (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x1F300 && c <= 0x1F64F) ||
         (c >= 0x20000 && c <= 0x3FFFD);
}

// Japanese lines never start with closing punctuation or end with opening punctuation.
constexpr std::u16string_view kNoLineStart = u"、。，．・：；？！）」』】〕〉》ー";
constexpr std::u16string_view kNoLineEnd = u"（「『【〔〈《";

bool MayBreakBetween(char32_t before, char32_t after) {
  const auto in = [](std::u16string_view set, char32_t c) {
    return c < 0x10000 && set.find(static_cast<char16_t>(c)) != std::u16string_view::npos;
  };
  return (IsWide(before) || IsWide(after)) && !in(kNoLineStart, after) && !in(kNoLineEnd, before);
}

std::u16string_view TrimSpaces(std::u16string_view text) {
  while (!text.empty() && text.front() == u' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == u' ') text.remove_suffix(1);
  return text;
}

// `text` in lines of at most `width` columns, each broken at the last place it may break; a word
// longer than a line is cut.
std::vector<std::u16string> Wrap(std::u16string_view text, std::size_t width) {
  std::vector<std::u16string> lines;
  text = TrimSpaces(text);
  while (TerminalColumns(text) > width) {
    std::size_t columns = 0;
    std::size_t cut = 0;     // where this line ends
    std::size_t resume = 0;  // where the next one starts
    char32_t before = 0;
    std::size_t i = 0;
    for (; i < text.size();) {
      const Character c = CharacterAt(text, i);
      if (c.code == u' ') {
        cut = i;
        resume = i + 1;
      } else if (i > 0 && MayBreakBetween(before, c.code)) {
        cut = resume = i;
      }
      columns += IsWide(c.code) ? 2 : 1;
      if (columns > width) break;
      before = c.code;
      i += c.units;
    }
    if (cut == 0) cut = resume = std::max<std::size_t>(i, CharacterAt(text, 0).units);
    lines.emplace_back(TrimSpaces(text.substr(0, cut)));
    text = TrimSpaces(text.substr(resume));
  }
  lines.emplace_back(text);
  return lines;
}

}  // namespace

std::u16string Substitute(std::u16string_view pattern,
                          std::initializer_list<std::u16string_view> values) {
  std::u16string result;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    const std::size_t index = i + 1 < pattern.size() ? std::size_t(pattern[i + 1] - u'1') : 0;
    if (pattern[i] == u'%' && i + 1 < pattern.size() && index < values.size()) {
      result += values.begin()[index];
      ++i;
    } else {
      result += pattern[i];
    }
  }
  return result;
}

CommandLine ReadCommandLine(std::span<const Argument> arguments, std::u16string_view version,
                            const LoadText& text) {
  CommandLine line;
  std::optional<CommandLine::Action> decided;  // by --help, --version or an error
  std::optional<std::u16string> mode;          // "--list" or "--total"
  std::vector<const Argument*> paths;
  bool options = true;
  const auto decide = [&](CommandLine::Action action, std::u16string message) {
    if (decided) return;
    decided = action;
    line.message = std::move(message);
  };
  for (const Argument& argument : arguments) {
    if (!options || argument.size() < 2 || argument[0] != '-') {
      paths.push_back(&argument);
    } else if (Is(argument, "--")) {
      options = false;
    } else if (Is(argument, "--help")) {
      line.windowless = true;
      decide(CommandLine::Action::kHelp, text(res::kIdsHelp));
    } else if (Is(argument, "--version")) {
      line.windowless = true;
      decide(CommandLine::Action::kVersion, Substitute(text(res::kIdsVersion), {version}));
    } else if (Is(argument, "--list") || Is(argument, "--total")) {
      line.windowless = true;
      const std::u16string option = Ascii(Is(argument, "--list") ? "--list" : "--total");
      if (mode && *mode != option) {
        decide(CommandLine::Action::kError,
               UsageError(text, res::kIdsOptionsExclusive, {*mode, option}));
      }
      mode = option;
    } else {
      decide(CommandLine::Action::kError,
             UsageError(text, res::kIdsUnknownOption, {LabelText(argument)}));
    }
  }
  if (!decided && mode && paths.empty()) {
    decide(CommandLine::Action::kError, UsageError(text, res::kIdsNoPath, {*mode}));
  }
  if (decided) {
    line.action = *decided;
    return line;
  }
  const bool windowless = mode.has_value();
  if (windowless) {
    line.action = *mode == u"--list" ? CommandLine::Action::kList : CommandLine::Action::kTotal;
  }
  for (const Argument* path : paths) {
    line.paths.push_back(windowless && std::filesystem::path(*path) == kStandardInput
                             ? kStandardInput
                             : FullPath(*path));
  }
  return line;
}

std::u16string LayOutForTerminal(std::u16string_view text, std::size_t width) {
  if (text.ends_with(u'\n')) text.remove_suffix(1);
  // The descriptions of the options' rows start in one column, after the longest option.
  std::size_t optionColumns = 0;
  for (std::size_t start = 0; start <= text.size();) {
    const std::size_t end = std::min(text.find(u'\n', start), text.size());
    const std::u16string_view row = text.substr(start, end - start);
    if (const std::size_t tab = row.find(u'\t'); tab != std::u16string_view::npos) {
      optionColumns = std::max(optionColumns, TerminalColumns(row.substr(0, tab)));
    }
    start = end + 1;
  }
  const std::size_t indent = optionColumns + 4;

  std::u16string result;
  for (std::size_t start = 0; start <= text.size();) {
    const std::size_t end = std::min(text.find(u'\n', start), text.size());
    const std::u16string_view line = text.substr(start, end - start);
    start = end + 1;
    const std::size_t tab = line.find(u'\t');
    if (line.starts_with(u' ')) {
      result.append(line).append(u"\n");
    } else if (tab == std::u16string_view::npos) {
      for (const std::u16string& wrapped : Wrap(line, width)) result.append(wrapped).append(u"\n");
    } else {
      const std::u16string_view option = line.substr(0, tab);
      const std::vector<std::u16string> description =
          Wrap(line.substr(tab + 1), width > indent ? width - indent : 1);
      result.append(u"  ").append(option);
      result.append(indent - 2 - TerminalColumns(option), u' ');
      for (std::size_t i = 0; i < description.size(); ++i) {
        if (i > 0) result.append(indent, u' ');
        result.append(description[i]).append(u"\n");
      }
    }
  }
  return result;
}

std::size_t TerminalColumns(std::u16string_view text) {
  std::size_t columns = 0;
  for (std::size_t i = 0; i < text.size();) {
    const Character c = CharacterAt(text, i);
    columns += IsWide(c.code) ? 2 : 1;
    i += c.units;
  }
  return columns;
}

}  // namespace drops
