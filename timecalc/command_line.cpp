// The options, and the texts that answer them.
#include "timecalc/command_line.h"

namespace timecalc {
namespace {

constexpr std::u16string_view kHelp =
    u"Usage: tallimo [OPTION]... [PATH]...\n"
    u"Adds up lists of durations. Each PATH adds lines to the list as if it had been\n"
    u"dropped on the window: a file adds one line with its play length, a folder one\n"
    u"line for each audio or video file inside it.\n"
    u"\n"
    u"  --help      show this help and end\n"
    u"  --version   show the version and end\n"
    u"  --          read every later argument as a PATH, even one starting with '-'\n";

}  // namespace

CommandLine ReadCommandLine(std::span<const std::u16string> arguments,
                            std::u16string_view version) {
  CommandLine line;
  bool options = true;
  for (const std::u16string& argument : arguments) {
    if (!options || argument.size() < 2 || argument[0] != u'-') {
      line.paths.push_back(argument);
    } else if (argument == u"--") {
      options = false;
    } else if (argument == u"--help") {
      return {CommandLine::Action::kHelp, {}, std::u16string(kHelp)};
    } else if (argument == u"--version") {
      return {CommandLine::Action::kVersion, {}, u"Tallimo " + std::u16string(version) + u"\n"};
    } else {
      return {
          CommandLine::Action::kError,
          {},
          u"tallimo: unknown option '" + argument + u"'\nTry 'tallimo --help' for the options.\n"};
    }
  }
  return line;
}

}  // namespace timecalc
