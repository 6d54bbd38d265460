// The measuring process seen from the window's side: the test build of tallimo-measure, whose
// readers crash, hog memory, hang or try what the lock-down forbids on files named for them, and
// whose starts can be scripted to fail, measures drops through the real session. A misbehaving
// file costs its own length only; a process that dies is replaced; this process, standing for the
// window's, goes on.
#include "drops/measuring_process.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "drops/drop_session.h"
#include "measure/protocol.h"
#include "tests/wave/wave_writer.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

namespace fs = std::filesystem;
using drops::MeasuringProcess;

constexpr auto kPatience = std::chrono::seconds(60);
// Long enough for a file on a machine busy with a whole test run, short enough for the hang.
constexpr auto kFileLimit = std::chrono::seconds(3);

// Wine has job objects but does not enforce a job's memory limit: a reader that hogs memory would
// take the machine's, so that case is left to real Windows.
bool OnWine() {
#ifdef _WIN32
  const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
  return ntdll && ::GetProcAddress(ntdll, "wine_get_version");
#else
  return false;
#endif
}

class MeasuringProcessTest : public testing::Test {
 protected:
  MeasuringProcessTest() {
    fs::create_directories(m_dir);
    std::ofstream(Path("secret.txt")) << "not handed over";
#ifdef _WIN32
    ::SetEnvironmentVariableW(L"TALLIMO_MEASURE_PROBE", Path("secret.txt").c_str());
#else
    ::setenv("TALLIMO_MEASURE_PROBE", Path("secret.txt").c_str(), 1);
#endif
  }
  ~MeasuringProcessTest() override { fs::remove_all(m_dir); }

  fs::path Path(const std::string& name) const { return m_dir / name; }

  // An 8-bit mono WAV file at 1 Hz: each byte of sound is a second.
  fs::path Wave(const std::string& name, int seconds) const {
    wave_test::WriteWave(Path(name), wave_test::Header({wave_test::Fmt(1, 1, 8)}, seconds),
                         seconds);
    return Path(name);
  }
  fs::path Other(const std::string& name) const {
    std::ofstream(Path(name)) << "whatever the reader makes of it";
    return Path(name);
  }

  // Hands everything on to the process, which outlives it, and notes the lengths it gives.
  class Recording final : public drops::Measurer {
   public:
    Recording(MeasuringProcess& process, std::vector<drops::Measurement>& measured)
        : m_process(process), m_measured(measured) {}
    void Prepare() override { m_process.Prepare(); }
    drops::Measurement Measure(const fs::path& file, std::span<const fs::path> ahead) override {
      return m_measured.emplace_back(m_process.Measure(file, ahead));
    }
    void Finish() override { m_process.Finish(); }
    void Interrupt() override { m_process.Interrupt(); }

   private:
    MeasuringProcess& m_process;
    std::vector<drops::Measurement>& m_measured;
  };

  // One drop through a session, as the window makes it; what became of each file, in order.
  static std::vector<drops::Measurement> MeasureDrop(MeasuringProcess& process,
                                                     std::vector<fs::path> files) {
    std::mutex mutex;
    std::condition_variable woken;
    bool news = false;
    std::vector<drops::Measurement> seconds;
    drops::DropSession session(
        [&] {
          const std::lock_guard lock(mutex);
          news = true;
          woken.notify_all();
        },
        std::make_unique<Recording>(process, seconds));
    session.Drop(std::move(files));
    for (;;) {
      if (!session.Collect().landed.empty()) return seconds;
      std::unique_lock lock(mutex);
      if (!woken.wait_for(lock, kPatience, [&] { return news; })) return {};
      news = false;
    }
  }

  const fs::path m_dir =
      fs::temp_directory_path() /
      ("tallimo-measuring-process-" +
       std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
};

struct Misbehaving {
  const char* name;
  bool onWine;  // whether Wine can show it
};

using Lengths = std::vector<drops::Measurement>;
constexpr drops::Measurement kUnmeasured{};

// Each misbehaving file sits between honest ones, whose lengths all arrive; the misbehaving one,
// tried twice, is not measured.
TEST_F(MeasuringProcessTest, AMisbehavingReaderCostsItsOwnFileOnly) {
  const Misbehaving cases[] = {
      {"crash.mp3", true},
      {"hog.mp3", false},
      {"hang.mp3", true},
#ifndef _WIN32
      // 100: it could neither open a file it was not handed, nor make a socket, nor fork.
      {"probe.mp3", true},
#endif
  };
  MeasuringProcess process(TALLIMO_MEASURE_TEST_PROGRAM, kFileLimit);
  std::vector<fs::path> files{Wave("first.wav", 3)};
  Lengths expected{{3}};
  for (const Misbehaving& c : cases) {
    if (OnWine() && !c.onWine) continue;
    files.push_back(Other(c.name));
    expected.push_back(std::string(c.name).starts_with("probe") ? drops::Measurement{100}
                                                                : kUnmeasured);
    const int seconds = static_cast<int>(files.size());
    files.push_back(Wave("after-" + std::string(c.name) + ".wav", seconds));
    expected.push_back({seconds});
  }
  EXPECT_EQ(MeasureDrop(process, files), expected);
  // The process is started afresh for the next drop.
  EXPECT_EQ(MeasureDrop(process, {Wave("next.wav", 9), Other("crash.ogg"), Wave("last.wav", 4)}),
            (Lengths{{9}, kUnmeasured, {4}}));
}

// Processes that die before they greet, or are killed in the middle of a file, are replaced, as
// often as the drop needs; only a program that never greets, or cannot be started at all, leaves
// the files unmeasured, and says so.
TEST_F(MeasuringProcessTest, ProcessesThatDieAreReplacedAndFilesTriedAgain) {
  struct Case {
    const char* name;
    const char* starts;  // one word a start of the test program; see measure/test_readers.h
    Lengths lengths;     // of a.wav (3 s) and b.wav (4 s)
  };
  constexpr drops::Measurement kNoProgram{.seconds = std::nullopt, .noProgram = true};
  const Case cases[] = {
      {"DiesBeforeGreetingTwice", "quit quit", {{3}, {4}}},
      {"NeverGreets", "quit quit quit", {kNoProgram, kNoProgram}},
      {"KilledOnAFileOnce", "crash", {{3}, {4}}},
      {"KilledOnAFileTwice", "crash crash", {kUnmeasured, {4}}},
      {"KilledOnAFileThenDiesBeforeGreeting", "crash quit", {{3}, {4}}},
  };
  const fs::path script = Path("starts");
#ifdef _WIN32
  ::SetEnvironmentVariableW(L"TALLIMO_MEASURE_TEST_STARTS", script.c_str());
#else
  ::setenv("TALLIMO_MEASURE_TEST_STARTS", script.c_str(), 1);
#endif
  const fs::path a = Wave("a.wav", 3);
  const fs::path b = Wave("b.wav", 4);
  for (const Case& c : cases) {
    std::ofstream(script) << c.starts;
    MeasuringProcess process(TALLIMO_MEASURE_TEST_PROGRAM, kFileLimit);
    EXPECT_EQ(MeasureDrop(process, {a, b}), c.lengths) << c.name;
  }
#ifdef _WIN32
  ::SetEnvironmentVariableW(L"TALLIMO_MEASURE_TEST_STARTS", nullptr);
#else
  ::unsetenv("TALLIMO_MEASURE_TEST_STARTS");
#endif
}

TEST_F(MeasuringProcessTest, WithoutItsProgramEveryFileIsUnmeasuredAndNothingBreaks) {
  constexpr drops::Measurement kNoProgram{.seconds = std::nullopt, .noProgram = true};
  MeasuringProcess missing(Path("no-such-program"), kFileLimit);
  EXPECT_EQ(MeasureDrop(missing, {Wave("a.wav", 3), Wave("b.wav", 4), Path("gone.wav")}),
            (Lengths{kNoProgram, kNoProgram, kUnmeasured}))
      << "a file that cannot be opened is not handed over at all";
  // A file that is there but is no program.
  MeasuringProcess wrong(Other("not-a-program"), kFileLimit);
  EXPECT_EQ(MeasureDrop(wrong, {Wave("c.wav", 3)}), Lengths{kNoProgram});
}

// Cancelling a drop or closing the window must not wait for the file's time limit.
TEST_F(MeasuringProcessTest, InterruptEndsAHangingFileAtOnce) {
  MeasuringProcess process(TALLIMO_MEASURE_TEST_PROGRAM, std::chrono::hours(1));
  const fs::path hang = Other("hang.flac");
  auto measured = std::async(std::launch::async, [&] { return process.Measure(hang, {}); });
  const auto giveUp = std::chrono::steady_clock::now() + kPatience;
  // An interrupt before the process has started is forgotten by the start; so keep at it.
  while (measured.wait_for(std::chrono::milliseconds(20)) != std::future_status::ready &&
         std::chrono::steady_clock::now() < giveUp) {
    process.Interrupt();
  }
  ASSERT_EQ(measured.wait_for(std::chrono::seconds(0)), std::future_status::ready);
  EXPECT_EQ(measured.get(), kUnmeasured);
  EXPECT_EQ(process.Measure(Wave("then.wav", 5), {}), drops::Measurement{5})
      << "the next file starts a new process";
}

#ifndef _WIN32
// Started from a terminal, the measuring process must not read what the user types, nor reach
// anything else the window holds: it has the null device, its channel and the file it is handed.
TEST_F(MeasuringProcessTest, HoldsNothingButItsChannelAndItsFiles) {
  const int leaked = ::open(Path("secret.txt").c_str(), O_RDONLY);  // inheritable on purpose
  ASSERT_GE(leaked, 0);
  MeasuringProcess process(TALLIMO_MEASURE_TEST_PROGRAM, std::chrono::hours(1));
  const fs::path hang = Other("hang.mp3");
  auto measured = std::async(std::launch::async, [&] { return process.Measure(hang, {}); });
  // The child reading the file: what each of its descriptors leads to.
  std::map<int, std::string> held;
  const auto giveUp = std::chrono::steady_clock::now() + kPatience;
  while (std::chrono::steady_clock::now() < giveUp &&
         std::ranges::none_of(held, [&](const auto& fd) { return fd.second == hang.string(); })) {
    held.clear();
    for (const auto& entry : fs::directory_iterator("/proc")) {
      std::ifstream stat(entry.path() / "stat");
      std::string pid, name, state;
      int parent = 0;
      if (!(stat >> pid >> name >> state >> parent) || parent != ::getpid()) continue;
      std::error_code error;
      for (const auto& fd : fs::directory_iterator(entry.path() / "fd", error)) {
        held[std::stoi(fd.path().filename().string())] = fs::read_symlink(fd.path(), error);
      }
    }
  }
  process.Interrupt();
  measured.get();
  ::close(leaked);
  ASSERT_FALSE(held.empty()) << "no measuring process found";
  for (const auto& [fd, target] : held) {
    if (fd <= 2) {
      EXPECT_EQ(target, "/dev/null") << fd;
    } else if (fd == measure::kChannelFd) {
      EXPECT_TRUE(target.starts_with("socket:")) << target;
    } else {
      EXPECT_EQ(target, hang.string()) << fd;
    }
  }
}
#endif

// Either side may be the one that went wrong: nothing is read by a length it does not accept.
TEST(MeasureProtocolTest, RefusesMessagesItDoesNotAccept) {
  namespace protocol = measure;
  const std::string longName(3000, 'x');
  const std::string request = protocol::EncodeRequest(7, longName + ".mp3");
  ASSERT_EQ(request.size(), protocol::kRequestHeadBytes + protocol::kMaxNameBytes);
  EXPECT_TRUE(request.ends_with(".mp3")) << "a long name keeps its extension";
  std::array<std::uint8_t, protocol::kRequestHeadBytes> head{};
  std::copy_n(request.begin(), head.size(), head.begin());
  ASSERT_TRUE(protocol::DecodeRequestHead(head));
  EXPECT_EQ(protocol::DecodeRequestHead(head)->handle, 7u);
  head[5] = 0x10;  // a name of over a megabyte
  EXPECT_FALSE(protocol::DecodeRequestHead(head));

  auto reply = protocol::EncodeReply(61);
  EXPECT_EQ(protocol::DecodeReply(reply), 61);
  reply[15] = 0x80;  // negative
  EXPECT_FALSE(protocol::DecodeReply(reply));
  reply = protocol::EncodeReply(61);
  reply[0] ^= 1;
  EXPECT_FALSE(protocol::DecodeReply(reply));
  auto hello = protocol::EncodeHello();
  EXPECT_TRUE(protocol::IsHello(hello));
  hello[4] ^= 1;  // another version
  EXPECT_FALSE(protocol::IsHello(hello));
}

}  // namespace
