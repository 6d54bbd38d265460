// The program's command line, read the same way by both shells: `tallimo [--list | --total]
// [--help] [--version] [--] [PATH...]`. Without --list or --total the paths are measured into the
// window's list as if they had been dropped, in order; with them, no window is made (see
// drops/terminal.h).
#pragma once

#include <filesystem>
#include <functional>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace drops {

// An argument as the platform hands it over: on Linux its bytes, which need not be UTF-8, on
// Windows its UTF-16 units. A path is taken from them as they stand, never through text and back.
using Argument = std::filesystem::path::string_type;

// The exit status of a command line that cannot be read, as command-line tools use it.
inline constexpr int kUsageErrorStatus = 2;

// The path that stands for the list typed on standard input, with --list and --total.
inline const std::filesystem::path kStandardInput = "-";

// A text of the program's string table (res/resource.h) in the interface language, as each shell
// reads its resources.
using LoadText = std::function<std::u16string(int id)>;

// `pattern` with %1, %2, ... replaced by the values, in one pass: a value's own % signs stay.
std::u16string Substitute(std::u16string_view pattern,
                          std::initializer_list<std::u16string_view> values);

struct CommandLine {
  enum class Action {
    kRun,      // open the window with `paths`
    kList,     // write the lines that `paths` add, without a window
    kTotal,    // write the total of those lines, without a window
    kHelp,     // show `message` and end with status 0
    kVersion,  // the same
    kError,    // show `message` and end with kUsageErrorStatus
  };
  Action action = Action::kRun;
  // kRun, kList and kTotal: in the order given, relative ones taken from the working folder; with
  // kList and kTotal, kStandardInput stands as it is.
  std::vector<std::filesystem::path> paths;
  // The rest: the text to show, laid out for a message box: paragraphs on one line each, the rows
  // of the options' table as "option TAB description". LayOutForTerminal fits it to a terminal.
  std::u16string message;
  // The arguments name --list, --total, --help or --version: no window is wanted, so even a command
  // line that cannot be read is answered without one (a toolkit that takes its own options out of
  // the arguments never needs to start).
  bool windowless = false;
};

// Reads `arguments`, the program's name left out. The first of --help, --version, an unknown
// option (any other argument that starts with '-') and a second of --list and --total decides;
// otherwise --list or --total without a path is an error. `--` makes every later argument a path,
// even one that starts with '-'; a lone '-' is a path too.
CommandLine ReadCommandLine(std::span<const Argument> arguments, std::u16string_view version,
                            const LoadText& text);

// `text` as a terminal of `width` columns shows it best: each paragraph wrapped at spaces (and
// between wide characters, which take two columns, as Japanese breaks), each table row as an
// indented option with its description wrapped beside it, and lines that start with a space (the
// examples) as they stand.
std::u16string LayOutForTerminal(std::u16string_view text, std::size_t width = 79);

// The columns a terminal gives `text`: two for a wide character (CJK, full-width forms), one for
// any other.
std::size_t TerminalColumns(std::u16string_view text);

}  // namespace drops
