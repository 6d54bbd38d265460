// The platform's half of MeasuringProcess: starting tallimo-measure locked down, handing it an open
// file with its request, reading its answers, and ending it.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>

#include "io/file.h"

namespace drops {

class MeasureChannel {
 public:
  // How long a new process may take to greet: starting a program is not reading a file, and on a
  // busy machine (or under Wine) it can take longer than a file may.
  static constexpr std::chrono::seconds kStartLimit{30};

  MeasureChannel(std::filesystem::path program, std::chrono::milliseconds fileLimit);
  ~MeasureChannel();  // ends the process at once
  MeasureChannel(const MeasureChannel&) = delete;
  MeasureChannel& operator=(const MeasureChannel&) = delete;

  enum class Started {
    kRunning,     // a process runs and has greeted
    kDied,        // one started but ended, or was ended, before it greeted: a later try may do
    kImpossible,  // the program cannot be started at all: missing, or not a program
  };
  // Starts a process unless one runs, leaving nothing running when it fails. A process started
  // after more than `interruptsBefore` Interrupts came is ended at once.
  Started Start(std::uint64_t interruptsBefore);
  // Hands the open file to the running process; false when the channel broke: the process has
  // ended and takes no more files.
  bool Hand(const io::File& file);
  // The answer for the oldest file handed over and not yet answered, within the file limit;
  // nullopt when it did not come or made no sense.
  std::optional<std::int64_t> Answer();
  // Whether a process runs that was not interrupted since it started.
  bool Running();
  // Ends the process, if any.
  void Stop();
  // Ends the process at once, from any thread, and cuts a Pause short.
  void Interrupt();
  // How many Interrupts have come so far.
  std::uint64_t Interrupts();
  // Waits `pause`; false when an Interrupt came meanwhile or before.
  bool Pause(std::chrono::milliseconds pause, std::uint64_t interruptsBefore);

 private:
  // The platform's part. Launch starts the process and waits for its hello, leaving nothing
  // running when it fails; it registers the process with RegisterLocked, which ends it when an
  // Interrupt came during the start. End ends and reaps the process and closes the channel; the
  // Locked ones are called with m_mutex held.
  Started Launch(std::uint64_t interruptsBefore);
  void End();
  bool HasProcessLocked() const;
  void KillLocked();
  void RegisterLocked(std::uint64_t interruptsBefore);

  struct Impl;  // the platform's process and channel
  const std::filesystem::path m_program;
  const std::chrono::milliseconds m_fileLimit;
  std::mutex m_mutex;  // guards the process against Interrupt from the window's thread
  std::condition_variable m_interrupted;
  bool m_killed = false;  // Interrupt ended the process
  std::uint64_t m_interrupts = 0;
  std::unique_ptr<Impl> m_impl;
};

}  // namespace drops
