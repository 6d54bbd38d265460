// The command line both shells read.
#include "timecalc/command_line.h"

#include <gtest/gtest.h>

namespace {

using Action = timecalc::CommandLine::Action;

TEST(ReadCommandLine, TakesPathsInOrderAndAnswersTheOptions) {
  struct Case {
    std::vector<std::u16string> arguments;
    Action action;
    std::vector<std::u16string> paths;
    std::u16string_view messageStart;
  };
  const Case cases[] = {
      {{}, Action::kRun, {}, u""},
      {{u"a.mp3", u"Album/", u"-"}, Action::kRun, {u"a.mp3", u"Album/", u"-"}, u""},
      {{u"a.mp3", u"--", u"--help", u"-x", u"--"},
       Action::kRun,
       {u"a.mp3", u"--help", u"-x", u"--"},
       u""},
      {{u"a.mp3", u"--help", u"--bogus"},
       Action::kHelp,
       {},
       u"Usage: tallimo [OPTION]... [PATH]..."},
      {{u"--version", u"--help"}, Action::kVersion, {}, u"Tallimo 1.0.0.1\n"},
      {{u"a.mp3", u"--verbose", u"--help"},
       Action::kError,
       {},
       u"tallimo: unknown option '--verbose'\n"},
      {{u"-h"}, Action::kError, {}, u"tallimo: unknown option '-h'\n"},
  };
  for (const Case& c : cases) {
    const timecalc::CommandLine line = timecalc::ReadCommandLine(c.arguments, u"1.0.0.1");
    const std::size_t index = static_cast<std::size_t>(&c - cases);
    EXPECT_EQ(line.action, c.action) << "case " << index;
    EXPECT_EQ(line.paths, c.paths) << "case " << index;
    EXPECT_TRUE(line.message.starts_with(c.messageStart)) << "case " << index;
    EXPECT_EQ(line.message.empty(), c.action == Action::kRun) << "case " << index;
  }
}

}  // namespace
