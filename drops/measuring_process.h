// The window's side of tallimo-measure, the program that reads dropped files in a locked-down
// process of its own, so that a file which crashes, hogs memory or hangs a reader costs that file
// its length and nothing more. The window's process opens each file itself and hands the open file
// over; it never runs a reader on one.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <memory>
#include <span>

#include "drops/measurer.h"

namespace drops {

class MeasureChannel;

class MeasuringProcess final : public Measurer {
 public:
  // Each file gets this long before its process is ended.
  static constexpr std::chrono::milliseconds kDefaultFileLimit{5000};
  // Starts that end before the process greets, one after the other, before the program is taken
  // for one that cannot start; and the pause after the first of them, longer after each.
  static constexpr int kFailedStarts = 3;
  static constexpr std::chrono::milliseconds kStartPause{200};

  // Where tallimo-measure is: the environment variable TALLIMO_MEASURE when set, else beside this
  // program, else the installed location (../libexec/tallimo/ from the program's folder on Linux).
  // Empty when none of them holds it.
  static std::filesystem::path Find();

  explicit MeasuringProcess(std::filesystem::path program = Find(),
                            std::chrono::milliseconds fileLimit = kDefaultFileLimit);
  ~MeasuringProcess() override;  // ends the process at once

  MeasuringProcess(const MeasuringProcess&) = delete;
  MeasuringProcess& operator=(const MeasuringProcess&) = delete;

  // Starts the process for a drop that is likely to come, unless one runs.
  void Prepare() override;

  // The file's play length, starting a process when none runs and another whenever one ends. A
  // file whose process crashed, ran out of memory or time on it, or was ended from outside is
  // tried once more in a new process before it counts as not measured. The files `ahead` are
  // handed to the process along with this one, so that it reads on while the window takes an
  // answer and opens the files after. Called from one thread at a time.
  Measurement Measure(const std::filesystem::path& file,
                      std::span<const std::filesystem::path> ahead) override;

  // A drop is done: ends the process, and forgets that it could not be started, so that the next
  // drop tries again.
  void Finish() override;

  // Ends the process at once, from any thread: the file being measured is not measured.
  void Interrupt() override;

 private:
  // What became of a file handed, or meant to be handed, to the process.
  enum class Handed { kSent, kUnreadable, kNoProgram, kNoProcess };
  struct Sent {
    std::filesystem::path file;
    Handed handed;
  };

  // Opens `file` and hands it to the process, starting one when none runs; remembers it among the
  // files sent.
  void Send(const std::filesystem::path& file);
  // Whether a process runs, starting one if need be.
  bool EnsureProcess();
  // The answer for the oldest file sent, and whether the process failed on it.
  struct Answer {
    Measurement measurement;
    bool failed = false;
  };
  Answer Take();
  // Ends the process and forgets the files it was handed.
  void Stop();
  bool InterruptedSince(std::uint64_t interrupts) const;

  std::unique_ptr<MeasureChannel> m_channel;  // the platform's process and channel
  // The files handed to the process (or that could not be), oldest first, whose answers are still
  // to come.
  std::deque<Sent> m_sent;
  bool m_broken = false;                 // the process stopped taking files
  bool m_unavailable = false;            // the program cannot be started; until Finish
  std::uint64_t m_interruptsBefore = 0;  // Interrupts counted when the current Measure began
};

}  // namespace drops
