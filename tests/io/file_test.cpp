// The one way a dropped file is opened: a regular file only, never waiting on a pipe, whatever its
// name or length, and on Windows whoever else holds it open; then read at offsets.
#include "io/file.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <array>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <future>
#include <optional>
#include <string>

namespace {

namespace fs = std::filesystem;

class FileTest : public testing::Test {
 protected:
  void SetUp() override {
    m_dir = fs::temp_directory_path() /
            ("tallimo-io-" +
             std::string(testing::UnitTest::GetInstance()->current_test_info()->name()) + "-" +
             std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    fs::remove_all(m_dir);
    fs::create_directories(m_dir);
  }
  void TearDown() override { fs::remove_all(m_dir); }

  fs::path Write(const fs::path& name, const std::string& bytes) const {
    std::ofstream(m_dir / name, std::ios::binary) << bytes;
    return m_dir / name;
  }

  // Opens apart, so that an open that blocks fails the test instead of hanging it.
  static std::optional<io::File> OpenWithoutHanging(const fs::path& path) {
    auto opened = std::async(std::launch::async, [path] { return io::File::Open(path); });
    if (opened.wait_for(std::chrono::seconds(30)) == std::future_status::timeout) {
#ifndef _WIN32
      // A reader stuck in open is released by a writer coming and going.
      ::close(::open(path.c_str(), O_WRONLY | O_NONBLOCK));
#endif
      ADD_FAILURE() << "blocked on " << path;
    }
    return opened.get();
  }

  fs::path m_dir;
};

TEST_F(FileTest, ReadsAtOffsetsAndKnowsItsSizeAndName) {
  const auto file = io::File::Open(Write("a.mp3", "0123456789"));
  ASSERT_TRUE(file);
  EXPECT_EQ(file->Size(), 10);
  EXPECT_EQ(file->Name(), "a.mp3");
  std::array<std::uint8_t, 4> bytes{};
  EXPECT_EQ(file->ReadAt(7, bytes), 3) << "fewer at the end";
  EXPECT_EQ(bytes[0], '7');
  EXPECT_EQ(file->ReadAt(2, bytes), 4);
  EXPECT_EQ(bytes[3], '5');
  EXPECT_EQ(file->ReadAt(10, bytes), 0);
}

// Names in any script (the characters of "テスト🎵" lie outside every ANSI code page together),
// and paths past Windows' old limit of 260 characters, which a drop can carry.
TEST_F(FileTest, OpensAnyNameAndPathsPastTheOldWindowsLimit) {
  fs::path deep = m_dir;
  for (const char part : {'a', 'b', 'c', 'd', 'e'}) deep /= std::string(60, part);
  fs::create_directories(deep);
  const fs::path paths[] = {m_dir / fs::path(u8"\u30c6\u30b9\u30c8\U0001F3B5.wav"),
                            m_dir / fs::path(u8"\u00e9t\u00e9.wav"), deep / "long.wav"};
  for (const fs::path& path : paths) {
    std::ofstream(path, std::ios::binary) << "RIFF";
    const auto file = io::File::Open(path);
    ASSERT_TRUE(file) << path;
    EXPECT_EQ(file->Size(), 4) << path;
  }
  // remove_all walks long paths no better than plain opens do on Windows: one step at a time.
  fs::remove(deep / "long.wav");
  for (; deep != m_dir; deep = deep.parent_path()) fs::remove(deep);
}

TEST_F(FileTest, RefusesWhatIsNotARegularFileWithoutWaiting) {
  fs::create_directories(m_dir / "album.mp3");
  std::vector<fs::path> refused = {m_dir / "album.mp3", m_dir / "missing.mp3"};
#ifdef _WIN32
  // Windows' counterparts of a FIFO: a named pipe that nobody writes to, and devices.
  const wchar_t* pipeName = LR"(\\.\pipe\tallimo-stream.mp3)";
  const HANDLE pipe =
      ::CreateNamedPipeW(pipeName, PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE, 1, 4096, 4096, 0, nullptr);
  ASSERT_NE(pipe, INVALID_HANDLE_VALUE);
  refused.insert(refused.end(), {fs::path(pipeName), fs::path(LR"(\\.\NUL)"), fs::path(L"CON")});
#else
  ASSERT_EQ(::mkfifo((m_dir / "stream.mp3").c_str(), 0600), 0);
  refused.push_back(m_dir / "stream.mp3");
  refused.push_back("/dev/null");
  if (::geteuid() != 0) {  // permissions do not bind root
    const fs::path locked = Write("locked.mp3", "ID3");
    fs::permissions(locked, fs::perms::none);
    refused.push_back(locked);
  }
#endif
  for (const fs::path& path : refused) EXPECT_FALSE(OpenWithoutHanging(path)) << path;
#ifdef _WIN32
  ::CloseHandle(pipe);
#endif
}

// Whatever feeds a pipe named like a media file meant its bytes for someone else.
TEST_F(FileTest, LeavesDataInAPipeUnread) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows has no FIFOs among file names";
#else
  const fs::path path = m_dir / "x.wav";
  ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
  const int bothEnds = ::open(path.c_str(), O_RDWR | O_NONBLOCK);  // both ends, so the bytes stay
  ASSERT_GE(bothEnds, 0);
  const std::string bytes = "RIFF....WAVEfmt ";
  ASSERT_EQ(::write(bothEnds, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  EXPECT_FALSE(io::File::Open(path));
  std::string left(bytes.size() + 1, '\0');
  EXPECT_EQ(::read(bothEnds, left.data(), left.size()), static_cast<ssize_t>(bytes.size()));
  ::close(bothEnds);
#endif
}

#ifdef _WIN32

// How other programs hold a file open while it is dropped: a recorder still writing it, a player,
// an editor that keeps the right to rename or delete it. Opening it must neither fail nor get in
// their way.
TEST_F(FileTest, OpensFilesOtherProgramsHoldOpen) {
  struct Holder {
    const char* who;
    DWORD access;
    DWORD share;
  };
  const Holder holders[] = {
      {"recorder writing", GENERIC_WRITE, FILE_SHARE_READ},
      {"player reading", GENERIC_READ, FILE_SHARE_READ},
      {"editor that may rename", GENERIC_READ | DELETE,
       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE},
      {"writer that lets others rename", GENERIC_WRITE,
       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE},
  };
  const fs::path path = Write("held.wav", "RIFF");
  for (const Holder& holder : holders) {
    HANDLE held = ::CreateFileW(path.c_str(), holder.access, holder.share, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE) << holder.who;
    const auto file = io::File::Open(path);
    ASSERT_TRUE(file) << holder.who;
    EXPECT_EQ(file->Size(), 4) << holder.who;
    ::CloseHandle(held);
  }
}

#endif

}  // namespace
