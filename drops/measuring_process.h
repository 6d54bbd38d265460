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
#include <vector>

#include "drops/measurer.h"

namespace drops {

class MeasureChannel;

class MeasuringProcess final : public Measurer {
 public:
  // Each file gets this long before its process is ended and the file counts 0.
  static constexpr std::chrono::milliseconds kDefaultFileLimit{5000};

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

  // Whole seconds of play of the file; 0 when it has none, cannot be read, or its process crashed,
  // ran out of memory or took too long. Starts the process when none is running. The files
  // `ahead` are handed to the process along with this one, so that it reads on while the window
  // takes an answer and opens the files after. Called from one thread at a time.
  std::int64_t Measure(const std::filesystem::path& file,
                       std::span<const std::filesystem::path> ahead) override;

  // A drop is done: ends the process, and forgets that it could not be started, so that the next
  // drop tries again.
  void Finish() override;

  // Ends the process at once, from any thread: a file being measured counts 0, and the next one
  // starts a new process.
  void Interrupt() override;

 private:
  // Hands `file` to the process, starting one when none runs; remembers it among the files sent.
  // false when the channel broke: nothing more is sent to that process.
  bool Send(const std::filesystem::path& file);
  // The answer for the oldest file sent; 0 when it was never handed over or the process failed.
  std::int64_t Take();
  // Ends the process and forgets the files it was handed.
  void Stop();

  std::unique_ptr<MeasureChannel> m_channel;  // the platform's process and channel
  // The files handed to the process (or that could not be), oldest first, whose answers are still
  // to come; `sent` is false for one that was never handed over and counts 0.
  struct Sent {
    std::filesystem::path file;
    bool sent;
  };
  std::deque<Sent> m_sent;
  bool m_broken = false;  // the process stopped taking files
};

}  // namespace drops
