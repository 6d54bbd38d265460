// The worker behind a drop, driven with readers of our own: results in drop order, cancelling,
// closing in the middle of a drop, progress, and wake-ups that never pile up.
#include "media/measuring_queue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <future>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "tests/media/gated_reader.h"

namespace {

using media::MeasuringQueue;
using media_test::GatedReader;
using Paths = std::vector<std::filesystem::path>;

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
std::vector<MeasuringQueue::Measured> CollectAll(MeasuringQueue& queue, Inbox& inbox,
                                                 int* collects = nullptr) {
  std::vector<MeasuringQueue::Measured> all;
  for (;;) {
    const int wakes = inbox.Wakes();
    MeasuringQueue::News news = queue.Collect();
    if (collects) ++*collects;
    for (auto& measured : news.measured) all.push_back(std::move(measured));
    if (!news.busy) return all;
    if (!inbox.WaitForMoreThan(wakes)) {
      ADD_FAILURE() << "the worker went quiet with a drop still waiting";
      return all;
    }
  }
}

std::int64_t LengthOfName(const std::filesystem::path& path) {
  return static_cast<std::int64_t>(path.string().size());
}

std::vector<std::int64_t> Seconds(const MeasuringQueue::Measured& measured) {
  std::vector<std::int64_t> seconds;
  for (const auto& length : measured.lengths) seconds.push_back(length.seconds);
  return seconds;
}

TEST(MeasuringQueueTest, GivesEveryDropBackInOrderWithOneLengthPerFile) {
  Inbox inbox;
  MeasuringQueue queue([&] { inbox.Wake(); }, LengthOfName);
  const std::uint64_t first = queue.Add({"a", "bbb", "cc"});
  const std::uint64_t empty = queue.Add({});
  const std::uint64_t last = queue.Add({"dddd"});
  const auto measured = CollectAll(queue, inbox);
  ASSERT_EQ(measured.size(), 3u);
  EXPECT_EQ(measured[0].ticket, first);
  EXPECT_EQ(Seconds(measured[0]), (std::vector<std::int64_t>{1, 3, 2}));
  EXPECT_EQ(measured[1].ticket, empty);
  EXPECT_TRUE(measured[1].lengths.empty());
  EXPECT_EQ(measured[2].ticket, last);
  EXPECT_EQ(Seconds(measured[2]), (std::vector<std::int64_t>{4}));
}

TEST(MeasuringQueueTest, CancelForgetsTheDropBeingMeasuredAndTheWaitingOnes) {
  Inbox inbox;
  GatedReader reader(-1);
  MeasuringQueue queue([&] { inbox.Wake(); }, [&](const auto& path) { return reader(path); });
  queue.Add({"a1", "a2", "a3"});
  queue.Add({"b1"});
  ASSERT_TRUE(reader.WaitUntilAsked(1, kPatience));
  queue.CancelAll();
  const MeasuringQueue::News afterCancel = queue.Collect();
  EXPECT_FALSE(afterCancel.busy);
  EXPECT_TRUE(afterCancel.measured.empty());

  reader.Open();
  const std::uint64_t next = queue.Add({"c1"});
  const auto measured = CollectAll(queue, inbox);
  ASSERT_EQ(measured.size(), 1u) << "nothing of the cancelled drops may arrive";
  EXPECT_EQ(measured[0].ticket, next);
  EXPECT_EQ(Seconds(measured[0]), (std::vector<std::int64_t>{2}));
  EXPECT_EQ(reader.Asked(), (std::vector<std::string>{"a1", "c1"}))
      << "measuring stops at the next file";
}

TEST(MeasuringQueueTest, ClosingInTheMiddleOfADropStopsAtTheNextFile) {
  GatedReader reader(-1);
  auto queue =
      std::make_unique<MeasuringQueue>([] {}, [&](const auto& path) { return reader(path); });
  Paths files(1000, "file");
  queue->Add(files);
  ASSERT_TRUE(reader.WaitUntilAsked(1, kPatience));
  auto closing = std::async(std::launch::async, [&] { queue.reset(); });
  // The file being read is finished, however long it takes; then the worker ends.
  EXPECT_EQ(closing.wait_for(std::chrono::milliseconds(50)), std::future_status::timeout);
  reader.Open();
  ASSERT_EQ(closing.wait_for(kPatience), std::future_status::ready);
  EXPECT_EQ(reader.Asked().size(), 1u);
}

TEST(MeasuringQueueTest, CountsTheFilesOfEveryDropStillWaiting) {
  Inbox inbox;
  GatedReader reader(-1);
  MeasuringQueue queue([&] { inbox.Wake(); }, [&](const auto& path) { return reader(path); });
  queue.Add({"a", "b"});
  queue.Add({"c", "d", "e"});
  for (std::size_t done = 1; done <= 4; ++done) {
    const int wakes = inbox.Wakes();
    reader.Allow(1);
    ASSERT_TRUE(inbox.WaitForMoreThan(wakes));
    const MeasuringQueue::News news = queue.Collect();
    EXPECT_TRUE(news.busy);
    EXPECT_EQ(news.filesDone, done);
    EXPECT_EQ(news.filesTotal, 5u);
    EXPECT_EQ(news.measured.size(), done == 2 ? 1u : 0u) << "after file " << done;
  }
  reader.Allow(1);
  const auto rest = CollectAll(queue, inbox);
  ASSERT_EQ(rest.size(), 1u);
  EXPECT_EQ(rest[0].lengths.size(), 3u);
  const MeasuringQueue::News idle = queue.Collect();
  EXPECT_EQ(idle.filesTotal, 0u) << "the count starts afresh with the next drop";
}

// Ten thousand files must not post ten thousand messages to the window: one wake-up stays
// outstanding until the window collects.
TEST(MeasuringQueueTest, WakesTheWindowOnceUntilItCollects) {
  Inbox inbox;
  std::atomic<int> reads = 0;
  MeasuringQueue queue([&] { inbox.Wake(); },
                       [&](const auto&) {
                         ++reads;
                         return std::int64_t{1};
                       });
  queue.Add(Paths(10000, "f"));
  ASSERT_TRUE(inbox.WaitForMoreThan(0));
  int collects = 0;
  const auto measured = CollectAll(queue, inbox, &collects);
  ASSERT_EQ(measured.size(), 1u);
  EXPECT_EQ(measured[0].lengths.size(), 10000u);
  EXPECT_EQ(reads.load(), 10000);
  EXPECT_LE(inbox.Wakes(), collects + 1);
}

// What the reader is told besides the files: a prepare that no drop follows is given up with
// `finished`; within a drop each file is announced ahead of its turn, never past the drop's end.
TEST(MeasuringQueueTest, TellsTheReaderWhatComesNextAndWhenItIsDone) {
  std::mutex mutex;
  std::condition_variable changed;
  std::vector<std::string> log;
  const auto note = [&](std::string what) {
    const std::lock_guard lock(mutex);
    log.push_back(std::move(what));
    changed.notify_all();
  };
  const auto logOnceFinished = [&](std::size_t times) {
    std::unique_lock lock(mutex);
    changed.wait_for(lock, kPatience, [&] {
      return std::count(log.begin(), log.end(), "finished") == static_cast<long>(times);
    });
    return std::exchange(log, {});
  };
  Inbox inbox;
  MeasuringQueue queue([&] { inbox.Wake(); },
                       [&](const std::filesystem::path& file) {
                         note("read " + file.string());
                         return std::int64_t{1};
                       },
                       {.prepare = [&] { note("prepare"); },
                        .ahead = [&](std::vector<std::filesystem::path> files) {
                          std::string names = "ahead";
                          for (const auto& file : files) names.append(" ").append(file.string());
                          note(names);
                        },
                        .finished = [&] { note("finished"); },
                        .interrupt = {},
                        .readyFor = std::chrono::milliseconds(10)});
  queue.Prepare();
  EXPECT_EQ(logOnceFinished(1), (std::vector<std::string>{"prepare", "finished"}));
  Paths drop;
  for (char name = 'a'; name <= 'j'; ++name) drop.emplace_back(std::string(1, name));
  queue.Add(drop);
  EXPECT_EQ(CollectAll(queue, inbox).size(), 1u);
  EXPECT_EQ(logOnceFinished(1),
            (std::vector<std::string>{"ahead b c d e f g h", "read a", "ahead c d e f g h i",
                                      "read b", "ahead d e f g h i j", "read c", "ahead e f g h i j",
                                      "read d", "ahead f g h i j", "read e", "ahead g h i j",
                                      "read f", "ahead h i j", "read g", "ahead i j", "read h",
                                      "ahead j", "read i", "read j", "finished"}));
}

}  // namespace
