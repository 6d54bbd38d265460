// The platform's half of MeasuringProcess: starting tallimo-measure locked down, handing it an open
// file with its request, reading its answers, and ending it.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>

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

  enum class Handed {
    kSent,     // the process has the file; its answer will come
    kNotSent,  // the file is not a readable regular file, or no process could be started
    kBroken,   // the channel failed: the process has ended and takes no more files
  };
  // Starts a process when none runs; false when none could be. A process that could not be
  // started is not tried again until Retry, unless an Interrupt came while it started.
  bool Start();
  // Opens `file` and hands it to the process, starting one when none runs.
  Handed Hand(const std::filesystem::path& file);
  // The answer for the oldest file handed over and not yet answered, within the file limit;
  // nullopt when it did not come or made no sense.
  std::optional<std::int64_t> Answer();
  // Whether a process runs that was not interrupted since it started.
  bool Running();
  // Ends the process, if any.
  void Stop();
  // Forgets that the process could not be started.
  void Retry();
  // Ends the process at once, from any thread.
  void Interrupt();

 private:
  // The platform's part. Launch starts the process and waits for its hello, leaving nothing
  // running when it fails; End ends and reaps the process and closes the channel; the two Locked
  // ones are called with m_mutex held.
  bool Launch();
  void End();
  bool HasProcessLocked() const;
  void KillLocked();

  struct Impl;  // the platform's process and channel
  const std::filesystem::path m_program;
  const std::chrono::milliseconds m_fileLimit;
  std::mutex m_mutex;          // guards the process against Interrupt from the window's thread
  bool m_killed = false;       // Interrupt ended the process
  bool m_interrupted = false;  // since the last start began
  bool m_unavailable = false;  // the program could not be started
  std::unique_ptr<Impl> m_impl;
};

}  // namespace drops
