// The command line both shells read, its answers laid out for a terminal, and the runs of --list
// and --total over a drop session whose files a test measurer measures.
#include "drops/command_line.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <future>
#include <mutex>
#include <string>
#include <vector>

#include "drops/terminal.h"
#include "tests/drops/test_measurers.h"

namespace {

namespace fs = std::filesystem;
using Action = drops::CommandLine::Action;

// An argument as the platform would hand it over, from ASCII text.
drops::Argument Arg(std::string_view text) { return fs::path(text).native(); }

// Each text names its number and shows its first two values, so that a test sees which text was
// chosen and what went into it.
std::u16string FakeText(int id) {
  const std::string number = std::to_string(id);
  std::u16string text = u"#";
  text.append(number.begin(), number.end());
  return text + u"(%1,%2)";
}

TEST(ReadCommandLine, TakesPathsInOrderAndAnswersTheOptions) {
  struct Case {
    std::vector<std::string_view> arguments;
    Action action;
    std::vector<std::string_view>
        paths;  // relative to the working folder; "<in>" for standard input
    std::u16string_view message;
    bool windowless;
  };
  const Case cases[] = {
      {{}, Action::kRun, {}, u"", false},
      {{"a.mp3", "Album/", "-"}, Action::kRun, {"a.mp3", "Album/", "-"}, u"", false},
      {{"a.mp3", "--", "--help", "-x", "--", "-platform"},
       Action::kRun,
       {"a.mp3", "--help", "-x", "--", "-platform"},
       u"",
       false},
      {{"a.mp3", "--help", "--bogus"}, Action::kHelp, {}, u"#110(%1,%2)", true},
      {{"--version", "--help"}, Action::kVersion, {}, u"#111(1.0.0.1,%2)", true},
      {{"a.mp3", "--verbose", "--help"},
       Action::kError,
       {},
       u"#112(--verbose,%2)\n#115(%1,%2)",
       true},
      {{"-h"}, Action::kError, {}, u"#112(-h,%2)\n#115(%1,%2)", false},
      {{"--list", "a.mp3", "-", "--", "-"}, Action::kList, {"a.mp3", "<in>", "<in>"}, u"", true},
      {{"b/", "--total", "--total", "-"}, Action::kTotal, {"b/", "<in>"}, u"", true},
      {{"--list", "a.mp3", "--total", "--help"},
       Action::kError,
       {},
       u"#113(--list,--total)\n#115(%1,%2)",
       true},
      {{"--total"}, Action::kError, {}, u"#114(--total,%2)\n#115(%1,%2)", true},
      {{"--total", "--version"}, Action::kVersion, {}, u"#111(1.0.0.1,%2)", true},
  };
  for (const Case& c : cases) {
    std::vector<drops::Argument> arguments;
    for (const std::string_view argument : c.arguments) arguments.push_back(Arg(argument));
    std::vector<fs::path> paths;
    for (const std::string_view path : c.paths) {
      paths.push_back(path == "<in>" ? drops::kStandardInput : fs::current_path() / Arg(path));
    }
    const drops::CommandLine line = drops::ReadCommandLine(arguments, u"1.0.0.1", FakeText);
    const std::size_t index = static_cast<std::size_t>(&c - cases);
    EXPECT_EQ(line.action, c.action) << "case " << index;
    EXPECT_EQ(line.paths, paths) << "case " << index;
    EXPECT_EQ(line.message, c.message) << "case " << index;
    EXPECT_EQ(line.windowless, c.windowless) << "case " << index;
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
  const drops::CommandLine line =
      drops::ReadCommandLine(std::vector{odd, absolute}, u"1", FakeText);
  EXPECT_EQ(line.paths, (std::vector<fs::path>{fs::current_path() / odd, fs::path(absolute)}));
  EXPECT_EQ(drops::ReadCommandLine(std::vector{Arg("-") + odd}, u"1", FakeText).action,
            Action::kError);
}

TEST(LayOutForTerminal, WrapsParagraphsAndSetsOutTheOptions) {
  struct Case {
    std::u16string_view text;
    std::size_t width;
    std::u16string_view laidOut;
  };
  const Case cases[] = {
      // Paragraphs break at the last space that fits; a trailing line break adds no empty line.
      {u"one two three four five\n\nsix\n", 10, u"one two\nthree four\nfive\n\nsix\n"},
      // A word longer than the line is cut; spaces at a break vanish.
      {u"abcdefghijkl  mn", 5, u"abcde\nfghij\nkl\nmn\n"},
      // Options in one column after the longest, descriptions wrapped beside them; examples, which
      // start with a space, as they stand however long.
      {u"--list\tWrite the lines\n--version\tShow it\n  tallimo --total Album/Disc", 20,
       u"  --list     Write\n             the\n             lines\n  --version  Show it\n"
       u"  tallimo --total Album/Disc\n"},
      // Wide characters take two columns and break between them, but never before closing or
      // after opening punctuation.
      {u"時間の一覧を合計します。", 8, u"時間の一\n覧を合計\nします。\n"},
      {u"パス「-」は読みます", 8, u"パス\n「-」は\n読みます\n"},
      {u"ab 日本語です", 7, u"ab 日本\n語です\n"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(drops::LayOutForTerminal(c.text, c.width), c.laidOut)
        << "case " << static_cast<std::size_t>(&c - cases);
  }
  EXPECT_EQ(drops::TerminalColumns(u"a日本🎵ｱ"), 8u);
  EXPECT_EQ(drops::Substitute(u"%2 of %1, 100%, %3", {u"%2", u"x"}), u"x of %2, 100%, %3");
}

// Standard streams of the test's own: the output and error kept, the input given, and whether
// standard error is a terminal told. Written on the run's thread, read on the test's.
class FakeTerminal final : public drops::Terminal {
 public:
  explicit FakeTerminal(std::string input = {}, bool terminal = false)
      : m_input(std::move(input)), m_terminal(terminal) {}

  void Write(std::string_view bytes) override {
    const std::lock_guard lock(m_mutex);
    m_out += bytes;
  }
  void WriteError(std::string_view text) override {
    const std::lock_guard lock(m_mutex);
    m_err += text;
    m_changed.notify_all();
  }
  bool ShowsProgress() const override {
    const std::lock_guard lock(m_mutex);
    m_asked = true;
    m_changed.notify_all();
    return m_terminal;
  }
  std::string ReadInput() override { return std::exchange(m_input, {}); }

  std::string Out() const {
    const std::lock_guard lock(m_mutex);
    return m_out;
  }
  std::string Err() const {
    const std::lock_guard lock(m_mutex);
    return m_err;
  }
  // Waits until the run asks whether progress may be shown, which it does once the time for it
  // has come, and for standard error to hold `text`; false if that did not happen within a guard
  // against a hang.
  bool WaitForProgress(std::string_view text) const {
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::seconds(30),
                              [&] { return m_asked && m_err.find(text) != std::string::npos; });
  }

 private:
  mutable std::mutex m_mutex;
  mutable std::condition_variable m_changed;
  std::string m_input;
  const bool m_terminal;
  std::string m_out;
  std::string m_err;
  mutable bool m_asked = false;
};

// Measures a file by its name: "locked" could not be measured, "absent" neither, for want of the
// measuring program; any other name is its length in seconds.
class ByName final : public drops::Measurer {
 public:
  drops::Measurement Measure(const fs::path& file, std::span<const fs::path>) override {
    const std::string stem = file.stem().string();
    if (stem == "locked") return {};
    if (stem == "absent") return {.seconds = std::nullopt, .noProgram = true};
    return {.seconds = std::stoll(stem)};
  }
};

// Text as the platform's lines end: LF, on Windows CR LF.
std::string Lines(std::string_view text) {
  std::string lines;
  for (const char c : text) {
#ifdef _WIN32
    if (c == '\n') lines += '\r';
#endif
    lines += c;
  }
  return lines;
}

TEST(RunWithoutWindow, WritesTheLinesOrTheirTotalInTheOrderGiven) {
  struct Case {
    std::vector<std::string_view> arguments;
    std::string input;
    std::string out;
    std::string err;
    int status;
  };
  const Case cases[] = {
      // Each drop's lines where its paths stand, the typed list where '-' does; a file that
      // could not be measured is marked and ends the run with 1.
      {{"--list", "/m/65.mp3", "-", "/m/locked.flac", "/m/3.wav"},
       "1:00.00\r\n[note] 5\n",
       "0:01.05[65.mp3]\n1:00.00\n[note] 5\n?:??.??[locked.flac]\n0:00.03[3.wav]\n",
       "",
       1},
      {{"--total", "/m/65.mp3", "-", "/m/locked.flac", "/m/3.wav"},
       "1:00.00\r\n[note] 5\n",
       "1:01.08\n",
       "tallimo: #119(locked.flac,%2)\n",
       1},
      // A typed last line without its line break ends before a dropped line, as in the window.
      {{"--total", "-", "/m/5.wav"}, "1:00", "1:00.05\n", "", 0},
      // The second '-' finds standard input at its end; a byte order mark is no text.
      {{"--list", "-", "--", "-"},
       "\xEF\xBB\xBF"
       "a\nb",
       "a\nb\n",
       "",
       0},
      {{"--total", "-"}, "1:05.08\n0:75.99[x]", "2:21.47\n", "", 0},
      {{"--list", "/m/absent.wav"}, "", "?:??.??[absent.wav]\n", "tallimo: #117(%1,%2)\n", 1},
      // Without the measuring program, that alone is said, not every file it left out.
      {{"--total", "/m/absent.wav", "/m/absent.mp3"}, "", "0:00.00\n", "tallimo: #117(%1,%2)\n", 1},
      {{"--bogus"}, "", "", "tallimo: #112(--bogus,%2)\n#115(%1,%2)\n", drops::kUsageErrorStatus},
      {{"--version"}, "", "#111(9.9,%2)\n", "", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("case " + std::to_string(&c - cases));
    std::vector<drops::Argument> arguments;
    for (const std::string_view argument : c.arguments) arguments.push_back(Arg(argument));
    FakeTerminal terminal(c.input);
    const int status = drops::RunWithoutWindow(drops::ReadCommandLine(arguments, u"9.9", FakeText),
                                               terminal, FakeText, std::make_unique<ByName>());
    EXPECT_EQ(status, c.status);
    EXPECT_EQ(terminal.Out(), Lines(c.out));
    EXPECT_EQ(terminal.Err(), Lines(c.err));
  }
}

// A run that takes its time shows the files measured so far on standard error once the time for
// it has come, on one line that it clears again, but only where standard error is a terminal.
TEST(RunWithoutWindow, ShowsProgressOnATerminalOnly) {
  for (const bool terminalError : {true, false}) {
    SCOPED_TRACE(terminalError ? "a terminal" : "a pipe");
    const auto gate = std::make_shared<drops_test::Gate>(4);
    FakeTerminal terminal({}, terminalError);
    const std::vector<drops::Argument> arguments{Arg("--total"), Arg("/m/a.wav"), Arg("/m/b.wav")};
    const drops::CommandLine line = drops::ReadCommandLine(arguments, u"1", FakeText);
    std::future<int> status = std::async(std::launch::async, [&] {
      return drops::RunWithoutWindow(line, terminal, FakeText, gate->Measurer());
    });
    gate->Allow(1);
    EXPECT_TRUE(terminal.WaitForProgress(terminalError ? "\r#116(1,2)" : ""));
    gate->Open();
    EXPECT_EQ(status.get(), 0);
    EXPECT_EQ(terminal.Out(), Lines("0:00.08\n"));
    EXPECT_EQ(terminal.Err(),
              terminalError ? "\r#116(1,2)\r" + std::string(9, ' ') + "\r" : std::string());
  }
}

TEST(TypedLines, SplitsStandardInputAsTheWindowHoldsIt) {
  struct Case {
    std::string_view input;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"", {}},
      {"\n", {""}},
      {"a\r\nb\n", {"a", "b"}},
      {"a\rb", {"a\rb"}},
      {"\xEF\xBB\xBFx\xff", {"x\xff"}},
      // UTF-16 with its mark, as Windows tools write it.
      {std::string_view("\xFF\xFEx\0\r\0\n\0\xE5\x65", 10), {"x", "\xE6\x97\xA5"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(drops::TypedLines(c.input), c.lines) << "case " << (&c - cases);
  }
}

}  // namespace
