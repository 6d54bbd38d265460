// Tests of the header parsing on bytes alone: where "data" and the format fields are looked for,
// which bytes count, and that no header can make the arithmetic overflow or go negative.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string_view>

#include "tests/wave/wave_writer.h"
#include "wave/wave_duration.h"

namespace {

using wave_test::Bytes;
using wave_test::Chunk;
using wave_test::Fmt;
using wave_test::Header;
using wave_test::Prefix;

// `bytes` with `text` written at `at`, zero-filled up to there.
Bytes With(Bytes bytes, std::size_t at, std::string_view text) {
  bytes.resize(std::max(bytes.size(), at + text.size()));
  std::copy(text.begin(), text.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at));
  return bytes;
}

TEST(FindDataChunk, GivesOffsetPastIdAndSizeOfFirstWholeMatch) {
  const struct {
    Bytes block;
    std::int64_t offset;
  } cases[] = {
      {{}, 0},
      {With({}, 0, "data"), 8},
      {With({}, 0, "xxdatadata"), 10},
      {With({}, 0, "dat"), 0},
      {With({}, 0, "DATA"), 0},
      {With({}, 496, "data"), 504},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(wave::FindDataChunk(c.block), c.offset) << c.block.size() << " bytes";
  }
}

// 8-bit mono at 1 Hz: one byte per second, so every byte counted shows in the result.
const Bytes kOnePerSecond = Header({Fmt(1, 1, 8)}, 0);
const Bytes kNoData = Prefix(kOnePerSecond, 36);

// Format fields off their canonical places, behind a JUNK chunk: the fmt body ends at byte 72.
Bytes JunkFirst(const Bytes& junk) { return Header({Chunk("JUNK", junk), Fmt(1, 1, 8)}, 0); }
const Bytes kJunkFirst = JunkFirst(Bytes(28));
constexpr std::size_t kJunkFirstFmtEnd = 72;

// A JUNK body with 1 channel, 2 Hz and 8 bits where the canonical header keeps them.
Bytes RateTwoAtFixedPlaces() {
  Bytes junk(28);
  junk[2] = 1;
  junk[4] = 2;
  junk[14] = 8;
  return junk;
}

constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();

TEST(SecondsFromHeader, FollowsTheHeaderRules) {
  const struct {
    const char* rule;
    Bytes block;
    std::int64_t file_length;
    std::int64_t seconds;
  } cases[] = {
      {"sound runs from the data offset to the end", kOnePerSecond, 1044, 1000},
      {"a data id ending at byte 500 counts", With(kNoData, 496, "data"), 1504, 1000},
      {"a data id crossing byte 500 does not", With(kNoData, 497, "data"), 1504, 1504},
      {"nor does one past it", With(kNoData, 520, "data"), 1504, 1504},
      {"a field cut off by the end of the read is 0", Prefix(kOnePerSecond, 31), 1000, 0},
      {"a data offset past the end is no sound", Prefix(kOnePerSecond, 43), 43, 0},
      {"a negative length is no sound", kOnePerSecond, std::numeric_limits<std::int64_t>::min(), 0},
      {"fmt chunk behind JUNK", kJunkFirst, 1080, 1000},
      {"fmt body cut off by the end of the read", Prefix(kJunkFirst, kJunkFirstFmtEnd - 1), 1080,
       0},
      {"fmt body just within the read", Prefix(kJunkFirst, kJunkFirstFmtEnd), 1080, 1080},
      {"fixed places win when they give a rate", JunkFirst(RateTwoAtFixedPlaces()), 1080, 500},
      {"4 bits a sample: the format's average, 2 bytes/s", Header({Fmt(1, 2, 4)}, 0), 1044, 500},
      {"and from a fmt chunk behind JUNK", Header({Chunk("JUNK", Bytes(28)), Fmt(1, 2, 4)}, 0),
       1080, 500},
      {"an average of 0 is no rate", With(Header({Fmt(1, 2, 4)}, 0), 28, {"\0\0\0\0", 4}), 1044, 0},
      {"from 8 bits on the average is not used", With(kOnePerSecond, 28, "\x10"), 1044, 1000},
      {"widest fields do not overflow", Header({Fmt(0xFFFF, 0xFFFFFFFF, 0xFFFF)}, 0), kMax,
       (kMax - 44) / ((0xFFFF / 8) * 0xFFFF * std::int64_t{0xFFFFFFFF})},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(wave::SecondsFromHeader(c.block, c.file_length), c.seconds) << c.rule;
  }
}

TEST(ReadWaveHeader, TakesFieldsFromTheFirstCompleteFmtWhenFixedPlacesGiveNoRate) {
  const wave::WaveHeader header = wave::ReadWaveHeader(
      Header({Chunk("JUNK", Bytes(28)), Fmt(6, 48000, 24, 40), Chunk("LIST", Bytes(8))}, 0));
  EXPECT_EQ(header.data_offset, 12 + 36 + 48 + 16 + 8);
  EXPECT_EQ(header.channels, 6);
  EXPECT_EQ(header.sample_rate, 48000);
  EXPECT_EQ(header.bits_per_sample, 24);
}

}  // namespace
