// Chained Ogg files: files made by ffmpeg and put one after another with `cat` give the sum of
// their parts, and files built page by page with hostile contents give a sane answer or none,
// without ever reading more than the budget.
#include "readers/ogg_chains.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "io/file.h"
#include "tests/readers/media_fixtures.h"
#include "tests/readers/memory_source.h"

namespace {

namespace fs = std::filesystem;
using readers_test::Fixtures;
using readers_test::Picture;
using readers_test::Tone;

std::string Contents(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct Part {
  std::string name;
  std::string arguments;
  double seconds;
};

// `parts` made by ffmpeg and put one after another; the first `keep` bytes of them when given.
fs::path Chained(const std::string& name, const std::vector<Part>& parts,
                 std::optional<std::size_t> keep = std::nullopt) {
  std::string bytes;
  for (const Part& part : parts) bytes += Contents(Fixtures::Get().Make(part.name, part.arguments));
  if (keep) bytes.resize(*keep);
  const fs::path path = Fixtures::Get().folder() / name;
  std::ofstream(path, std::ios::binary) << bytes;
  return path;
}

std::optional<std::int64_t> MicrosOf(const fs::path& path) {
  const auto file = io::File::Open(path);
  if (!file) return std::nullopt;
  return readers::ChainedOggMicros(*file, 0);
}

using readers_test::BytesRead;

const Part kVorbis{"a.ogg", Tone(3.25) + " -c:a libvorbis", 3.25};
const Part kVorbis22k{"b.ogg", Tone(4.25) + " -c:a libvorbis -ar 22050", 4.25};
const Part kOpus{"a.opus", Tone(2.5) + " -c:a libopus", 2.5};
const Part kFlac{"a.oga", Tone(1.5) + " -c:a flac", 1.5};
// ffmpeg's Speex encoder ends the granule positions 143 samples (9 ms) short of the signal.
const Part kSpeex{"a.spx", Tone(2.5) + " -c:a libspeex -ar 16000", 2.491};
// 113 frames at 25 a second.
const Part kFilm{"film.ogv", Picture(4.5) + " " + Tone(4.5) + " -c:v libtheora -c:a libvorbis",
                 4.52};
// A recording that joined a stream 100 s into it, as recorders of internet radio do.
const Part kLateOpus{"late.opus", Tone(3.25) + " -c:a libopus -output_ts_offset 100", 3.25};

// A recorder's file of 20 songs: copies of one, each with serial numbers of its own.
std::vector<Part> Recording() {
  const Part song{"song.ogg", Tone(30.5) + " -c:a libvorbis", 30.5};
  const std::string made = readers_test::ToolPath(Fixtures::Get().Make(song.name, song.arguments));
  std::vector<Part> songs;
  for (int i = 0; i < 20; ++i) {
    songs.push_back({"song" + std::to_string(i) + ".ogg", "-i '" + made + "' -c copy", 30.5});
  }
  return songs;
}

TEST(ChainedOgg, ChainsMadeByCatGiveTheSumOfTheirParts) {
  struct Case {
    const char* name;
    std::vector<Part> parts;
  };
  const Case cases[] = {
      {"vorbis-vorbis.ogg", {kVorbis, kVorbis22k}},
      {"opus-vorbis.ogg", {kOpus, kVorbis}},
      {"three.ogg", {kFlac, kSpeex, kVorbis22k}},
      {"film-sound.ogv", {kFilm, kVorbis}},
      {"sound-film-sound.ogg", {kOpus, kFilm, kFlac}},
      {"joined-late.ogg", {kLateOpus, kVorbis}},
      {"recording.ogg", Recording()},
      // A file of one chain is one chain like any other.
      {"one-vorbis.ogg", {kVorbis}},
      {"one-opus.ogg", {kOpus}},
      {"one-film.ogv", {kFilm}},
      {"one-late.opus", {kLateOpus}},
  };
  for (const Case& c : cases) {
    double seconds = 0;
    for (const Part& part : c.parts) seconds += part.seconds;
    const auto micros = MicrosOf(Chained(c.name, c.parts));
    ASSERT_TRUE(micros) << c.name;
    EXPECT_NEAR(static_cast<double>(*micros) / 1e6, seconds, 0.002) << c.name;
  }
}

TEST(ChainedOgg, OtherFormatsAreLeftToTheDemuxer) {
  EXPECT_EQ(MicrosOf(Fixtures::Get().Make("tone.mka", Tone(2.5) + " -c:a libvorbis")),
            std::nullopt);
}

// The cut falls half way into the last chain's 20.5 s; a Vorbis tone runs at an even rate.
TEST(ChainedOgg, LastChainCutShortCountsToItsLastCompletePage) {
  const Part whole{"long.ogg", Tone(20.5) + " -c:a libvorbis", 20.5};
  const std::size_t first = fs::file_size(Fixtures::Get().Make(kVorbis.name, kVorbis.arguments));
  const std::size_t second = fs::file_size(Fixtures::Get().Make(whole.name, whole.arguments));
  const auto micros = MicrosOf(Chained("cut.ogg", {kVorbis, whole}, first + second / 2));
  ASSERT_TRUE(micros);
  EXPECT_GT(*micros, 12'250'000);
  EXPECT_LT(*micros, 14'250'000);
}

// Noise does not compress: 2 channels of 96 kHz FLAC take about 550 kB a second.
TEST(ChainedOgg, ReadsLittleOfALargeFile) {
  const std::string noise = "-f lavfi -i anoisesrc=r=96000:a=0.5:d=";
  const Part first{"noise-a.oga",
                   noise + "25.5 " + noise + "25.5:seed=7 -filter_complex amerge -c:a flac", 25.5};
  const Part middle{"middle.opus", Tone(10.5) + " -c:a libopus -b:a 256k", 10.5};
  const Part last{"noise-b.oga",
                  noise + "26.5 " + noise + "26.5:seed=9 -filter_complex amerge -c:a flac", 26.5};
  const fs::path path = Chained("large.ogg", {first, middle, last});
  ASSERT_GT(fs::file_size(path), std::uintmax_t{25} << 20);

  const std::int64_t before = BytesRead();
  const auto micros = MicrosOf(path);
  const std::int64_t read = BytesRead() - before;
  ASSERT_TRUE(micros);
  EXPECT_NEAR(static_cast<double>(*micros) / 1e6, 62.5, 0.002);
  EXPECT_LT(read, readers::kOggChainReadBudget);
  std::cout << "read " << read << " bytes of the " << fs::file_size(path)
            << "-byte file of three chains\n";
}

// Ogg pages built here, to give the reader what no encoder writes.
std::string LittleEndian(std::uint64_t value, int width) {
  std::string bytes;
  for (int i = 0; i < width; ++i) bytes += static_cast<char>(i < 8 ? value >> (8 * i) : 0);
  return bytes;
}

// A page of `packets`; the last one goes on in the next page when `open`.
std::string Page(std::uint32_t serial, int flags, std::int64_t granule,
                 const std::vector<std::string>& packets, bool open = false) {
  std::string lacing;
  std::string body;
  for (const std::string& packet : packets) {
    lacing.append(packet.size() / 255, '\xFF');
    if (!open || &packet != &packets.back()) lacing += static_cast<char>(packet.size() % 255);
    body += packet;
  }
  std::string page = "OggS" + std::string(1, '\0') + static_cast<char>(flags) +
                     LittleEndian(static_cast<std::uint64_t>(granule), 8) +
                     LittleEndian(serial, 4) + LittleEndian(0, 4) + LittleEndian(0, 4) +
                     static_cast<char>(lacing.size()) + lacing + body;
  const std::string crc = LittleEndian(readers_test::OggPageCrc(page), 4);
  page.replace(22, 4, crc);
  return page;
}

// A Vorbis chain of `samples` of a mono signal at `rate`: 4 KB pages of 16 packets of 1024 samples,
// each packet starting with `prefix`. The last page states `last_granule` when it is given.
std::string VorbisChain(std::uint32_t serial, std::uint32_t rate, std::int64_t samples,
                        const std::string& prefix = "", std::int64_t last_granule = -1,
                        std::size_t comment_bytes = 16) {
  std::mt19937 random(serial);
  const std::string id = "\x01vorbis" + LittleEndian(0, 4) + '\x01' + LittleEndian(rate, 4) +
                         LittleEndian(0, 12) + '\xB8' + '\x01';
  std::string chain = Page(serial, 2, 0, {id});
  // The comment packet, over as many pages as it takes.
  std::string comment(comment_bytes, 'c');
  for (std::size_t at = 0; at < comment.size(); at += 255 * 200) {
    const std::string part = comment.substr(at, 255 * 200);
    const bool open = at + part.size() < comment.size();
    chain += Page(serial, at > 0 ? 1 : 0, open ? -1 : 0, {part}, open);
  }
  chain += Page(serial, 0, 0, {"\x05vorbis setup"});
  for (std::int64_t done = 0; done < samples;) {
    std::vector<std::string> packets;
    for (int i = 0; i < 16 && done < samples; ++i, done += 1024) {
      std::string packet = prefix;
      while (packet.size() < 250) packet += static_cast<char>(random());
      packets.push_back(packet);
    }
    const bool last = done >= samples;
    const std::int64_t granule = last ? (last_granule >= 0 ? last_granule : samples) : done;
    chain += Page(serial, last ? 4 : 0, granule, packets);
  }
  return chain;
}

std::string Noise(std::size_t bytes) {
  std::mt19937 random(7);
  std::string noise(bytes, '\0');
  for (char& c : noise) c = static_cast<char>(random());
  return noise;
}

TEST(ChainedOgg, HostileFilesGiveASaneAnswerWithinTheBudget) {
  // Page headers inside packet data, of both chains' streams with absurd granule positions: two
  // whose checksums the window holds, one too large for it.
  const std::string fake_page =
      Page(1, 0, std::int64_t{1} << 40, {std::string(30, 'x')}).substr(0, 28) +
      Page(2, 0, std::int64_t{1} << 40, {std::string(30, 'x')}).substr(0, 28) +
      Page(98, 2, 5, {std::string(60'000, 'x')}).substr(0, 263);
  const std::int64_t three_s = 3 * 44100;
  const std::int64_t four_s = 4 * 48000 + 24000;
  std::string many_chains;
  for (std::uint32_t serial = 1; serial <= 300; ++serial) {
    many_chains += VorbisChain(serial, 44100, 1024);
  }
  const std::string three_chains =
      VorbisChain(1, 44100, three_s) + VorbisChain(2, 48000, four_s) + VorbisChain(3, 8000, 8000);
  std::string lost_start = VorbisChain(1, 44100, three_s);
  std::string second = VorbisChain(2, 48000, four_s);
  lost_start += second.substr(second.find("OggS", 4));

  struct Case {
    const char* name;
    std::string data;
    std::optional<std::int64_t> micros;
  };
  const Case cases[] = {
      {"two chains", VorbisChain(1, 44100, three_s) + VorbisChain(2, 48000, four_s), 7'500'000},
      {"three chains", three_chains, 8'500'000},
      {"pages inside packets",
       VorbisChain(1, 44100, three_s, fake_page) + VorbisChain(2, 48000, four_s, fake_page),
       7'500'000},
      {"comment of 3 MB",
       VorbisChain(1, 44100, three_s, "", -1, 3'000'000) + VorbisChain(2, 48000, four_s),
       7'500'000},
      {"headers only", VorbisChain(1, 44100, 0) + VorbisChain(2, 48000, 0), 0},
      // A last page whose granule position its packets cannot reach: the page before it counts,
      // 8 pages of 16 packets of 1024 samples.
      {"absurd granule",
       VorbisChain(1, 44100, three_s, "", std::int64_t{1} << 62) + VorbisChain(2, 48000, four_s),
       std::int64_t{131072} * 1'000'000 / 44100 + 4'500'000},
      {"granule falling to 0",
       VorbisChain(1, 44100, three_s, "", 0) + VorbisChain(2, 48000, four_s),
       std::int64_t{131072} * 1'000'000 / 44100 + 4'500'000},
      {"chain without its first pages", lost_start, std::nullopt},
      {"noise between chains",
       VorbisChain(1, 44100, three_s) + Noise(100'000) + VorbisChain(2, 48000, four_s),
       std::nullopt},
      {"300 chains", many_chains, std::nullopt},
      {"one chain", VorbisChain(1, 44100, three_s), 3'000'000},
      {"noise", Noise(200'000), std::nullopt},
      {"empty", "", std::nullopt},
  };
  for (const Case& c : cases) {
    const readers_test::MemorySource data(c.data, "chained.ogg");
    EXPECT_EQ(readers::ChainedOggMicros(data, 0), c.micros) << c.name;
    EXPECT_LE(data.Requested(), readers::kOggChainReadBudget) << c.name;
  }
}

}  // namespace
