// The files in flight between the window and its measuring process: at most the one being
// answered and the one after it, so that the process reads the next file while the window takes
// an answer and opens the file after that. Answers come in the order the files were handed over.
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
  if (sent_.empty()) Send(file);
  if (ahead_) Send(*std::exchange(ahead_, std::nullopt));
  return Take();
}

void MeasuringProcess::Prepare() {
  if (channel_->Running()) return;
  Stop();
  channel_->Start();
}

void MeasuringProcess::Send(const std::filesystem::path& file) {
  const MeasureChannel::Handed handed = channel_->Hand(file);
  if (handed == MeasureChannel::Handed::kBroken) {
    // The process died, most likely on the file before, whose answer then fails too.
    channel_->Stop();
  }
  sent_.push_back({file, handed == MeasureChannel::Handed::kSent});
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
}

void MeasuringProcess::Finish() {
  Stop();
  ahead_.reset();
  channel_->Retry();
}

void MeasuringProcess::Interrupt() { channel_->Interrupt(); }

}  // namespace media
