// The command line both shells read.
#include "drops/command_line.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Action = drops::CommandLine::Action;

// An argument as the platform would hand it over, from ASCII text.
drops::Argument Arg(std::string_view text) { return fs::path(text).native(); }

TEST(ReadCommandLine, TakesPathsInOrderAndAnswersTheOptions) {
  struct Case {
    std::vector<std::string_view> arguments;
    Action action;
    std::vector<std::string_view> paths;  // relative to the working folder
    std::u16string_view messageStart;
  };
  const Case cases[] = {
      {{}, Action::kRun, {}, u""},
      {{"a.mp3", "Album/", "-"}, Action::kRun, {"a.mp3", "Album/", "-"}, u""},
      {{"a.mp3", "--", "--help", "-x", "--", "-platform"},
       Action::kRun,
       {"a.mp3", "--help", "-x", "--", "-platform"},
       u""},
      {{"a.mp3", "--help", "--bogus"}, Action::kHelp, {}, u"Usage: tallimo [OPTION]... [PATH]..."},
      {{"--version", "--help"}, Action::kVersion, {}, u"Tallimo 1.0.0.1\n"},
      {{"a.mp3", "--verbose", "--help"},
       Action::kError,
       {},
       u"tallimo: unknown option '--verbose'\n"},
      {{"-h"}, Action::kError, {}, u"tallimo: unknown option '-h'\n"},
  };
  for (const Case& c : cases) {
    std::vector<drops::Argument> arguments;
    for (const std::string_view argument : c.arguments) arguments.push_back(Arg(argument));
    std::vector<fs::path> paths;
    for (const std::string_view path : c.paths) paths.push_back(fs::current_path() / Arg(path));
    const drops::CommandLine line = drops::ReadCommandLine(arguments, u"1.0.0.1");
    const std::size_t index = static_cast<std::size_t>(&c - cases);
    EXPECT_EQ(line.action, c.action) << "case " << index;
    EXPECT_EQ(line.paths, paths) << "case " << index;
    EXPECT_TRUE(line.message.starts_with(c.messageStart)) << "case " << index;
    EXPECT_EQ(line.message.empty(), c.action == Action::kRun) << "case " << index;
  }
}

// A name is a path as the file system holds it: bytes that are no UTF-8 on Linux, any UTF-16 on
// Windows, never turned into text and back.
TEST(ReadCommandLine, KeepsEveryPathAsThePlatformGaveIt) {
#ifdef _WIN32
  const drops::Argument odd = L"\xD800 lone surrogate.mp3";
  const drops::Argument absolute = L"C:\\music\\a.mp3";
#else
  const drops::Argument odd = "\xff\xfe latin-1 \xe9.mp3";
  const drops::Argument absolute = "/music/a.mp3";
#endif
  const drops::CommandLine line = drops::ReadCommandLine(std::vector{odd, absolute}, u"1");
  EXPECT_EQ(line.paths, (std::vector<fs::path>{fs::current_path() / odd, fs::path(absolute)}));
  EXPECT_EQ(drops::ReadCommandLine(std::vector{Arg("-") + odd}, u"1").action, Action::kError);
}

}  // namespace
