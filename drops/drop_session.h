// What a drop on the window is, written once for both shells: the files and folders dropped, the
// walk of the folders, the measuring of every file on a worker thread of its own (so that a large
// drop or a slow disk never freezes the window), the lines the drop adds to the time list, the
// progress numbers, and cancelling. Drops land one after the other, in the order they were made.
// The shells keep only what is their own: waking their thread when Collect has news, the cursor,
// the progress window, and inserting a drop's text into the list as one edit.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "drops/measurer.h"

namespace drops {

class DropSession {
 public:
  // Tells the window's thread that Collect has news. Called on the worker thread, so it must only
  // post a message or an event; it is not called again until Collect has run.
  using Wake = std::function<void()>;

  // A drop measured within this time lands without a progress window flashing up: the shells
  // show theirs only once a drop has taken this long.
  static constexpr std::chrono::milliseconds kProgressDelay{500};
  // How long a measurer that was made ready for a drop (Prepare) waits for it.
  static constexpr std::chrono::milliseconds kReadyFor{10000};

  // Measures with `measurer`, or, when none is given, with tallimo-measure in a process of its own.
  explicit DropSession(Wake wake, std::unique_ptr<Measurer> measurer = nullptr,
                       std::chrono::milliseconds readyFor = kReadyFor);
  // Stops at the next file: nothing after the file being measured is started, and the measurer is
  // interrupted in that file.
  ~DropSession();

  DropSession(const DropSession&) = delete;
  DropSession& operator=(const DropSession&) = delete;

  // A drop is likely to come soon (files are being dragged over the window): the measurer is made
  // ready for it while the user still drags. Without a drop within readyFor, it is finished again.
  void Prepare();

  // Queues the files and folders of one drop, as the platform names them. Each file adds one line,
  // named by the part of its path after the last separator; a folder adds one for each audio or
  // video file inside it, labelled with its path from the folder's own name, or one for itself
  // when it holds none; a playlist or cue sheet adds one for each of its entries or tracks
  // (drops/playlists.h). A file that could not be measured shows kUnmeasuredTime for its length.
  void Drop(std::vector<std::filesystem::path> items);

  // Forgets every drop not yet collected, the one being measured included: none of their lines
  // will come.
  void Cancel();

  // Whether a drop was made whose lines have not been collected yet.
  bool Busy() const { return m_pending > 0; }

  // A drop measured completely.
  struct Landed {
    std::vector<std::u16string> lines;  // without line breaks
    // Some of its files could not be measured because the measuring program is missing or cannot
    // be started.
    bool programMissing = false;
  };
  struct News {
    // The drops measured completely since the last call, in the order they were made.
    std::vector<Landed> landed;
    std::size_t filesDone = 0;   // of the drops still waiting or being measured
    std::size_t filesTotal = 0;  // grows while dropped folders are walked
  };
  // Takes what the worker has done since the last call; re-arms the wake-up. Window's thread.
  News Collect();

 private:
  // A line of the drop: the file to measure, and the name the line shows.
  struct Entry {
    std::filesystem::path path;
    std::u16string name;
    std::size_t item = 0;                   // which of the drop's items it comes from
    std::optional<std::int64_t> seconds{};  // empty until measured, and when not measured
    // False for a line whose length a playlist gives: `seconds` holds it from the start.
    bool measure = true;
    // A cue sheet's last track of its file: the file's length from this frame (1/75 s) on.
    std::optional<std::int64_t> toEndFrom{};
  };
  struct Queued {
    std::vector<std::filesystem::path> items;
    bool walked = false;  // the folders among the items have been replaced by their files
    std::vector<Entry> files;
    // One per item: the name of a folder's own line; nullopt for a file.
    std::vector<std::optional<std::u16string>> folders;
    std::size_t measured = 0;
    bool programMissing = false;
  };

  void Run();
  // Turns the items of the front drop into its lines and the files to measure. The lock is released
  // during the walk and held again on return; false when a cancel or the end came meanwhile.
  bool WalkFront(std::unique_lock<std::mutex>& lock);
  static Landed LinesOf(const Queued& drop);
  // Marks news; returns whether the window's thread has to be woken for it.
  bool NoteNewsLocked();

  const Wake m_wake;
  const std::unique_ptr<Measurer> m_measurer;
  const std::chrono::milliseconds m_readyFor;
  // Drops made and not yet collected (window's thread only).
  std::size_t m_pending = 0;

  std::mutex m_mutex;
  std::condition_variable m_work;
  std::deque<Queued> m_waiting;  // the front one is being measured
  std::vector<Landed> m_landed;
  // Changes on every Cancel; read without the lock by a walk, to stop at the next entry.
  std::atomic<std::uint64_t> m_generation = 0;
  std::size_t m_filesDone = 0;
  std::size_t m_filesTotal = 0;
  bool m_wakePending = false;
  std::atomic<bool> m_stopping = false;
  bool m_prepare = false;  // Prepare was called since the worker last looked
  // The measurer was prepared or measured a file since it was last finished (worker only).
  bool m_measuring = false;
  std::thread m_worker;  // started by the first Drop or Prepare
};

}  // namespace drops
