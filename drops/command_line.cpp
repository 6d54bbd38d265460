// The options, and the texts that answer them.
#include "drops/command_line.h"

#include <algorithm>
#include <system_error>

#include "drops/folder_walk.h"

namespace drops {
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

}  // namespace

CommandLine ReadCommandLine(std::span<const Argument> arguments, std::u16string_view version) {
  CommandLine line;
  bool options = true;
  for (const Argument& argument : arguments) {
    if (!options || argument.size() < 2 || argument[0] != '-') {
      line.paths.push_back(FullPath(argument));
    } else if (Is(argument, "--")) {
      options = false;
    } else if (Is(argument, "--help")) {
      return {CommandLine::Action::kHelp, {}, std::u16string(kHelp)};
    } else if (Is(argument, "--version")) {
      return {CommandLine::Action::kVersion, {}, u"Tallimo " + std::u16string(version) + u"\n"};
    } else {
      return {CommandLine::Action::kError,
              {},
              u"tallimo: unknown option '" + LabelText(argument) +
                  u"'\nTry 'tallimo --help' for the options.\n"};
    }
  }
  return line;
}

}  // namespace drops
