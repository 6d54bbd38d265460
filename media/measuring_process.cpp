// The files in flight between the window and its measuring process: the one being answered and up
// to seven after it, so that the process reads on while the window takes an answer and opens the
// files after. Answers come in the order the files were handed over.
#include "media/measuring_process.h"

#include <utility>

#include "media/measure_channel.h"

namespace media {

MeasuringProcess::MeasuringProcess(std::filesystem::path program,
                                   std::chrono::milliseconds fileLimit)
    : channel_(std::make_unique<MeasureChannel>(std::move(program), fileLimit)) {}

MeasuringProcess::~MeasuringProcess() = default;

std::int64_t MeasuringProcess::Measure(const std::filesystem::path& file) {
  // A process interrupted by a cancel, or a file handed over ahead that is not the one asked for:
  // what it was handed is not wanted.
  if (!channel_->Running() || (!sent_.empty() && sent_.front().file != file)) Stop();
  if (sent_.empty()) {
    if (broken_) Stop();
    // A process that ended between two files is given one more try, in a new process.
    if (!Send(file)) {
      Stop();
      Send(file);
    }
  }
  // sent_ holds `file` and the files after it that were handed over already, the first of ahead_
  // on; the process gets the rest of ahead_.
  for (std::size_t next = sent_.size() - 1; !broken_ && next < ahead_.size(); ++next) {
    Send(ahead_[next]);
  }
  ahead_.clear();
  return Take();
}

void MeasuringProcess::Prepare() {
  if (channel_->Running()) return;
  Stop();
  channel_->Start();
}

bool MeasuringProcess::Send(const std::filesystem::path& file) {
  const MeasureChannel::Handed handed = channel_->Hand(file);
  // The process has ended, most likely on a file sent before. The answers it gave before that can
  // still be read; nothing more is sent to it.
  if (handed == MeasureChannel::Handed::kBroken) broken_ = true;
  sent_.push_back({file, handed == MeasureChannel::Handed::kSent});
  return !broken_;
}

std::int64_t MeasuringProcess::Take() {
  const bool sent = sent_.front().sent;
  sent_.pop_front();
  if (!sent) return 0;
  const std::optional<std::int64_t> seconds = channel_->Answer();
  if (!seconds) Stop();
  return seconds.value_or(0);
}

void MeasuringProcess::Stop() {
  channel_->Stop();
  sent_.clear();
  broken_ = false;
}

void MeasuringProcess::Finish() {
  Stop();
  ahead_.clear();
  channel_->Retry();
}

void MeasuringProcess::Interrupt() { channel_->Interrupt(); }

// A process that cannot be started is not tried again until Retry, unless it was interrupted
// while starting.
bool MeasureChannel::Start() {
  if (Running()) return true;
  End();  // reaps a process that crashed or was interrupted
  if (unavailable_) return false;
  {
    const std::lock_guard lock(mutex_);
    interrupted_ = false;
  }
  if (Launch()) return true;
  const std::lock_guard lock(mutex_);
  unavailable_ = !interrupted_;
  return false;
}

bool MeasureChannel::Running() {
  const std::lock_guard lock(mutex_);
  return HasProcessLocked() && !killed_;
}

void MeasureChannel::Stop() { End(); }

void MeasureChannel::Retry() { unavailable_ = false; }

void MeasureChannel::Interrupt() {
  const std::lock_guard lock(mutex_);
  if (HasProcessLocked() && !killed_) KillLocked();
  killed_ = true;
  interrupted_ = true;
}

}  // namespace media
