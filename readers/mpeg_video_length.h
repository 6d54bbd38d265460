// The play length of a raw MPEG-1 or MPEG-2 video stream (an elementary stream, as some cameras
// and old tools write to .mpg and .m2v), which has no container to state it.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "io/source.h"

namespace readers {

// Frames per second as a fraction, from a sequence header's frame rate code.
struct FrameRate {
  std::int64_t num = 0;
  std::int64_t den = 1;
};

// The frame rate of the first sequence header in `head`; nullopt without one.
std::optional<FrameRate> SequenceFrameRate(std::span<const std::uint8_t> head);

// Frames from the first picture to the end of `tail`, by the time code of its last group of
// pictures and the pictures that follow it: time code frames are whole frames at the rate rounded
// up, as cameras count them. nullopt when `tail` holds no group of pictures, or when the time codes
// of its last two groups do not count the pictures between them.
std::optional<std::int64_t> FramesAtEnd(std::span<const std::uint8_t> tail, const FrameRate& rate);

// Microseconds of the stream from `start` to the end of `file`, by its time codes or else by its
// pictures at the sequence header's frame rate; nullopt without a sequence header or a picture.
std::optional<std::int64_t> MpegVideoMicros(const io::Source& file, std::int64_t start);

}  // namespace readers
