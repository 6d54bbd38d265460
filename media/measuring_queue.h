// Measures the play lengths of dropped files on a worker thread of its own, one drop after the
// other, so that a large drop or a slow disk never freezes the window. A dropped folder is walked
// there too and stands for the audio and video files inside it. The window's thread queues drops
// and collects the results; the worker wakes it through a callback when there is news.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "timecalc/dropped_lines.h"

namespace media {

// What a MeasuringQueue tells whoever runs its reader, besides the files: `prepare` on the worker
// thread after Prepare, when no drop is waiting, to get ready for one; `ahead` on the worker thread
// just before the reader is called, with the files of the same drop that come after the one about
// to be read (at most kLookAhead), for a reader that starts on them early (a cancel may still take
// them away);
// `finished` on the worker thread once no drop is left (the last file of a run of drops is
// measured, or a cancel took them away); `interrupt` on the calling thread, by CancelAll and the
// destructor, to abandon the file being read at once. Any may be empty.
struct MeasuringHooks {
  static constexpr std::size_t kLookAhead = 7;
  std::function<void()> prepare;
  std::function<void(std::vector<std::filesystem::path>)> ahead;
  std::function<void()> finished;
  std::function<void()> interrupt;
  // How long a prepared reader waits for its drop.
  std::chrono::milliseconds readyFor = std::chrono::seconds(10);
};

class MeasuringQueue {
 public:
  // Measures one file. Called on the worker thread only.
  using Reader = std::function<std::int64_t(const std::filesystem::path&)>;
  // Tells the window's thread that Collect has news. Called on the worker thread, so it must only
  // post a message or an event; it is not called again until Collect has run.
  using Wake = std::function<void()>;

  using Hooks = MeasuringHooks;

  MeasuringQueue(Wake wake, Reader reader, Hooks hooks = {});
  // Stops at the next file: nothing after the file being read is started, and the reader is
  // interrupted in that file.
  ~MeasuringQueue();

  MeasuringQueue(const MeasuringQueue&) = delete;
  MeasuringQueue& operator=(const MeasuringQueue&) = delete;

  // Queues the files and folders of one drop; the result comes back under the returned ticket.
  std::uint64_t Add(std::vector<std::filesystem::path> items);

  // Forgets every queued drop, and the one being measured; none of them will be collected.
  void CancelAll();

  // A drop is likely to come soon (files are being dragged over the window): the reader is made
  // ready for it (the `prepare` hook) while the user still drags. Without a drop within the
  // hooks' `readyFor`, `finished` follows.
  void Prepare();

  struct Measured {
    std::uint64_t ticket = 0;
    // In the order of the drop: one per dropped file; for a dropped folder one per file inside it
    // that has a play length, or one for the folder itself, 0 seconds, when none has.
    std::vector<timecalc::DroppedLength> lengths;
  };
  struct News {
    std::vector<Measured> measured;  // drops measured completely since the last call, in order
    std::size_t filesDone = 0;       // of the drops still waiting or being measured
    std::size_t filesTotal = 0;      // grows while dropped folders are walked
    bool busy = false;               // a drop is still waiting or being measured
  };
  // Takes what the worker has done since the last call; re-arms the wake-up.
  News Collect();

 private:
  // A file to measure, and the line it becomes.
  struct Entry {
    std::filesystem::path path;
    timecalc::DroppedLength line;
  };
  struct Drop {
    std::uint64_t ticket;
    std::vector<std::filesystem::path> items;
    bool walked = false;  // the folders among the items have been replaced by their files
    std::vector<Entry> files;
    // One per item: the label of a folder's own line; nullopt for a file.
    std::vector<std::optional<std::u16string>> folders;
    std::size_t measured = 0;
  };

  void Run();
  // Turns the items of the front drop into the files to measure, without the lock; false when a
  // cancel or the end came meanwhile.
  bool WalkLocked(std::unique_lock<std::mutex>& lock);
  static std::vector<timecalc::DroppedLength> LinesOf(Drop& drop);
  // Marks news; returns whether the window's thread has to be woken for it.
  bool NoteNewsLocked();

  const Wake m_wake;
  const Reader m_reader;
  const Hooks m_hooks;

  std::mutex m_mutex;
  std::condition_variable m_work;
  std::deque<Drop> m_waiting;  // the front one is being measured
  std::vector<Measured> m_measured;
  std::uint64_t m_nextTicket = 1;
  // Changes on every CancelAll; read without the lock by a walk, to stop at the next entry.
  std::atomic<std::uint64_t> m_generation = 0;
  std::size_t m_filesDone = 0;
  std::size_t m_filesTotal = 0;
  bool m_wakePending = false;
  std::atomic<bool> m_stopping = false;
  bool m_prepare = false;  // Prepare was called since the worker last looked
  // The reader was prepared or read a file since `finished` was last called (worker only).
  bool m_reading = false;
  std::thread m_worker;    // started by the first Add
};

}  // namespace media
