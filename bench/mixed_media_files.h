// The 1,000 mixed audio and video files that the media benchmarks measure, made with the ffmpeg
// tool: an MP3 whose ID3v2 tag holds a cover picture of over a megabyte, FLAC, AAC in M4A, and
// 1080p H.264 video in MP4, 250 copies each, so that every file is read from a file of its own.
// The same files on Linux and under Wine, so that the figures compare. The command line's
// benchmark takes 2,500 of each, as hard links: each file opened under a name of its own, the
// 10 GB that copies would take read from four files in the page cache.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/readers/fixture_tools.h"

namespace media_bench {

namespace fs = std::filesystem;

constexpr int kCopies = 250;

struct Kind {
  const char* name;
  const char* arguments;
  std::int64_t seconds;
};

inline constexpr Kind kKinds[] = {
    {"song.mp3",
     "-f lavfi -i sine=frequency=440:duration=10.5 "
     "-f lavfi -i 'nullsrc=size=900x900:duration=0.04,geq=lum=random(1)*255:cb=128:cr=128' "
     "-map 0 -map 1 -frames:v 1 -c:a libmp3lame -b:a 192k -c:v png -disposition:v attached_pic",
     10},
    {"song.flac", "-f lavfi -i sine=frequency=440:duration=10.5", 10},
    {"song.m4a", "-f lavfi -i sine=frequency=440:duration=10.5 -c:a aac -b:a 160k", 10},
    {"clip.mp4",
     "-f lavfi -i testsrc2=size=1920x1080:rate=25:duration=4.5 "
     "-f lavfi -i sine=frequency=440:duration=4.5 "
     "-c:v libx264 -preset ultrafast -b:v 2M -c:a aac",
     4},
};

// The files, alone in a folder of their own, removed at exit; empty when ffmpeg failed to make
// them.
class MixedFiles {
 public:
  explicit MixedFiles(int copies = kCopies, bool links = false)
      : m_dir(fs::temp_directory_path() /
              ("tallimo-bench-media-" + readers_test::ProcessId() + "-" + std::to_string(copies))) {
    fs::create_directories(m_dir / "made");
    for (const Kind& kind : kKinds) {
      const fs::path original = m_dir / "made" / kind.name;
      if (!readers_test::RunFfmpeg(kind.arguments, original) || !fs::exists(original)) {
        m_paths.clear();
        return;
      }
      for (int i = 0; i < copies; ++i) {
        const fs::path copy = m_dir / "files" / (std::to_string(i) + "-" + kind.name);
        fs::create_directories(copy.parent_path());
        if (links) {
          fs::create_hard_link(original, copy);
        } else {
          fs::copy_file(original, copy);
        }
        m_paths.push_back(copy);
        m_seconds.push_back(kind.seconds);
      }
    }
  }
  ~MixedFiles() { fs::remove_all(m_dir); }

  // The folder that holds the files and nothing else.
  fs::path folder() const { return m_dir / "files"; }
  const std::vector<fs::path>& paths() const { return m_paths; }
  const std::vector<std::int64_t>& seconds() const { return m_seconds; }

 private:
  fs::path m_dir;
  std::vector<fs::path> m_paths;
  std::vector<std::int64_t> m_seconds;
};

}  // namespace media_bench
