// How long a leading ID3v2 tag is, which the container reader skips before FFmpeg sees the file.
// Archives and documents are tested as whole files with the container reader.
#include "readers/file_sniff.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace {

std::vector<std::uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

TEST(Id3v2TagBytes, CountsHeaderSyncsafeBodyAndFooter) {
  struct Case {
    const char* what;
    std::string header;
    std::int64_t bytes;
  };
  const Case cases[] = {
      {"v2.3, body of 0x7F", std::string("ID3\x03\x00\x00\x00\x00\x00\x7F", 10), 10 + 127},
      {"syncsafe: 7 bits a byte", std::string("ID3\x04\x00\x00\x00\x00\x01\x00", 10), 10 + 128},
      {"largest body", std::string("ID3\x03\x00\x00\x7F\x7F\x7F\x7F", 10), 10 + 0x0FFFFFFF},
      {"v2.4 footer adds 10", std::string("ID3\x04\x00\x10\x00\x00\x00\x05", 10), 20 + 5},
      {"footer flag means nothing before v2.4", std::string("ID3\x03\x00\x10\x00\x00\x00\x05", 10),
       10 + 5},
      {"v2.2", std::string("ID3\x02\x00\x00\x00\x00\x00\x05", 10), 10 + 5},
      {"a size byte with its top bit set", std::string("ID3\x03\x00\x00\x00\x00\x80\x00", 10), 0},
      {"unknown version", std::string("ID3\x05\x00\x00\x00\x00\x00\x05", 10), 0},
      {"revision 0xFF", std::string("ID3\x03\xFF\x00\x00\x00\x00\x05", 10), 0},
      {"shorter than a header", std::string("ID3\x03\x00\x00\x00\x00\x00", 9), 0},
      {"no tag", std::string("\xFF\xFB\x90\x00\x00\x00\x00\x00\x00\x00", 10), 0},
  };
  for (const Case& c : cases) EXPECT_EQ(readers::Id3v2TagBytes(Bytes(c.header)), c.bytes) << c.what;
}

}  // namespace

namespace {

std::string BigEndian(std::uint32_t value) {
  return {static_cast<char>(value >> 24), static_cast<char>(value >> 16),
          static_cast<char>(value >> 8), static_cast<char>(value)};
}

// An MPEG-1 layer III frame header (128 kb/s, 44.1 kHz) in `mode` (0xC0: mono), its side
// information, then a Xing header with `flags` and the fields they announce, then `after`.
std::string XingFrame(std::uint8_t mode, const std::string& tag, std::uint8_t flags,
                      std::uint32_t frames = 4096, std::uint32_t bytes = 65536,
                      const std::string& after = "") {
  const std::size_t side = mode == 0xC0 ? 17 : 32;
  std::string frame = std::string("\xFF\xFB\x90", 3) + static_cast<char>(mode) +
                      std::string(side, '\0') + tag + std::string("\0\0\0", 3) +
                      static_cast<char>(flags);
  if (flags & 1) frame += BigEndian(frames);
  if (flags & 2) frame += BigEndian(bytes);
  return frame + after;
}

// A LAME tag: the encoder's name, 12 bytes of what the length does not need, then 12 bits each
// of encoder delay and padding.
std::string LameTag(const std::string& name, std::uint32_t delay, std::uint32_t padding) {
  return name + std::string(12, '\0') + BigEndian(delay << 12 | padding).substr(1);
}

TEST(FindXingHeader, ReadsTheStreamBytesOfTheFirstFrameOnly) {
  struct Case {
    const char* what;
    std::string block;
    std::optional<std::int64_t> bytes;
    std::size_t frame;
  };
  const Case cases[] = {
      {"stereo, frames and bytes", XingFrame(0x00, "Xing", 3), 65536, 0},
      {"mono side information is shorter", XingFrame(0xC0, "Info", 3), 65536, 0},
      {"bytes without frames", XingFrame(0x00, "Xing", 2), 65536, 0},
      {"after junk", "junk" + XingFrame(0x00, "Xing", 3), 65536, 4},
      {"frames only", XingFrame(0x00, "Xing", 1), std::nullopt, 0},
      {"a first frame without a header", XingFrame(0x00, "LAME", 3), std::nullopt, 0},
      {"bytes field cut off", XingFrame(0x00, "Xing", 3).substr(0, 47), std::nullopt, 0},
      {"layer II is not searched", std::string("\xFF\xFD\x90\x00", 4) + XingFrame(0, "Xing", 3),
       65536, 4},
  };
  for (const Case& c : cases) {
    const auto found = readers::FindXingHeader(Bytes(c.block));
    EXPECT_EQ(found ? std::optional(found->stream_bytes) : std::nullopt, c.bytes) << c.what;
    if (found) {
      EXPECT_EQ(found->frame, c.frame) << c.what;
    }
  }
}

// 1000 frames of 1152 samples at 44.1 kHz; 128 kb/s frames take 417 or 418 bytes, the least and
// the most bit rates 104 and 1045.
TEST(XingAgrees, CountsMustFitTheFrameSizeAndTheBytesPresent) {
  struct Case {
    const char* what;
    std::uint8_t flags;
    std::uint32_t frames;
    std::uint32_t bytes;
    std::int64_t present;
    bool agrees;
  };
  const Case cases[] = {
      {"whole", 3, 1000, 417'000, 417'000, true},
      {"cut short", 3, 1000, 417'000, 200'000, true},
      {"bytes without frames", 2, 0, 417'000, 417'000, true},
      {"more present than counted", 3, 1000, 417'000, 417'000 + 64 * 1024 + 52'125 + 1, false},
      {"one frame", 3, 1, 417'000, 417'000, false},
      {"frames of a byte", 3, 0xFFFFFFFF, 0xFFFFFFFF, 1'500'000, false},
      {"frames larger than any", 3, 1000, 1'045'001, 1'045'001, false},
  };
  for (const Case& c : cases) {
    const auto xing =
        readers::FindXingHeader(Bytes(XingFrame(0, "Info", c.flags, c.frames, c.bytes)));
    ASSERT_TRUE(xing) << c.what;
    EXPECT_EQ(readers::XingAgrees(*xing, c.present), c.agrees) << c.what;
  }
}

// A decoder delays by 529 samples, so 1152 + 529 is the most delay or padding a tag may state.
TEST(GaplessMicros, LeavesOutSaneEncoderDelayAndPadding) {
  struct Case {
    const char* what;
    std::uint32_t frames;
    std::string tag;
    std::optional<std::int64_t> samples;
  };
  const Case cases[] = {
      {"LAME", 1000, LameTag("LAME3.100", 576, 1000), 1'152'000 - 1576},
      {"FFmpeg's", 1000, LameTag("Lavc59.37", 576, 1000), 1'152'000 - 1576},
      {"largest delay", 1000, LameTag("LAME3.100", 1680, 0), 1'152'000 - 1680},
      {"delay too large", 1000, LameTag("LAME3.100", 1681, 0), std::nullopt},
      {"padding too large", 1000, LameTag("LAME3.100", 0, 1681), std::nullopt},
      {"more than the whole", 1, LameTag("LAME3.100", 1000, 1000), std::nullopt},
      {"another encoder", 1000, LameTag("Xing3.100", 576, 1000), std::nullopt},
      {"no tag", 1000, "", std::nullopt},
  };
  for (const Case& c : cases) {
    const auto xing =
        readers::FindXingHeader(Bytes(XingFrame(0, "Info", 3, c.frames, 400'000, c.tag)));
    ASSERT_TRUE(xing) << c.what;
    const auto micros = readers::GaplessMicros(*xing);
    EXPECT_EQ(micros, c.samples ? std::optional(*c.samples * 1'000'000 / 44'100) : std::nullopt)
        << c.what;
  }
}

TEST(TrailingTagBytes, CountsId3v1AndApeTagsAtTheEnd) {
  const std::string id3v1 = "TAG" + std::string(125, 'x');
  // An APEv2 footer: its size (items and footer) of 100, flagged as having a header too.
  const std::string ape =
      "APETAGEX" + std::string("\xD0\x07\0\0d\0\0\0\0\0\0\0\0\0\0\x80", 16) + std::string(8, '\0');
  const struct {
    const char* what;
    std::string tail;
    std::int64_t bytes;
  } cases[] = {
      {"none", std::string(200, 'a'), 0},
      {"ID3v1", std::string(100, 'a') + id3v1, 128},
      {"APEv2 with its header", std::string(100, 'a') + ape, 100 + 32},
      {"APEv2 before ID3v1", std::string(10, 'a') + ape + id3v1, 100 + 32 + 128},
      {"shorter than a tag", "TAG", 0},
  };
  for (const auto& c : cases)
    EXPECT_EQ(readers::TrailingTagBytes(Bytes(c.tail)), c.bytes) << c.what;
}

}  // namespace
