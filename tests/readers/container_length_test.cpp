// Play lengths of files that are not read as WAV, through FFmpeg: every common container gives the
// length of the signal that made it, files cut short give what they still hold, and anything that
// is not audio or video gives 0 without opening other files and without reading cover pictures.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/inotify.h>
#include <unistd.h>
#endif

#include <bit>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "tests/readers/media_fixtures.h"
#include "tests/readers/module_writer.h"
#include "tests/readers/seconds_of.h"

namespace {

namespace fs = std::filesystem;
using readers_test::Fixtures;
using readers_test::Picture;
using readers_test::Tone;

struct Made {
  const char* name;
  std::string arguments;
  std::int64_t seconds;
};

// No intact file may cost more reading than this.
constexpr std::int64_t kMostBytesRead = 1 << 20;

using readers_test::ToolPath;

// The length of `file`, read within the bounds of an intact file, no byte of it twice.
void ExpectMeasured(const fs::path& file, const std::string& name, std::int64_t seconds) {
  const readers_test::Measurement measured = readers_test::Measure(file);
  EXPECT_EQ(measured.seconds, seconds) << name;
  EXPECT_LT(measured.bytes_read, kMostBytesRead) << name;
  EXPECT_EQ(measured.bytes_read_again, 0) << name;
}

std::string OneFps(double seconds) {
  return "-f lavfi -i testsrc=size=160x120:rate=1:duration=" + std::to_string(seconds);
}

// A film whose first picture is noise and the rest flat grey.
std::string KeyFrameFirst(double seconds) {
  return "-f lavfi -i 'nullsrc=size=640x360:rate=25:duration=" + std::to_string(seconds) +
         ",geq=lum=if(eq(N\\,0)\\,random(1)*255\\,128):cb=128:cr=128'";
}

// Every length ends in half a second, well clear of the whole seconds that rounding down keeps,
// whatever encoder delay and padding add.
TEST(ContainerSeconds, CommonContainersGiveTheLengthOfTheirSignal) {
  const std::string x264 = " -c:v libx264 -preset ultrafast";
  const Made cases[] = {
      {"cbr.mp3", Tone(4.5) + " -c:a libmp3lame -b:a 128k -write_xing 0", 4},
      {"cbr-xing.mp3", Tone(5.5) + " -c:a libmp3lame -b:a 128k", 5},
      {"vbr-xing.mp3", Tone(6.5) + " -c:a libmp3lame -q:a 4", 6},
      {"tone.flac", Tone(7.5), 7},
      {"vorbis.ogg", Tone(8.5) + " -c:a libvorbis", 8},
      {"tone.opus", Tone(9.5) + " -c:a libopus", 9},
      {"aac.m4a", Tone(3.5) + " -c:a aac", 3},
      {"alac.m4a", Tone(4.5) + " -c:a alac", 4},
      {"tone.aiff", Tone(5.5), 5},
      {"tone.wma", Tone(6.5) + " -c:a wmav2", 6},
      {"tone.wv", Tone(7.5) + " -c:a wavpack", 7},
      {"tone.au", Tone(8.5), 8},
      {"tone.ac3", Tone(9.5) + " -c:a ac3", 9},
      {"adts.aac", Tone(3.5) + " -c:a aac", 3},
      {"tone.mka", Tone(4.5) + " -c:a libvorbis", 4},
      {"tone.wave", Tone(2.5) + " -f wav", 2},
      {"clip.mkv", Picture(5.5) + " " + Tone(5.5) + x264 + " -c:a aac", 5},
      {"clip.webm", Picture(6.5) + " " + Tone(6.5) + " -c:v libvpx -deadline realtime -cpu-used 8",
       6},
      {"clip.mp4", Picture(7.5) + " " + Tone(7.5) + x264 + " -c:a aac", 7},
      {"clip.mov", Picture(8.5) + " " + Tone(8.5) + x264 + " -c:a aac", 8},
      {"clip.avi", Picture(9.5) + " " + Tone(9.5) + " -c:v mpeg4 -c:a libmp3lame", 9},
      {"clip.ts", Picture(3.5) + " " + Tone(3.5) + " -c:v mpeg2video -c:a mp2", 3},
      {"clip.mpg", Picture(4.5) + " " + Tone(4.5) + " -c:v mpeg2video -c:a mp2 -f vob", 4},
      {"clip.flv", Picture(5.5) + " " + Tone(5.5) + " -c:v flv1 -c:a libmp3lame", 5},
      {"clip.3gp", Picture(6.5) + " " + Tone(6.5) + x264 + " -c:a aac -ar 16000", 6},
      // The whole file counts, not its first stream: 2.5 s of picture, 7.5 s of sound.
      {"longer-sound.mp4", Picture(2.5) + " " + Tone(7.5) + x264 + " -c:a aac", 7},
      {"longer-sound.mkv", Picture(2.5) + " " + Tone(7.5) + x264 + " -c:a aac", 7},
      // A Xing header's table of contents points a frame past the end of these.
      {"xing-2s.mp3", Tone(2) + " -c:a libmp3lame -q:a 4", 2},
      {"info-2s.mp3", Tone(2) + " -c:a libmp3lame -b:a 128k", 2},
      // Frames without a duration: 7 pictures at one a second play 7 s.
      {"one-fps.flv", OneFps(6.5) + " -c:v flv1", 7},
      {"one-fps.wmv", OneFps(6.5) + " -c:v wmv2", 7},
      // Its first key frame is larger than seconds of the rest.
      {"key-frame.ogv", KeyFrameFirst(8.5) + " " + Tone(8.5) + " -c:v libtheora -q:v 10 -g 1000",
       8},
      {"elementary.mpg", Picture(5.5) + " -c:v mpeg1video -f mpeg1video", 5},
      {"elementary.m2v", Picture(20.5) + " -c:v mpeg2video -f mpeg2video", 20},
      // 4-bit ADPCM, at the byte rate it really has (ffmpeg writes its default bit rate else).
      {"ima-adpcm.wav", Tone(3.5) + " -c:a adpcm_ima_wav -b:a 176400", 3},
      {"ms-adpcm.wav", Tone(3.5) + " -c:a adpcm_ms -b:a 176400", 3},
      // 293 frames of 576 samples at 24 kHz make 7.03 s; a gapless player leaves out the LAME
      // tag's encoder delay (576) and padding (911) and plays 6.97 s.
      {"gapless.mp3", Tone(167281.0 / 24000) + " -ar 24000 -c:a libmp3lame", 6},
  };
  for (const Made& c : cases) {
    ExpectMeasured(Fixtures::Get().Make(c.name, c.arguments), c.name, c.seconds);
  }
}

// A module's notes are not sound: it plays one pass of its order list at its speed and tempo,
// however few bytes hold it, and a song that jumps back to its start for ever ends all the same.
TEST(ContainerSeconds, TrackerModulesPlayTheirOrderListOnce) {
  using readers_test::ModBytes;
  using readers_test::XmBytes;
  struct Module {
    const char* name;
    std::string bytes;
    std::int64_t seconds;
  };
  const Module cases[] = {
      // 64 rows of 6 ticks of 20 ms: 7.68 s.
      {"plain.mod", ModBytes({.speed = 6, .tempo = 125, .rows = 64, .orders = 1}), 7},
      // 3 x 64 rows of 5 ticks of 20 ms, then back to the first order: 19.2 s.
      {"looped.mod", ModBytes({.speed = 5, .tempo = 125, .rows = 64, .orders = 3, .loop = true}),
       19},
      // 128 rows of 31 ticks of 2.5/33 s: 300.6 s from 3 KB, far past 16 bytes a second.
      {"long.mod", ModBytes({.speed = 31, .tempo = 33, .rows = 64, .orders = 2}), 300},
      // 2 x 110 rows of 3 ticks of 20 ms, then back: 13.2 s.
      {"looped.xm", XmBytes({.speed = 3, .tempo = 125, .rows = 110, .orders = 2, .loop = true}),
       13},
  };
  for (const Module& c : cases) {
    const fs::path file = Fixtures::Get().folder() / c.name;
    readers_test::WriteModule(file, c.bytes);
    EXPECT_EQ(readers_test::SecondsOf(file), c.seconds) << c.name;
  }
}

// Films and recordings of tens of megabytes, Matroska written to a pipe, which states no length and
// has no cues, or a wrong length copied from its source, and recordings joined one to the other.
TEST(ContainerSeconds, LongAndJoinedFilesGiveTheirWholeLengthFromAFewKilobytes) {
  Fixtures& fixtures = Fixtures::Get();
  const std::string dense =
      " -f lavfi -i testsrc2=size=640x360:rate=25:duration=5 " + Tone(5) + " -b:v 4M -c:a ";
  const std::string mkv =
      ToolPath(fixtures.Make("dense.mkv", dense + "aac -c:v libx264 -preset ultrafast"));
  const std::string webm = ToolPath(
      fixtures.Make("dense.webm", dense + "libopus -c:v libvpx -deadline realtime -cpu-used 8"));
  const std::string part = ToolPath(fixtures.Make(
      "part.mkv", Picture(3.5) + " " + Tone(3.5) + " -c:v mpeg4 -c:a aac -f matroska"));
  const std::string vorbis = ToolPath(fixtures.Make("part.ogg", Tone(4.5) + " -c:a libvorbis"));
  const Made cases[] = {
      {"chained.ogg", Tone(3) + " -c:a libopus -f ogg - | cat '" + vorbis + "' - >", 7},
      {"looped.mkv", "-stream_loop 11 -i '" + mkv + "' -c copy", 60},
      {"looped.webm", "-stream_loop 15 -i '" + webm + "' -c copy", 80},
      {"piped.mkv", "-stream_loop 11 -i '" + mkv + "' -c copy -f matroska - >", 60},
      // Two recordings one after the other: the second one's timestamps start again.
      {"restarted.mkv",
       Picture(3) + " " + Tone(3) + " -c:v mpeg4 -c:a aac -f matroska - | cat '" + part + "' - >",
       6},
  };
  for (const Made& c : cases) ExpectMeasured(fixtures.Make(c.name, c.arguments), c.name, c.seconds);
  EXPECT_GT(fs::file_size(fixtures.folder() / "looped.mkv"), std::uintmax_t{20} << 20);
}

// Neither cover pictures nor frames that the length does not need are read: a FLAC file that
// states its samples costs its metadata and its last frames.
TEST(ContainerSeconds, ReadsNeitherCoverPicturesNorFramesItDoesNotNeed) {
  // Noise does not compress, so the picture stays over a megabyte, and the sound a few hundred
  // kilobytes.
  const std::string picture = ToolPath(
      Fixtures::Get().Make("noise.png",
                           "-f lavfi -i 'nullsrc=size=900x900:duration=0.04,geq=lum=random("
                           "1)*255:cb=128:cr=128' -frames:v 1 -c:v png"));
  const std::string covered =
      " -i '" + picture + "' -map 0 -map 1 -c:v copy -disposition:v attached_pic -c:a ";
  struct Read {
    const char* name;
    std::string arguments;
    std::int64_t seconds;
    std::uintmax_t size;  // the file's at least
    std::int64_t most;    // bytes read at the most
  };
  const Read cases[] = {
      {"covered.mp3", Tone(6.5) + covered + "libmp3lame", 6, 1 << 20, 256 * 1024},
      {"covered.flac", Tone(7.5) + covered + "flac", 7, 1 << 20, 64 * 1024},
      {"covered.m4a", Tone(8.5) + covered + "aac", 8, 1 << 20, 256 * 1024},
      {"noise.flac", "-f lavfi -i anoisesrc=d=4.5:a=0.5 -ac 2", 4, 500 * 1024, 64 * 1024},
  };
  for (const Read& c : cases) {
    const fs::path& song = Fixtures::Get().Make(c.name, c.arguments);
    ASSERT_GT(fs::file_size(song), c.size) << c.name;
    const readers_test::Measurement measured = readers_test::Measure(song);
    EXPECT_EQ(measured.seconds, c.seconds) << c.name;
    EXPECT_LE(measured.bytes_read, c.most) << c.name;
  }
}

void WriteText(const fs::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

std::string Contents(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WritePrefix(const fs::path& from, const fs::path& to, std::uintmax_t bytes) {
  std::ifstream in(from, std::ios::binary);
  std::vector<char> prefix(bytes);
  in.read(prefix.data(), static_cast<std::streamsize>(bytes));
  std::ofstream(to, std::ios::binary).write(prefix.data(), in.gcount());
}

// A file cut short holds less than its header says. Each is cut in the middle of its 20.5 s, which
// leaves a little over 10 s minus the header; what an index tells may round that down further.
TEST(ContainerSeconds, FilesCutInHalfGiveWhatTheyStillHold) {
  const std::string x264 = " -c:v libx264 -preset ultrafast";
  const Made cases[] = {
      {"cut-cbr.mp3", Tone(20.5) + " -c:a libmp3lame -b:a 128k", 20},
      {"cut-vbr.mp3", Tone(20.5) + " -c:a libmp3lame -q:a 4", 20},
      {"cut.flac", Tone(20.5), 20},
      {"cut.ogg", Tone(20.5) + " -c:a libvorbis", 20},
      {"cut.m4a", Tone(20.5) + " -c:a aac -movflags +faststart", 20},
      {"cut.aiff", Tone(20.5), 20},
      {"cut.wma", Tone(20.5) + " -c:a wmav2", 20},
      {"cut.mka", Tone(20.5) + " -c:a libvorbis", 20},
      {"cut.mp4", Picture(20.5) + " " + Tone(20.5) + x264 + " -c:a aac -movflags +faststart", 20},
      {"cut.mkv", Picture(20.5) + " " + Tone(20.5) + x264 + " -c:a aac", 20},
  };
  for (const Made& c : cases) {
    const fs::path& whole = Fixtures::Get().Make(c.name, c.arguments);
    const fs::path half = Fixtures::Get().folder() / ("half-" + std::string(c.name));
    WritePrefix(whole, half, fs::file_size(whole) / 2);
    EXPECT_EQ(readers_test::SecondsOf(whole), c.seconds) << c.name;
    const std::int64_t seconds = readers_test::SecondsOf(half);
    EXPECT_GE(seconds, 8) << c.name;
    EXPECT_LE(seconds, 10) << c.name;
  }
}

TEST(ContainerSeconds, HeadersWithoutTheirMediaGiveZero) {
  const Made cases[] = {
      // Its Xing header says three minutes.
      {"three-minutes.mp3", Tone(180.5) + " -c:a libmp3lame -q:a 4", 180},
      {"long.flac", Tone(30.5), 30},
      {"long.m4a", Tone(30.5) + " -c:a aac -movflags +faststart", 30},
      {"long.mkv", Picture(30.5) + " -c:v libx264 -preset ultrafast", 30},
  };
  for (const Made& c : cases) {
    const fs::path& whole = Fixtures::Get().Make(c.name, c.arguments);
    const fs::path start = Fixtures::Get().folder() / ("1k-" + std::string(c.name));
    WritePrefix(whole, start, 1024);
    EXPECT_EQ(readers_test::SecondsOf(whole), c.seconds) << c.name;
    EXPECT_EQ(readers_test::SecondsOf(start), 0) << c.name;
  }
}

// A change to the bytes of a file made by ffmpeg, as a damaged or forged file has it; false when
// the bytes to change are not there.
using Patch = std::function<bool(std::string&)>;

// `value` written `offset` bytes after the `nth` `field`, or the last one.
Patch Put(std::string field, std::size_t offset, std::string value, int nth = 0) {
  return [=](std::string& bytes) {
    std::size_t at = nth < 0 ? bytes.rfind(field) : bytes.find(field);
    for (int i = 0; i < nth && at != std::string::npos; ++i) at = bytes.find(field, at + 1);
    if (at == std::string::npos || at + offset + value.size() > bytes.size()) return false;
    bytes.replace(at + offset, value.size(), value);
    return true;
  };
}

std::string BigEndian(std::uint64_t value, int width) {
  std::string bytes;
  for (int i = width; i-- > 0;) bytes += static_cast<char>(value >> (8 * i));
  return bytes;
}

// The granule position of an Ogg file's last page, its checksum made to match.
Patch LastGranule(std::uint64_t granule) {
  return [=](std::string& bytes) {
    const std::size_t page = bytes.rfind("OggS");
    if (page == std::string::npos || bytes.size() - page < 27) return false;
    std::string value = BigEndian(granule, 8);
    bytes.replace(page + 6, 8, std::string(value.rbegin(), value.rend()));
    const std::string crc =
        BigEndian(readers_test::OggPageCrc(std::string_view(bytes).substr(page)), 4);
    bytes.replace(page + 22, 4, std::string(crc.rbegin(), crc.rend()));
    return true;
  };
}

// Where the Timestamp element of a Matroska cluster starts: after the cluster's id, its size and
// the CRC-32 element that ffmpeg puts first.
std::size_t ClusterTimestamp(const std::string& bytes, std::size_t cluster) {
  const auto size_length = static_cast<std::size_t>(
      std::countl_zero(static_cast<std::uint8_t>(bytes.at(cluster + 4))) + 1);
  const std::size_t child = cluster + 4 + size_length;
  return bytes.at(child) == '\xBF' ? child + 6 : child;
}

// Changes the cluster that `pick` chooses among the positions of all of them.
Patch InCluster(std::function<std::size_t(std::size_t count)> pick,
                std::function<bool(std::string&, std::size_t cluster)> change) {
  return [=](std::string& bytes) {
    std::vector<std::size_t> clusters;
    for (std::size_t at = bytes.find("\x1F\x43\xB6\x75"); at != std::string::npos;
         at = bytes.find("\x1F\x43\xB6\x75", at + 1)) {
      clusters.push_back(at);
    }
    return clusters.size() > 1 && change(bytes, clusters[pick(clusters.size())]);
  };
}

const auto kThreeQuarters = [](std::size_t count) { return count * 3 / 4; };
const auto kLast = [](std::size_t count) { return count - 1; };
const auto kFirst = [](std::size_t) { return std::size_t{0}; };

bool ZeroTimestamp(std::string& bytes, std::size_t cluster) {
  const std::size_t timestamp = ClusterTimestamp(bytes, cluster);
  if (bytes.at(timestamp) != '\xE7') return false;
  const std::size_t length = static_cast<std::uint8_t>(bytes.at(timestamp + 1)) & 0x7F;
  bytes.replace(timestamp + 2, length, std::string(length, '\0'));
  return true;
}

// The Timestamp element turned into a Void one, which a reader steps over.
bool VoidTimestamp(std::string& bytes, std::size_t cluster) {
  const std::size_t timestamp = ClusterTimestamp(bytes, cluster);
  if (bytes.at(timestamp) != '\xE7') return false;
  bytes[timestamp] = '\xEC';
  return true;
}

// A cluster's three-byte size 64 KiB too large, so that it ends inside a later cluster.
bool Overshoot(std::string& bytes, std::size_t cluster) {
  if ((bytes.at(cluster + 4) & 0xE1) != 0x20) return false;
  bytes[cluster + 4] = static_cast<char>(bytes[cluster + 4] | 1);
  return true;
}

// A Matroska file's stated Duration, as its 8-byte float of milliseconds.
Patch StatedMillis(double millis) {
  return [=](std::string& bytes) {
    std::uint64_t value = 0;
    std::memcpy(&value, &millis, sizeof value);
    return Put("\x44\x89\x88", 3, BigEndian(value, 8))(bytes);
  };
}

// Every group of pictures' time code in a raw MPEG video stream set to 0:00:00, its marker bit
// kept.
bool ZeroTimeCodes(std::string& bytes) {
  int groups = 0;
  for (std::size_t at = bytes.find(std::string("\0\0\1\xB8", 4)); at != std::string::npos;
       at = bytes.find(std::string("\0\0\1\xB8", 4), at + 1), ++groups) {
    bytes.replace(at + 4, 3, std::string("\0\x08\0", 3));
    bytes[at + 7] = static_cast<char>(bytes[at + 7] & 0x7F);
  }
  return groups > 1;
}

const std::string kAllOnes(4, '\xFF');

// Header fields that contradict the data, as damaged, forged or hostile files have them, give the
// length of what the data holds (each row's seconds are what its changed file decodes to, rounded
// down); headers that claim years count what the bytes can hold.
TEST(ContainerSeconds, HeaderFieldsThatContradictTheDataGiveTheDataLength) {
  struct Damaged {
    const char* name;
    const char* made;  // the file that ffmpeg makes from `arguments`, before the change
    std::string arguments;
    std::vector<Patch> patches;
    std::uintmax_t keep;  // bytes kept, 0 for all
    std::int64_t seconds;
  };
  const std::string mp3 = Tone(95.5) + " -c:a libmp3lame -b:a 128k";  // 1.5 MB, an Info header
  const std::string avi = Picture(10.5) + " " + Tone(10.5) + " -c:v mpeg4 -c:a libmp3lame";
  const std::string mp4 = Picture(15.2) + " " + Tone(15.2) + " -c:v libx264 -preset ultrafast";
  const std::string mkv = Picture(20.5) + " " + Tone(20.5) + " -c:v libx264 -preset ultrafast";
  // Matroska whose Segment Info states 3.6 s of the 5.87 s that its clusters hold.
  const std::string short_mkv = Picture(5.87) + " " + Tone(5.87) + " -c:v mpeg4 -g 25 -c:a aac";
  const Damaged cases[] = {
      // A 4 KB start of a file whose Xing header counts 2^32 frames: 39 days.
      {"frames.mp3",
       "vbr-20s.mp3",
       Tone(20.5) + " -c:a libmp3lame -q:a 4",
       {Put("Xing", 8, kAllOnes)},
       4096,
       0},
      {"frames-and-bytes.mp3", "info.mp3", mp3, {Put("Info", 8, kAllOnes + kAllOnes)}, 0, 95},
      {"one-frame.mp3", "info.mp3", mp3, {Put("Info", 8, BigEndian(1, 4))}, 0, 95},
      {"video-length.avi", "film.avi", avi, {Put("strh", 40, kAllOnes)}, 0, 10},
      {"video-scale.avi", "film.avi", avi, {Put("strh", 28, kAllOnes)}, 0, 10},
      {"audio-length.avi", "film.avi", avi, {Put("strh", 40, kAllOnes, 1)}, 0, 10},
      {"audio-scale.avi", "film.avi", avi, {Put("strh", 28, kAllOnes, 1)}, 0, 10},
      {"scale.avi", "silent.avi", Picture(5.5) + " -c:v mpeg4", {Put("strh", 28, kAllOnes)}, 0, 5},
      {"time-scale-0.mp4", "film.mp4", mp4, {Put("mvhd", 16, std::string(4, '\0'))}, 0, 15},
      {"duration.mp4", "film.mp4", mp4, {Put("mvhd", 20, kAllOnes)}, 0, 15},
      {"zeroed-cluster.mkv",
       "piped-20s.mkv",
       mkv + " -c:a aac -f matroska - >",
       {InCluster(kThreeQuarters, ZeroTimestamp)},
       0,
       20},
      {"zeroed-cued-cluster.mkv",
       "cued.mkv",
       mkv + " -c:a aac",
       {InCluster(kLast, ZeroTimestamp)},
       0,
       20},
      {"last-granule-0.opus", "33s.opus", Tone(33.5) + " -c:a libopus", {LastGranule(0)}, 0, 33},
      {"last-granule-2^62.opus",
       "33s.opus",
       Tone(33.5) + " -c:a libopus",
       {LastGranule(std::uint64_t{1} << 62)},
       0,
       33},
      // Raw MPEG video whose time codes do not count: 135 pictures at 25 a second.
      {"no-time-codes.mpg",
       "elementary-5.4s.mpg",
       Picture(5.4) + " -c:v mpeg1video -f mpeg1video",
       {ZeroTimeCodes},
       0,
       5},
      // The stated length is short of the clusters: the blocks' end counts where the cues point
      // past it and where all of a small file was read. A cluster's size that is wrong does not
      // end the walk there either.
      {"cues-past-stated.mkv",
       "short.mkv",
       short_mkv,
       {StatedMillis(3600), InCluster(kFirst, VoidTimestamp)},
       0,
       5},
      {"small-past-stated.mka",
       "short.mka",
       Tone(5.87) + " -c:a libopus -b:a 8k",
       {StatedMillis(3600), InCluster(kFirst, VoidTimestamp),
        Put("\x1C\x53\xBB\x6B", 0, "\x1C\x53\xBB\x6C", -1)},
       0,
       5},
      {"wrong-cluster-size.mkv",
       "short-piped.mkv",
       short_mkv + " -f matroska - >",
       {InCluster(kFirst, Overshoot)},
       0,
       5},
  };
  for (const Damaged& c : cases) {
    std::string bytes = Contents(Fixtures::Get().Make(c.made, c.arguments));
    for (const Patch& patch : c.patches) ASSERT_TRUE(patch(bytes)) << c.name;
    if (c.keep > 0) bytes.resize(c.keep);
    const fs::path damaged = Fixtures::Get().folder() / ("damaged-" + std::string(c.name));
    WriteText(damaged, bytes);
    ExpectMeasured(damaged, c.name, c.seconds);
  }
  // Timestamps that jump a billion seconds ahead, as its stated length does.
  const fs::path& jump = Fixtures::Get().Make(
      "jump.mkv",
      Picture(5.5) +
          " -vf \"setpts='if(gte(N,100),PTS+1e9/TB,PTS)'\" -c:v libx264 -preset ultrafast");
  EXPECT_LE(readers_test::SecondsOf(jump), 6);
}

// WavPack keeps no index and its reader cannot start in the middle of the data, so only the byte
// rate of the first blocks shows that most of the file is missing.
TEST(ContainerSeconds, FileCutFarShortOfItsStatedLengthGivesItsBytesAtTheirRate) {
  const fs::path& whole = Fixtures::Get().Make("long.wv", Tone(240.5) + " -c:a wavpack");
  const fs::path fifth = Fixtures::Get().folder() / "fifth.wv";
  WritePrefix(whole, fifth, fs::file_size(whole) / 5);
  EXPECT_EQ(readers_test::SecondsOf(whole), 240);
  const std::int64_t seconds = readers_test::SecondsOf(fifth);
  EXPECT_GE(seconds, 44);
  EXPECT_LE(seconds, 48);
}

std::string LittleEndian(std::uint32_t value, int width) {
  std::string bytes;
  for (int i = 0; i < width; ++i) bytes += static_cast<char>(value >> (8 * i));
  return bytes;
}

std::uint32_t Crc32(const std::string& bytes) {
  std::uint32_t crc = 0xFFFFFFFF;
  for (const char c : bytes) {
    crc ^= static_cast<std::uint8_t>(c);
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320 & (0 - (crc & 1)));
  }
  return ~crc;
}

// A zip archive that stores `member` uncompressed, as archivers do with files that do not shrink.
void WriteStoredZip(const fs::path& path, const std::string& name, const std::string& member) {
  const auto u16 = [](std::uint32_t v) { return LittleEndian(v, 2); };
  const auto u32 = [](std::uint32_t v) { return LittleEndian(v, 4); };
  const auto size = static_cast<std::uint32_t>(member.size());
  const std::string common = u16(20) + u16(0) + u16(0) + u16(0) + u16(0) + u32(Crc32(member)) +
                             u32(size) + u32(size) + u16(static_cast<std::uint32_t>(name.size())) +
                             u16(0);
  const std::string local = "PK\x03\x04" + common + name + member;
  const std::string central =
      "PK\x01\x02" + u16(20) + common + u16(0) + u16(0) + u16(0) + u32(0) + u32(0) + name;
  const std::string end = std::string("PK\x05\x06", 4) + u16(0) + u16(0) + u16(1) + u16(1) +
                          u32(static_cast<std::uint32_t>(central.size())) +
                          u32(static_cast<std::uint32_t>(local.size())) + u16(0);
  WriteText(path, local + central + end);
}

class NotMediaTest : public testing::Test {
 protected:
  NotMediaTest()
      : m_song(Fixtures::Get().Make("song.mp3", Tone(5.5) + " -c:a libmp3lame -b:a 128k")),
        m_dir(Fixtures::Get().folder() /
              testing::UnitTest::GetInstance()->current_test_info()->name()) {
    fs::create_directories(m_dir);
  }

  const fs::path& m_song;
  fs::path m_dir;
};

TEST_F(NotMediaTest, TextImagesDocumentsArchivesAndNoiseGiveZero) {
  ASSERT_EQ(readers_test::SecondsOf(m_song), 5);
  const std::string mp3 = Contents(m_song);

  WriteText(m_dir / "notes.txt", "Running order\n1. Overture\n2. Finale\n");
  WriteText(m_dir / "subtitles.txt",
            "1\n00:00:01,000 --> 00:00:04,000\nHello\n\n2\n01:00:00,000 --> 02:00:00,000\nBye\n");
  WriteText(m_dir / "paper.pdf", "%PDF-1.4\n1 0 obj\n<< /Length 9 >>\nstream\n" + mp3);
  WriteStoredZip(m_dir / "songs.zip", "song.mp3", mp3);
  WriteText(m_dir / "empty.mp3", "");
  std::mt19937 generator(2024);
  std::string noise(300 * 1024, '\0');
  for (char& c : noise) c = static_cast<char>(generator());
  WriteText(m_dir / "noise.mp3", noise);
  WriteText(m_dir / "noise.bin", noise);
  Fixtures::Get().Make("picture.png", Picture(1) + " -frames:v 1");
  Fixtures::Get().Make("animation.gif", Picture(3.5) + " -r 10");
  // Named in full: MinGW's std::filesystem does not copy a file into a folder.
  fs::copy(Fixtures::Get().folder() / "picture.png", m_dir / "picture.png");
  fs::copy(Fixtures::Get().folder() / "animation.gif", m_dir / "animation.gif");
  const std::string tar = "tar -C '" + ToolPath(m_song.parent_path()) + "' -cf '" +
                          ToolPath(m_dir / "songs.tar") + "' song.mp3";
  ASSERT_EQ(readers_test::RunShell(tar), 0);

  for (const auto& entry : fs::directory_iterator(m_dir)) {
    EXPECT_EQ(readers_test::SecondsOf(entry.path()), 0) << entry.path().filename();
  }
}

// Playlists name other files; FFmpeg's readers for them would open those and measure them.
TEST_F(NotMediaTest, PlaylistsGiveZeroWithoutOpeningWhatTheyName) {
  const std::string song = m_song.string();
  WriteText(m_dir / "list.m3u8",
            "#EXTM3U\n#EXT-X-TARGETDURATION:6\n#EXTINF:5.5,\n" + song + "\n#EXT-X-ENDLIST\n");
  WriteText(m_dir / "list.m3u", "#EXTM3U\n#EXTINF:5,Song\n" + song + "\n");
  WriteText(m_dir / "list.ffconcat", "ffconcat version 1.0\nfile '" + song + "'\n");
  WriteText(m_dir / "stream.sdp",
            "v=0\no=- 0 0 IN IP4 127.0.0.1\ns=Song\nc=IN IP4 127.0.0.1\nt=0 0\n"
            "m=audio 5004 RTP/AVP 14\n");

#ifndef _WIN32
  const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  ASSERT_GE(watch, 0);
  ASSERT_GE(::inotify_add_watch(watch, song.c_str(), IN_OPEN), 0);
#endif
  for (const auto& entry : fs::directory_iterator(m_dir)) {
    EXPECT_EQ(readers_test::SecondsOf(entry.path()), 0) << entry.path().filename();
  }
#ifndef _WIN32
  char event[4096];
  EXPECT_LT(::read(watch, event, sizeof event), 0) << "the playlisted song was opened";
  ::close(watch);
#endif
}

}  // namespace
