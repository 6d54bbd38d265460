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
#include "drops/playlists.h"
#include "tests/drops/test_measurers.h"
#include "tests/readers/module_writer.h"
#include "tests/wave/wave_writer.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

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
    for (auto& landed : news.landed) all.push_back(std::move(landed.lines));
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
// within a drop each file is announced ahead of its turn, never past the drop's end, a playlist's
// entries as dropped files.
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
    drops::Measurement Measure(const fs::path& file, std::span<const fs::path> ahead) override {
      std::string names = "measure " + file.filename().string();
      if (!ahead.empty()) names += " ahead";
      for (const auto& next : ahead) names.append(" ").append(next.filename().string());
      m_log.Note(names);
      return {.seconds = 1};
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

  // A playlist's entries are announced alike, passing over the lines whose length it states.
  const fs::path list =
      fs::temp_directory_path() /
      ("tallimo-ahead-" +
       std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()) + ".m3u");
  std::ofstream(list) << "a\n#EXTINF:5,\nhttp://x/y\nb\nc\n";
  session.Drop({list});
  EXPECT_EQ(CollectAll(session, inbox).size(), 1u);
  fs::remove(list);
  EXPECT_EQ(log.TakeOnceFinished(),
            (std::vector<std::string>{"measure a ahead b c", "measure b ahead c", "measure c",
                                      "finished"}));
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
  fs::path Other(const fs::path& name, std::string_view bytes = "x") const {
    fs::create_directories((m_dir / name).parent_path());
    std::ofstream(m_dir / name, std::ios::binary) << bytes;
    return m_dir / name;
  }
  void Module(const fs::path& name, const std::string& bytes) const {
    fs::create_directories((m_dir / name).parent_path());
    readers_test::WriteModule(m_dir / name, bytes);
  }

  // One drop of `items`, measured by `program`.
  static DropSession::Landed Drop(Paths items,
                                  const fs::path& program = TALLIMO_MEASURE_TEST_PROGRAM) {
    Inbox inbox;
    DropSession session([&] { inbox.Wake(); }, std::make_unique<drops::MeasuringProcess>(program));
    session.Drop(std::move(items));
    std::vector<DropSession::Landed> landed;
    for (;;) {
      const int wakes = inbox.Wakes();
      for (auto& drop : session.Collect().landed) landed.push_back(std::move(drop));
      if (!session.Busy() || !inbox.WaitForMoreThan(wakes)) break;
    }
    if (landed.size() != 1) ADD_FAILURE() << "not one drop";
    return landed.empty() ? DropSession::Landed{} : landed.front();
  }
  static Lines Measure(Paths items) { return Drop(std::move(items)).lines; }

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
      {"ControlCharacterInTheName", "x\ty.wav", -1, u"?:??.??[x\uFFFDy.wav]"},
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

// What cannot be opened as a file is marked as not measured; a folder without audio or video
// names itself, also when given with a trailing separator.
TEST_F(DroppedFilesTest, ItemsThatCannotBeReadAreMarkedAndEmptyFoldersNamed) {
  fs::create_directories(m_dir / "folder.wav");
  Paths items = {m_dir / "folder.wav", m_dir / "vanished.wav", m_dir / ""};
  Lines lines = {u"0:00.00[folder.wav]", u"?:??.??[vanished.wav]",
                 u"0:00.00[" + m_dir.filename().u16string() + u"]"};
#ifdef _WIN32
  // A drive that is not there: the part after the last separator is empty.
  items.emplace_back(L"Q:\\");
  lines.emplace_back(u"?:??.??[]");
#endif
  EXPECT_EQ(Measure(items), lines);
}

// Every audio or video file of a folder gets its line, those that measure 0 s and those that
// cannot be measured too; other files stay out.
TEST_F(DroppedFilesTest, AFolderGivesEachOfItsMediaFilesLabelledFromItsName) {
  Wave("Album/CD1/01.wav", 6);
  Wave("Album/CD1/silence.wav", 0);
  Other("Album/CD1/cover.jpg");
  Other("Album/CD1/crash.mp3");  // the test build's reader crashes on it, every time
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
  const std::u16string cd1 = u"Album" + sep + u"CD1" + sep;
  EXPECT_EQ(Measure({m_dir / "Album", Other("alone.txt"), m_dir / "Docs" / "", m_dir / "Quiet",
                     m_dir / "Empty"}),
            (Lines{u"0:00.07[Album" + sep + u"02.wav]", u"0:00.07[Album" + sep + u"03 Title.mod]",
                   u"0:00.06[" + cd1 + u"01.wav]", u"0:00.13[" + cd1 + u"02 Theme.XM]",
                   u"?:??.??[" + cd1 + u"crash.mp3]", u"0:00.00[" + cd1 + u"silence.wav]",
                   u"0:00.00[alone.txt]", u"0:00.00[Docs]",
                   u"0:00.00[Quiet" + sep + u"silence.wav]", u"0:00.00[Empty]"}));
}

const std::u16string kSeparator(1, static_cast<char16_t>(fs::path::preferred_separator));

// A playlist's entries found wherever the list may name them, each measured as a dropped file,
// streams never fetched; the lists nested in it expanded in place, but not one being expanded.
TEST_F(DroppedFilesTest, APlaylistGivesEachEntryALineInItsOrder) {
  Wave("Music/a.wav", 3);
  const std::string bc = Wave("Music/Sub/b c.wav", 4).generic_string();
  Wave(u8"Music/caf\u00e9.wav", 5);
  std::string url = "file://";
#ifdef _WIN32
  url += "/";
#endif
  for (const char c : bc) url += c == ' ' ? std::string("%20") : std::string(1, c);
  Other("Lists/inner.xspf",
        "<playlist><trackList><track><location>../Music/Sub/b%20c.wav</location></track>"
        "<track><location>List.m3u</location></track></trackList></playlist>");
  std::string m3u = "#EXTM3U\n#EXTINF:99,Stated, but measured\n../Music/a.wav\n" +
                    Wave("d.wav", 6).string() + "\n" + url +
                    "\n..\\Music\\Sub\\b c.wav\n../Music/caf\xE9.wav\n"
                    "#EXTINF:300,Radio\nhttp://radio.example/live?x=1\nrtsp://cam.example/\n"
                    "#EXTINF:120,Gone\n../Music/missing.wav\ninner.xspf\nList.m3u\n";
  const std::u16string list = u"List.m3u" + kSeparator;
  Lines lines = {u"0:00.03[" + list + u"a.wav]",
                 u"0:00.06[" + list + u"d.wav]",
                 u"0:00.04[" + list + u"b c.wav]",
                 u"0:00.04[" + list + u"b c.wav]",
                 u"0:00.05[" + list + u"caf\u00e9.wav]",
                 u"0:05.00[" + list + u"live?x=1]",
                 u"?:??.??[" + list + u"cam.example]",
                 u"?:??.??[" + list + u"missing.wav]",
                 u"0:00.04[" + list + u"inner.xspf" + kSeparator + u"b c.wav]",
                 u"?:??.??[" + list + u"inner.xspf" + kSeparator + u"List.m3u]",
                 u"?:??.??[" + list + u"List.m3u]"};
#ifdef _WIN32
  m3u += "NUL\n";
  lines.push_back(u"?:??.??[" + list + u"NUL]");
#else
  // Regular files only: a pipe and a device are never waited on, a /proc file says it is empty.
  ASSERT_EQ(::mkfifo((m_dir / "Music/pipe.wav").c_str(), 0600), 0);
  m3u += "../Music/pipe.wav\n/dev/zero\n/proc/self/stat\n";
  lines.insert(lines.end(), {u"?:??.??[" + list + u"pipe.wav]", u"?:??.??[" + list + u"zero]",
                             u"0:00.00[" + list + u"stat]"});
#endif
  lines.push_back(u"0:00.03[a.wav]");
  EXPECT_EQ(Measure({Other("Lists/List.m3u", m3u), m_dir / "Music/a.wav"}), lines);
}

// Each track from its INDEX 01 to the next one of its FILE, the last to the end of its FILE: a
// missing FILE costs only that track, one that starts beyond its file is not measured either.
TEST_F(DroppedFilesTest, ACueSheetGivesEachTrackItsSpan) {
  Wave("Album.wav", 100);
  Other("Album.cue",
        "FILE \"Album.wav\" WAVE\n TRACK 01 AUDIO\n  TITLE \"Intro\"\n  INDEX 01 00:00:00\n"
        " TRACK 02 AUDIO\n  INDEX 01 00:30:37\n TRACK 03 AUDIO\n  TITLE \"Outro\"\n"
        "  INDEX 01 01:15:00\nFILE \"Missing.wav\" WAVE\n TRACK 04 AUDIO\n  INDEX 01 00:00:00\n"
        " TRACK 05 AUDIO\n  INDEX 01 00:10:00\nFILE Album.wav WAVE\n TRACK 06 AUDIO\n"
        "  INDEX 01 01:41:00\n");
  const std::u16string cue = u"Album.cue" + kSeparator;
  EXPECT_EQ(Measure({m_dir / "Album.cue", m_dir / "Album.wav"}),
            (Lines{u"0:00.30[" + cue + u"01 Intro]", u"0:00.44[" + cue + u"Track 02]",
                   u"0:00.25[" + cue + u"03 Outro]", u"0:00.10[" + cue + u"Track 04]",
                   u"?:??.??[" + cue + u"Track 05]", u"?:??.??[" + cue + u"Track 06]",
                   u"0:01.40[Album.wav]"}));
}

TEST(SecondsToEnd, CountsFromTheStartToTheFilesWholeSeconds) {
  struct Case {
    std::optional<std::int64_t> fileSeconds;
    std::int64_t fromFrame;
    std::optional<std::int64_t> seconds;
  };
  const Case cases[] = {
      {100, 0, 100},
      {100, 5625, 25},
      {100, 2287, 69},
      {100, 7500, 0},
      {100, 7574, 0},
      {100, 7575, std::nullopt},
      {std::nullopt, 0, std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(drops::SecondsToEnd(c.fileSeconds, c.fromFrame), c.seconds) << c.fromFrame;
  }
}

// Lists made to hurt: each costs what it lists, within the limits, and says when something was
// left out.
TEST_F(DroppedFilesTest, HostileListsCostNoMoreThanTheirLimits) {
  const auto level = [](int number) {
    return fs::path(std::string{'L', static_cast<char>('0' + number)} + ".m3u");
  };
  for (int number = 1; number <= 9; ++number) {
    Other(level(number), "a.wav\n" + (number < 9 ? level(number + 1).string() : ""));
  }
  // A thousand entries naming a list of a thousand entries naming a list of a thousand.
  const auto thousand = [](const std::string& line) {
    std::string text;
    for (int i = 0; i < 1000; ++i) text += line + "\n";
    return text;
  };
  Other("laughs.m3u", thousand("b.m3u"));
  Other("b.m3u", thousand("c.m3u"));
  Other("c.m3u", thousand("x.wav"));
  struct Case {
    const char* name;
    fs::path list;
    std::size_t lines;
    drops::ListedLine last;
    drops::ListLimits limits = {};
  };
  std::u16string deepest = level(1).u16string();
  for (int number = 2; number <= 9; ++number) deepest += kSeparator + level(number).u16string();
  std::vector<Case> cases = {
      {"DeeperThanEightLevels", m_dir / "L1.m3u", 9, {.label = deepest}},
      {"AThousandToTheThirdPower",
       m_dir / "laughs.m3u",
       1503,
       {.label = u"laughs.m3u"},
       {.lines = 1500}},
      {"BeyondTheBytes",
       Other("cut.m3u", "a.wav\nb.wav\n"),
       2,
       {.label = u"cut.m3u"},
       {.bytes = 10}},
      {"Empty", Other("empty.pls", ""), 1, {.label = u"empty.pls", .seconds = 0}},
      {"Missing", m_dir / "missing.xspf", 1, {.label = u"missing.xspf"}},
  };
#ifndef _WIN32
  ::mkfifo((m_dir / "pipe.cue").c_str(), 0600);
  cases.push_back({"Pipe", m_dir / "pipe.cue", 1, {.label = u"pipe.cue"}});
#endif
  for (const Case& c : cases) {
    const std::vector<drops::ListedLine> lines = drops::ExpandList(
        c.list, drops::ListFormatOf(c.list.filename().native()), c.list.filename().u16string(),
        [](std::size_t) { return true; }, c.limits);
    ASSERT_EQ(lines.size(), c.lines) << c.name;
    EXPECT_EQ(lines.back(), c.last) << c.name;
  }
}

// Without its measuring program (an incomplete copy, a quarantined file) nothing is measured, and
// the drop says so; a folder still lists its files.
TEST_F(DroppedFilesTest, WithoutTheMeasuringProgramEveryFileIsMarkedAndTheDropSaysSo) {
  Wave("Album/01.wav", 3);
  Wave("Album/02.wav", 4);
  const DropSession::Landed landed =
      Drop({m_dir / "Album", Wave("single.wav", 5)}, m_dir / "no-such-program");
  const std::u16string sep(1, static_cast<char16_t>(fs::path::preferred_separator));
  EXPECT_EQ(landed.lines, (Lines{u"?:??.??[Album" + sep + u"01.wav]",
                                 u"?:??.??[Album" + sep + u"02.wav]", u"?:??.??[single.wav]"}));
  EXPECT_TRUE(landed.programMissing);
  EXPECT_FALSE(Drop({m_dir / "single.wav"}).programMissing);
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
