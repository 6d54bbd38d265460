// The drop session, written once for both shells and tested here without a window: the lines a
// drop adds, drops back in order, folders turned into their files, cancelling, closing in the
// middle of a drop, progress, wake-ups that never pile up, and what the measurer is told. The
// shells' suites keep only what is their own (the edit, the cursor, the progress window).
#include "drops/drop_session.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <future>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "drops/measuring_process.h"
#include "tests/drops/test_measurers.h"
#include "tests/readers/module_writer.h"
#include "tests/wave/wave_writer.h"

namespace {

namespace fs = std::filesystem;
using drops::DropSession;
using drops_test::Gate;
using drops_test::MeasureBy;
using Lines = std::vector<std::u16string>;
using Paths = std::vector<fs::path>;

// Generous guards against a hang; no test depends on how long anything takes.
constexpr auto kPatience = std::chrono::seconds(20);

// Stands in for the window's thread: counts wake-ups and lets a test wait for the next one.
class Inbox {
 public:
  void Wake() {
    const std::lock_guard lock(m_mutex);
    ++m_wakes;
    m_changed.notify_all();
  }
  int Wakes() {
    const std::lock_guard lock(m_mutex);
    return m_wakes;
  }
  bool WaitForMoreThan(int wakes) {
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, kPatience, [&] { return m_wakes > wakes; });
  }

 private:
  std::mutex m_mutex;
  std::condition_variable m_changed;
  int m_wakes = 0;
};

// Collects, as the window would on each wake-up, until no drop is left; counts the calls.
std::vector<Lines> CollectAll(DropSession& session, Inbox& inbox, int* collects = nullptr) {
  std::vector<Lines> all;
  for (;;) {
    const int wakes = inbox.Wakes();
    DropSession::News news = session.Collect();
    if (collects) ++*collects;
    for (auto& lines : news.landed) all.push_back(std::move(lines));
    if (!session.Busy()) return all;
    if (!inbox.WaitForMoreThan(wakes)) {
      ADD_FAILURE() << "the worker went quiet with a drop still waiting";
      return all;
    }
  }
}

// Every file lasts as many seconds as its name has bytes.
std::unique_ptr<drops::Measurer> LengthOfName() {
  return std::make_unique<MeasureBy>([](const fs::path& path) {
    return static_cast<std::int64_t>(path.filename().string().size());
  });
}

TEST(DropSessionTest, GivesEveryDropBackInOrderWithOneLinePerFile) {
  Inbox inbox;
  DropSession session([&] { inbox.Wake(); }, LengthOfName());
  session.Drop({"a", "/m/bbb", "cc"});
  session.Drop({});
  session.Drop({"/m/dddd"});
  EXPECT_TRUE(session.Busy());
  EXPECT_EQ(CollectAll(session, inbox),
            (std::vector<Lines>{
                {u"0:00.01[a]", u"0:00.03[bbb]", u"0:00.02[cc]"}, {}, {u"0:00.04[dddd]"}}));
  EXPECT_FALSE(session.Busy());
}

TEST(DropSessionTest, CancelForgetsTheDropBeingMeasuredAndTheWaitingOnes) {
  Inbox inbox;
  const auto gate = std::make_shared<Gate>(-1);
  DropSession session([&] { inbox.Wake(); }, gate->Measurer());
  session.Drop({"a1", "a2", "a3"});
  session.Drop({"b1"});
  ASSERT_TRUE(gate->WaitUntilAsked(1, kPatience));
  session.Cancel();
  EXPECT_FALSE(session.Busy());
  EXPECT_TRUE(session.Collect().landed.empty());

  gate->Open();
  session.Drop({"c1"});
  EXPECT_EQ(CollectAll(session, inbox), (std::vector<Lines>{{u"0:00.02[c1]"}}))
      << "nothing of the cancelled drops may arrive";
  EXPECT_EQ(gate->Asked(), (std::vector<std::string>{"a1", "c1"}))
      << "measuring stops at the next file";
}

TEST(DropSessionTest, ClosingInTheMiddleOfADropStopsAtTheNextFile) {
  const auto gate = std::make_shared<Gate>(-1);
  auto session = std::make_unique<DropSession>([] {}, gate->Measurer());
  session->Drop(Paths(1000, "file"));
  ASSERT_TRUE(gate->WaitUntilAsked(1, kPatience));
  auto closing = std::async(std::launch::async, [&] { session.reset(); });
  // The file being read is finished, however long it takes; then the worker ends.
  EXPECT_EQ(closing.wait_for(std::chrono::milliseconds(50)), std::future_status::timeout);
  gate->Open();
  ASSERT_EQ(closing.wait_for(kPatience), std::future_status::ready);
  EXPECT_EQ(gate->Asked().size(), 1u);
}

TEST(DropSessionTest, CountsTheFilesOfEveryDropStillWaiting) {
  Inbox inbox;
  const auto gate = std::make_shared<Gate>(-1);
  DropSession session([&] { inbox.Wake(); }, gate->Measurer());
  session.Drop({"a", "b"});
  session.Drop({"c", "d", "e"});
  for (std::size_t done = 1; done <= 4; ++done) {
    const int wakes = inbox.Wakes();
    gate->Allow(1);
    ASSERT_TRUE(inbox.WaitForMoreThan(wakes));
    const DropSession::News news = session.Collect();
    EXPECT_TRUE(session.Busy());
    EXPECT_EQ(news.filesDone, done);
    EXPECT_EQ(news.filesTotal, 5u);
    EXPECT_EQ(news.landed.size(), done == 2 ? 1u : 0u) << "after file " << done;
  }
  gate->Allow(1);
  const auto rest = CollectAll(session, inbox);
  ASSERT_EQ(rest.size(), 1u);
  EXPECT_EQ(rest[0].size(), 3u);
  EXPECT_EQ(session.Collect().filesTotal, 0u) << "the count starts afresh with the next drop";
}

// Ten thousand files must not post ten thousand messages to the window: one wake-up stays
// outstanding until the window collects.
TEST(DropSessionTest, WakesTheWindowOnceUntilItCollects) {
  Inbox inbox;
  std::atomic<int> reads = 0;
  DropSession session([&] { inbox.Wake(); }, std::make_unique<MeasureBy>([&](const fs::path&) {
                        ++reads;
                        return std::int64_t{1};
                      }));
  session.Drop(Paths(10000, "f"));
  ASSERT_TRUE(inbox.WaitForMoreThan(0));
  int collects = 0;
  const auto landed = CollectAll(session, inbox, &collects);
  ASSERT_EQ(landed.size(), 1u);
  EXPECT_EQ(landed[0].size(), 10000u);
  EXPECT_EQ(reads.load(), 10000);
  EXPECT_LE(inbox.Wakes(), collects + 1);
}

// What the measurer is told besides the files: a prepare that no drop follows is finished again;
// within a drop each file is announced ahead of its turn, never past the drop's end.
TEST(DropSessionTest, TellsTheMeasurerWhatComesNextAndWhenItIsDone) {
  struct Log {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::string> entries;
    void Note(std::string what) {
      const std::lock_guard lock(mutex);
      entries.push_back(std::move(what));
      changed.notify_all();
    }
    std::vector<std::string> TakeOnceFinished() {
      std::unique_lock lock(mutex);
      changed.wait_for(lock, kPatience,
                       [&] { return std::count(entries.begin(), entries.end(), "finished") == 1; });
      return std::exchange(entries, {});
    }
  };
  class Logging final : public drops::Measurer {
   public:
    explicit Logging(Log& log) : m_log(log) {}
    void Prepare() override { m_log.Note("prepare"); }
    std::int64_t Measure(const fs::path& file, std::span<const fs::path> ahead) override {
      std::string names = "measure " + file.string();
      if (!ahead.empty()) names += " ahead";
      for (const auto& next : ahead) names.append(" ").append(next.string());
      m_log.Note(names);
      return 1;
    }
    void Finish() override { m_log.Note("finished"); }

   private:
    Log& m_log;
  };
  Log log;
  Inbox inbox;
  DropSession session([&] { inbox.Wake(); }, std::make_unique<Logging>(log),
                      std::chrono::milliseconds(10));
  session.Prepare();
  EXPECT_EQ(log.TakeOnceFinished(), (std::vector<std::string>{"prepare", "finished"}));
  Paths drop;
  for (char name = 'a'; name <= 'j'; ++name) drop.emplace_back(std::string(1, name));
  session.Drop(drop);
  EXPECT_EQ(CollectAll(session, inbox).size(), 1u);
  EXPECT_EQ(log.TakeOnceFinished(),
            (std::vector<std::string>{
                "measure a ahead b c d e f g h", "measure b ahead c d e f g h i",
                "measure c ahead d e f g h i j", "measure d ahead e f g h i j",
                "measure e ahead f g h i j", "measure f ahead g h i j", "measure g ahead h i j",
                "measure h ahead i j", "measure i ahead j", "measure j", "finished"}));
}

// A tree of the test's own, and the real tallimo-measure (its test build) measuring what is
// dropped from it, as the window has it measured.
class DroppedFilesTest : public testing::Test {
 protected:
  DroppedFilesTest() {
    m_dir = fs::temp_directory_path() /
            ("tallimo-session-" +
             std::string(testing::UnitTest::GetInstance()->current_test_info()->name()) + "-" +
             std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    fs::remove_all(m_dir);
    fs::create_directories(m_dir);
  }
  ~DroppedFilesTest() override { fs::remove_all(m_dir); }

  // An 8-bit mono WAV file at 1 Hz: each byte of sound is a second.
  fs::path Wave(const fs::path& name, int seconds) const {
    fs::create_directories((m_dir / name).parent_path());
    wave_test::WriteWave(m_dir / name, wave_test::Header({wave_test::Fmt(1, 1, 8)}, seconds),
                         seconds);
    return m_dir / name;
  }
  fs::path Other(const fs::path& name) const {
    fs::create_directories((m_dir / name).parent_path());
    std::ofstream(m_dir / name) << "x";
    return m_dir / name;
  }
  void Module(const fs::path& name, const std::string& bytes) const {
    fs::create_directories((m_dir / name).parent_path());
    readers_test::WriteModule(m_dir / name, bytes);
  }

  // The lines of one drop of `items`.
  static Lines Measure(Paths items) {
    Inbox inbox;
    DropSession session([&] { inbox.Wake(); },
                        std::make_unique<drops::MeasuringProcess>(TALLIMO_MEASURE_TEST_PROGRAM));
    session.Drop(std::move(items));
    const auto landed = CollectAll(session, inbox);
    return landed.size() == 1 ? landed[0] : Lines{u"(not one drop)"};
  }

  fs::path m_dir;
};

TEST_F(DroppedFilesTest, EachFileIsOneLineNamedAfterItsLastPart) {
  struct Case {
    const char* name;
    fs::path file;  // in the test's folder: a WAV file when its name ends in "wav"
    int seconds;    // -1: the file is missing
    std::u16string line;
  };
  const Case cases[] = {
      {"TenSecondWave", "a.wav", 10, u"0:00.10[a.wav]"},
      {"OtherFile", "b.txt", 0, u"0:00.00[b.txt]"},
      {"UpperCaseWave", "c.WAV", 65, u"0:01.05[c.WAV]"},
      {"DigitsInTheNameDoNotCount", "track 01.wav", 205, u"0:03.25[track 01.wav]"},
      {"EndsInWavWithoutPoint", "xwav", 7, u"0:00.07[xwav]"},
      {"NameInAnyScript", fs::path(u8"\u30c6\u30b9\u30c8\U0001F3B5.wav"), 5,
       u"0:00.05[\u30c6\u30b9\u30c8\U0001F3B5.wav]"},
      // Windows allows no control character in a name, but a drop may still carry one.
      {"ControlCharacterInTheName", "x\ty.wav", -1, u"0:00.00[x\uFFFDy.wav]"},
  };
  for (const Case& c : cases) {
    const std::u8string name = c.file.u8string();
    const fs::path path = c.seconds < 0 ? m_dir / c.file
                          : name.ends_with(u8"wav") || name.ends_with(u8"WAV")
                              ? Wave(c.file, c.seconds)
                              : Other(c.file);
    EXPECT_EQ(Measure({path}), Lines{c.line}) << c.name;
  }
}

TEST_F(DroppedFilesTest, ItemsThatCannotBeMeasuredStillAddAZeroLine) {
  fs::create_directories(m_dir / "folder.wav");
  Paths items = {m_dir / "folder.wav", m_dir / "vanished.wav", m_dir / ""};
  Lines lines = {u"0:00.00[folder.wav]", u"0:00.00[vanished.wav]",
                 u"0:00.00[" + m_dir.filename().u16string() + u"]"};
#ifdef _WIN32
  // A drive that is not there: the part after the last separator is empty.
  items.emplace_back(L"Q:\\");
  lines.emplace_back(u"0:00.00[]");
#endif
  EXPECT_EQ(Measure(items), lines)
      << "a folder without audio names itself, also when given with a trailing separator";
}

TEST_F(DroppedFilesTest, AFolderGivesItsFilesWithALengthLabelledFromItsName) {
  Wave("Album/CD1/01.wav", 6);
  Wave("Album/CD1/silence.wav", 0);
  Other("Album/CD1/cover.jpg");
  Wave("Album/02.wav", 7);
  // Tracker modules, read by libopenmpt inside the locked-down program: 7.68 s and 13.2 s.
  Module("Album/03 Title.mod",
         readers_test::ModBytes({.speed = 6, .tempo = 125, .rows = 64, .orders = 1}));
  Module("Album/CD1/02 Theme.XM",
         readers_test::XmBytes({.speed = 3, .tempo = 125, .rows = 110, .orders = 2, .loop = true}));
  Other("Docs/readme.txt");
  Wave("Quiet/silence.wav", 0);
  fs::create_directories(m_dir / "Empty");
  const std::u16string sep(1, static_cast<char16_t>(fs::path::preferred_separator));
  EXPECT_EQ(Measure({m_dir / "Album", Other("alone.txt"), m_dir / "Docs" / "", m_dir / "Quiet",
                     m_dir / "Empty"}),
            (Lines{u"0:00.07[Album" + sep + u"02.wav]", u"0:00.07[Album" + sep + u"03 Title.mod]",
                   u"0:00.06[Album" + sep + u"CD1" + sep + u"01.wav]",
                   u"0:00.13[Album" + sep + u"CD1" + sep + u"02 Theme.XM]",
                   // a file dropped on its own is listed whatever it holds
                   u"0:00.00[alone.txt]", u"0:00.00[Docs]", u"0:00.00[Quiet]", u"0:00.00[Empty]"}));
}

TEST_F(DroppedFilesTest, CountsTheFilesFoundAsTheFilesToMeasure) {
  for (int i = 0; i < 30; ++i) Other("Album/" + std::to_string(i) + ".mp3");
  Other("Album/cover.jpg");
  const auto gate = std::make_shared<Gate>();
  DropSession session([] {}, gate->Measurer());
  session.Drop({m_dir / "Album", m_dir / "Album/cover.jpg"});
  ASSERT_TRUE(gate->WaitUntilAsked(1, kPatience));
  const auto news = session.Collect();
  EXPECT_EQ(news.filesTotal, 31u) << "30 in the folder and the dropped file";
  EXPECT_EQ(news.filesDone, 0u);
  session.Cancel();
  gate->Open();
}

}  // namespace
