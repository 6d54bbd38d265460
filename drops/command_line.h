// The program's command line, read the same way by both shells: `tallimo [--help] [--version]
// [--] [PATH...]`. The paths are measured into the list as if they had been dropped, in order.
#pragma once

#include <filesystem>
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

struct CommandLine {
  enum class Action {
    kRun,      // open the window with `paths`
    kHelp,     // show `message` and end with status 0
    kVersion,  // the same
    kError,    // show `message` and end with kUsageErrorStatus
  };
  Action action = Action::kRun;
  // kRun: in the order given, relative ones taken from the working folder.
  std::vector<std::filesystem::path> paths;
  std::u16string message;  // the rest: the text to show, its lines ending in LF
};

// Reads `arguments`, the program's name left out. Options are `--help` and `--version`; the first
// of them decides. `--` makes every later argument a path, even one that starts with '-'; a lone
// '-' is a path too. Any other argument that starts with '-' is an unknown option.
CommandLine ReadCommandLine(std::span<const Argument> arguments, std::u16string_view version);

}  // namespace drops
