// The files in flight between the window and its measuring process: the one being answered and up
// to seven after it, so that the process reads on while the window takes an answer and opens the
// files after. Answers come in the order the files were handed over. A process that dies, on a
// file or before it greets, is replaced; only a program that cannot be started leaves files
// unmeasured wholesale.
#include "drops/measuring_process.h"

#include <optional>
#include <utility>

#include "drops/measure_channel.h"
#include "io/file.h"

namespace drops {

MeasuringProcess::MeasuringProcess(std::filesystem::path program,
                                   std::chrono::milliseconds fileLimit)
    : m_channel(std::make_unique<MeasureChannel>(std::move(program), fileLimit)) {}

MeasuringProcess::~MeasuringProcess() = default;

Measurement MeasuringProcess::Measure(const std::filesystem::path& file,
                                      std::span<const std::filesystem::path> ahead) {
  // A process interrupted by a cancel, or a file handed over ahead that is not the one asked for:
  // what it was handed is not wanted.
  if (!m_channel->Running() || (!m_sent.empty() && m_sent.front().file != file)) Stop();
  m_interruptsBefore = m_channel->Interrupts();
  if (m_sent.empty()) Send(file);
  // m_sent holds `file` and the files after it that were handed over already, the first of
  // `ahead` on; the process gets the rest of `ahead`.
  for (std::size_t next = m_sent.size() - 1; !m_broken && next < ahead.size(); ++next) {
    Send(ahead[next]);
  }
  const Answer answer = Take();
  if (!answer.failed || InterruptedSince(m_interruptsBefore)) return answer.measurement;
  // The process ended while it read the file, or before: once more, in a process of its own.
  Stop();
  Send(file);
  const Answer again = Take();
  if (again.failed) Stop();
  return again.measurement;
}

void MeasuringProcess::Prepare() {
  if (m_channel->Running()) return;
  Stop();
  m_interruptsBefore = m_channel->Interrupts();
  EnsureProcess();
}

bool MeasuringProcess::EnsureProcess() {
  if (m_channel->Running()) return true;
  if (m_unavailable) return false;
  for (int failed = 1;; ++failed) {
    if (InterruptedSince(m_interruptsBefore)) return false;
    switch (m_channel->Start(m_interruptsBefore)) {
      case MeasureChannel::Started::kRunning:
        return true;
      case MeasureChannel::Started::kImpossible:
        m_unavailable = true;
        return false;
      case MeasureChannel::Started::kDied:
        break;
    }
    // Killed from outside, or slower than its start limit on a loaded machine: try again after a
    // pause, but a program that never greets cannot be started.
    if (failed == kFailedStarts) {
      m_unavailable = !InterruptedSince(m_interruptsBefore);
      return false;
    }
    if (!m_channel->Pause(kStartPause * failed, m_interruptsBefore)) return false;
  }
}

void MeasuringProcess::Send(const std::filesystem::path& file) {
  const std::optional<io::File> opened = io::File::Open(file);
  if (!opened) {
    m_sent.push_back({file, Handed::kUnreadable});
  } else if (!EnsureProcess()) {
    m_sent.push_back({file, m_unavailable ? Handed::kNoProgram : Handed::kNoProcess});
  } else if (!m_channel->Hand(*opened)) {
    // The process has ended, most likely on a file sent before. The answers it gave before that
    // can still be read; nothing more is sent to it.
    m_broken = true;
    m_sent.push_back({file, Handed::kNoProcess});
  } else {
    m_sent.push_back({file, Handed::kSent});
  }
}

MeasuringProcess::Answer MeasuringProcess::Take() {
  const Handed handed = m_sent.front().handed;
  m_sent.pop_front();
  switch (handed) {
    case Handed::kUnreadable:
      return {};
    case Handed::kNoProgram:
      return {{.seconds = std::nullopt, .noProgram = true}};
    case Handed::kNoProcess:
      return {.measurement = {}, .failed = true};
    case Handed::kSent:
      break;
  }
  const std::optional<std::int64_t> seconds = m_channel->Answer();
  if (!seconds) return {.measurement = {}, .failed = true};
  return {{.seconds = seconds}};
}

void MeasuringProcess::Stop() {
  m_channel->Stop();
  m_sent.clear();
  m_broken = false;
}

bool MeasuringProcess::InterruptedSince(std::uint64_t interrupts) const {
  return m_channel->Interrupts() != interrupts;
}

void MeasuringProcess::Finish() {
  Stop();
  m_unavailable = false;
}

void MeasuringProcess::Interrupt() { m_channel->Interrupt(); }

MeasureChannel::Started MeasureChannel::Start(std::uint64_t interruptsBefore) {
  if (Running()) return Started::kRunning;
  End();  // reaps a process that crashed or was interrupted
  return Launch(interruptsBefore);
}

void MeasureChannel::RegisterLocked(std::uint64_t interruptsBefore) {
  m_killed = m_interrupts != interruptsBefore;
  if (m_killed) KillLocked();
}

bool MeasureChannel::Running() {
  const std::lock_guard lock(m_mutex);
  return HasProcessLocked() && !m_killed;
}

void MeasureChannel::Stop() { End(); }

void MeasureChannel::Interrupt() {
  {
    const std::lock_guard lock(m_mutex);
    if (HasProcessLocked() && !m_killed) KillLocked();
    m_killed = true;
    ++m_interrupts;
  }
  m_interrupted.notify_all();
}

std::uint64_t MeasureChannel::Interrupts() {
  const std::lock_guard lock(m_mutex);
  return m_interrupts;
}

bool MeasureChannel::Pause(std::chrono::milliseconds pause, std::uint64_t interruptsBefore) {
  std::unique_lock lock(m_mutex);
  return !m_interrupted.wait_for(lock, pause, [&] { return m_interrupts != interruptsBefore; });
}

}  // namespace drops
