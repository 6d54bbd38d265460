// Tallimo without its window, for scripts and terminals: `tallimo --list PATH...` writes the lines
// that a drop of the paths adds to the window's list, `tallimo --total PATH...` their total as the
// window shows it, and --help, --version and a command line that cannot be read are answered in
// text laid out for a terminal. Written once for both platforms; each gives it its standard
// streams.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "drops/command_line.h"
#include "drops/measurer.h"

namespace drops {

// Where the answers go and the typed list comes from.
class Terminal {
 public:
  virtual ~Terminal() = default;
  // Standard output: UTF-8, or the bytes of a typed list as they stand.
  virtual void Write(std::string_view bytes) = 0;
  // Standard error, UTF-8.
  virtual void WriteError(std::string_view text) = 0;
  // Whether standard error is a terminal that a person watches: progress is shown there only.
  virtual bool ShowsProgress() const = 0;
  // Standard input to its end.
  virtual std::string ReadInput() = 0;
};

// The process's own standard streams: on Linux the descriptors 0, 1 and 2; on Windows the standard
// handles, written to a console as UTF-16 (every name intact, whatever the console's code page)
// and to pipes and files as UTF-8.
std::unique_ptr<Terminal> StandardStreams();

// How long a --list or --total runs before a terminal is shown its progress.
inline constexpr int kProgressAfterMilliseconds = 1000;

// Carries out `line` (any action but kRun) and returns the exit status: 0 when every file was
// measured or an option answered, 1 when a file could not be measured (its line still written,
// marked), kUsageErrorStatus for a command line that cannot be read. Lines end in LF, on Windows
// in CR LF. Files are measured with `measurer`, or, when none is given, by tallimo-measure.
int RunWithoutWindow(const CommandLine& line, Terminal& terminal, const LoadText& text,
                     std::unique_ptr<Measurer> measurer = nullptr);

// Writes `message` to standard error as a terminal shows an error: after the program's name,
// wrapped to the terminal's width.
void WriteErrorMessage(Terminal& terminal, std::u16string_view message);

// The lines of a list typed on standard input, as they stand: split at LF, a CR before it dropped,
// a byte order mark left out, and UTF-16 (as Windows tools write it, with its mark) made UTF-8.
std::vector<std::string> TypedLines(std::string_view input);

}  // namespace drops
