// The files in flight between the window and its measuring process: the one being answered and up
// to seven after it, so that the process reads on while the window takes an answer and opens the
// files after. Answers come in the order the files were handed over.
#include "drops/measuring_process.h"

#include <utility>

#include "drops/measure_channel.h"

namespace drops {

MeasuringProcess::MeasuringProcess(std::filesystem::path program,
                                   std::chrono::milliseconds fileLimit)
    : m_channel(std::make_unique<MeasureChannel>(std::move(program), fileLimit)) {}

MeasuringProcess::~MeasuringProcess() = default;

std::int64_t MeasuringProcess::Measure(const std::filesystem::path& file,
                                       std::span<const std::filesystem::path> ahead) {
  // A process interrupted by a cancel, or a file handed over ahead that is not the one asked for:
  // what it was handed is not wanted.
  if (!m_channel->Running() || (!m_sent.empty() && m_sent.front().file != file)) Stop();
  if (m_sent.empty()) {
    if (m_broken) Stop();
    // A process that ended between two files is given one more try, in a new process.
    if (!Send(file)) {
      Stop();
      Send(file);
    }
  }
  // m_sent holds `file` and the files after it that were handed over already, the first of
  // `ahead` on; the process gets the rest of `ahead`.
  for (std::size_t next = m_sent.size() - 1; !m_broken && next < ahead.size(); ++next) {
    Send(ahead[next]);
  }
  return Take();
}

void MeasuringProcess::Prepare() {
  if (m_channel->Running()) return;
  Stop();
  m_channel->Start();
}

bool MeasuringProcess::Send(const std::filesystem::path& file) {
  const MeasureChannel::Handed handed = m_channel->Hand(file);
  // The process has ended, most likely on a file sent before. The answers it gave before that can
  // still be read; nothing more is sent to it.
  if (handed == MeasureChannel::Handed::kBroken) m_broken = true;
  m_sent.push_back({file, handed == MeasureChannel::Handed::kSent});
  return !m_broken;
}

std::int64_t MeasuringProcess::Take() {
  const bool sent = m_sent.front().sent;
  m_sent.pop_front();
  if (!sent) return 0;
  const std::optional<std::int64_t> seconds = m_channel->Answer();
  if (!seconds) Stop();
  return seconds.value_or(0);
}

void MeasuringProcess::Stop() {
  m_channel->Stop();
  m_sent.clear();
  m_broken = false;
}

void MeasuringProcess::Finish() {
  Stop();
  m_channel->Retry();
}

void MeasuringProcess::Interrupt() { m_channel->Interrupt(); }

// A process that cannot be started is not tried again until Retry, unless it was interrupted
// while starting.
bool MeasureChannel::Start() {
  if (Running()) return true;
  End();  // reaps a process that crashed or was interrupted
  if (m_unavailable) return false;
  {
    const std::lock_guard lock(m_mutex);
    m_interrupted = false;
  }
  if (Launch()) return true;
  const std::lock_guard lock(m_mutex);
  m_unavailable = !m_interrupted;
  return false;
}

bool MeasureChannel::Running() {
  const std::lock_guard lock(m_mutex);
  return HasProcessLocked() && !m_killed;
}

void MeasureChannel::Stop() { End(); }

void MeasureChannel::Retry() { m_unavailable = false; }

void MeasureChannel::Interrupt() {
  const std::lock_guard lock(m_mutex);
  if (HasProcessLocked() && !m_killed) KillLocked();
  m_killed = true;
  m_interrupted = true;
}

}  // namespace drops
