// The run of --list and --total: the paths go to a drop session as the window's drops would, and
// the lines are written in the order of the command line as each drop lands, the typed list where
// its '-' stands.
#include "drops/terminal.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "drops/drop_session.h"
#include "res/resource.h"
#include "timecalc/dropped_lines.h"
#include "timecalc/edit_text.h"
#include "timecalc/time_totals.h"

namespace drops {
namespace {

using Clock = std::chrono::steady_clock;

#ifdef _WIN32
constexpr std::string_view kLineEnd = "\r\n";
#else
constexpr std::string_view kLineEnd = "\n";
#endif

std::string Utf8(std::u16string_view text) {
  return timecalc::ToListBytes(text, timecalc::LineBreak::kCrLf);
}

// Text for the terminal: UTF-8, each line ending as the platform's lines do.
std::string TerminalText(std::u16string_view text) {
  std::string result;
  for (const char c : Utf8(text)) {
    if (c == '\n') {
      result += kLineEnd;
    } else {
      result += c;
    }
  }
  return result;
}

std::u16string Number(std::size_t value) {
  const std::string digits = std::to_string(value);
  return {digits.begin(), digits.end()};
}

// The count of files measured, on one line of the terminal that each count overwrites.
class Progress {
 public:
  Progress(Terminal& terminal, std::u16string pattern)
      : m_terminal(terminal), m_pattern(std::move(pattern)) {}

  void Show(std::size_t done, std::size_t found) {
    std::u16string text = Substitute(m_pattern, {Number(done), Number(found)});
    if (m_columns > 0 && text == m_shown) return;
    const std::size_t columns = TerminalColumns(text);
    // Spaces cover what a longer count before left; a line feed would scroll.
    std::u16string line = u"\r" + text;
    if (columns < m_columns) line.append(m_columns - columns, u' ');
    m_terminal.WriteError(Utf8(line));
    m_columns = std::max(m_columns, columns);
    m_shown = std::move(text);
  }

  // Leaves the line empty for what comes next.
  void Clear() {
    if (m_columns == 0) return;
    std::string blank(m_columns + 2, ' ');
    blank.front() = blank.back() = '\r';
    m_terminal.WriteError(blank);
    m_columns = 0;
  }

 private:
  Terminal& m_terminal;
  const std::u16string m_pattern;
  std::u16string m_shown;
  std::size_t m_columns = 0;  // of the line on show
};

// Where the lines go: written out at once for --list, kept as the window's list for --total.
class Output {
 public:
  Output(Terminal& terminal, Progress& progress, bool list)
      : m_terminal(terminal), m_progress(progress), m_list(list) {}

  void Add(std::string_view line) {
    if (m_list) {
      m_lines.append(line).append(kLineEnd);
    } else {
      if (m_anyLine) m_lines += "\r\n";
      m_lines += line;
    }
    m_anyLine = true;
  }

  bool Lists() const { return m_list; }

  // --list: what was added so far goes out, so that a pipe gets each drop as it lands.
  void Flush() {
    if (!m_list || m_lines.empty()) return;
    m_progress.Clear();
    m_terminal.Write(m_lines);
    m_lines.clear();
  }

  // --total: the total of the list as the window shows it.
  void Finish() {
    if (m_list) return Flush();
    const timecalc::SecondCount total = timecalc::ComputeTotals(m_lines, 0, 0).all;
    m_terminal.Write(timecalc::FormatSeconds(total) + std::string(kLineEnd));
  }

 private:
  Terminal& m_terminal;
  Progress& m_progress;
  const bool m_list;
  std::string m_lines;  // --total: with CR LF between them, as the totaliser reads a list
  bool m_anyLine = false;
};

// Measures the paths and writes what they add; returns the exit status.
int MeasurePaths(const CommandLine& line, Terminal& terminal, const LoadText& text,
                 std::unique_ptr<Measurer> measurer) {
  std::mutex mutex;
  std::condition_variable changed;
  bool news = false;
  DropSession session(
      [&] {
        const std::lock_guard lock(mutex);
        news = true;
        changed.notify_one();
      },
      std::move(measurer));

  // Each run of paths between typed lists is one drop; the drops land in order.
  std::vector<bool> typed;  // per part of the command line: a typed list, or a drop
  std::vector<std::vector<std::filesystem::path>> drops;
  for (const std::filesystem::path& path : line.paths) {
    const bool input = path == kStandardInput;
    if (!input && (typed.empty() || typed.back())) drops.emplace_back();
    if (typed.empty() || input || typed.back()) typed.push_back(input);
    if (!input) drops.back().push_back(path);
  }
  for (std::vector<std::filesystem::path>& drop : drops) session.Drop(std::move(drop));
  // Read while the files are measured. A second '-' finds standard input at its end.
  std::vector<std::string> input;
  if (std::find(typed.begin(), typed.end(), true) != typed.end()) {
    input = TypedLines(terminal.ReadInput());
  }

  Progress progress(terminal, text(res::kIdsProgress));
  Output output(terminal, progress, line.action == CommandLine::Action::kList);
  std::size_t part = 0;
  const auto addTyped = [&] {
    for (; part < typed.size() && typed[part]; ++part) {
      for (const std::string& typedLine : std::exchange(input, {})) output.Add(typedLine);
    }
  };
  addTyped();
  output.Flush();

  const std::u16string unmeasured = std::u16string(timecalc::kUnmeasuredTime) + u"[";
  bool allMeasured = true;
  bool programMissing = false;
  // --total shows no lines: the files it could not count are named on standard error instead,
  // so that a total that leaves files out never looks whole.
  std::vector<std::u16string> notCounted;
  const Clock::time_point start = Clock::now();
  while (session.Busy()) {
    {
      std::unique_lock lock(mutex);
      changed.wait_for(lock, std::chrono::milliseconds(200), [&] { return news; });
      news = false;
    }
    const DropSession::News collected = session.Collect();
    for (const DropSession::Landed& landed : collected.landed) {
      ++part;
      for (const std::u16string& dropped : landed.lines) {
        if (dropped.starts_with(unmeasured)) {
          allMeasured = false;
          if (!output.Lists() && dropped.ends_with(u']')) {
            notCounted.push_back(dropped.substr(unmeasured.size(),
                                                dropped.size() - unmeasured.size() - 1));
          }
        }
        output.Add(Utf8(dropped));
      }
      programMissing = programMissing || landed.programMissing;
      addTyped();
    }
    output.Flush();
    if (!session.Busy()) break;
    if (Clock::now() - start >= std::chrono::milliseconds(kProgressAfterMilliseconds) &&
        terminal.ShowsProgress()) {
      progress.Show(collected.filesDone, collected.filesTotal);
    }
    // The worker has news after every file: collecting it that often would cost more than the
    // files, and the lines are not wanted sooner.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  progress.Clear();
  output.Finish();
  if (programMissing) {
    WriteErrorMessage(terminal, text(res::kIdsNoMeasuringProgram));
  } else {
    for (const std::u16string& label : notCounted) {
      WriteErrorMessage(terminal, Substitute(text(res::kIdsNotCounted), {label}));
    }
  }
  return allMeasured ? 0 : 1;
}

}  // namespace

int RunWithoutWindow(const CommandLine& line, Terminal& terminal, const LoadText& text,
                     std::unique_ptr<Measurer> measurer) {
  switch (line.action) {
    case CommandLine::Action::kHelp:
    case CommandLine::Action::kVersion:
      terminal.Write(TerminalText(LayOutForTerminal(line.message)));
      return 0;
    case CommandLine::Action::kList:
    case CommandLine::Action::kTotal:
      return MeasurePaths(line, terminal, text, std::move(measurer));
    case CommandLine::Action::kRun:
    case CommandLine::Action::kError:
      break;
  }
  WriteErrorMessage(terminal, line.message);
  return kUsageErrorStatus;
}

void WriteErrorMessage(Terminal& terminal, std::u16string_view message) {
  terminal.WriteError(TerminalText(LayOutForTerminal(u"tallimo: " + std::u16string(message))));
}

std::vector<std::string> TypedLines(std::string_view input) {
  std::string decoded;
  if (input.starts_with("\xEF\xBB\xBF")) {
    input.remove_prefix(3);
  } else if (input.starts_with("\xFF\xFE")) {
    std::u16string units;
    for (std::size_t i = 2; i + 1 < input.size(); i += 2) {
      units += static_cast<char16_t>(static_cast<unsigned char>(input[i]) |
                                     static_cast<unsigned char>(input[i + 1]) << 8);
    }
    decoded = Utf8(units);
    input = decoded;
  }
  std::vector<std::string> lines;
  while (!input.empty()) {
    const std::size_t end = input.find('\n');
    std::string_view typedLine = input.substr(0, end);
    input = end == std::string_view::npos ? std::string_view() : input.substr(end + 1);
    if (typedLine.ends_with('\r')) typedLine.remove_suffix(1);
    lines.emplace_back(typedLine);
  }
  return lines;
}

}  // namespace drops
