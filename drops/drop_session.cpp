// The worker thread behind the drops: it walks a drop's folders and reads its playlists first, then
// measures one file at a time, so that cancelling or closing the window takes effect at the next
// entry or file, and it reads no folder or file while holding the lock.
#include "drops/drop_session.h"

#include <system_error>
#include <utility>

#include "drops/folder_walk.h"
#include "drops/measuring_process.h"
#include "drops/playlists.h"
#include "timecalc/dropped_lines.h"

namespace drops {

DropSession::DropSession(Wake wake, std::unique_ptr<Measurer> measurer,
                         std::chrono::milliseconds readyFor)
    : m_wake(std::move(wake)),
      m_measurer(measurer ? std::move(measurer) : std::make_unique<MeasuringProcess>()),
      m_readyFor(readyFor) {}

DropSession::~DropSession() {
  {
    const std::lock_guard lock(m_mutex);
    m_stopping = true;
  }
  m_work.notify_one();
  m_measurer->Interrupt();
  if (m_worker.joinable()) m_worker.join();
}

void DropSession::Drop(std::vector<std::filesystem::path> items) {
  ++m_pending;
  {
    const std::lock_guard lock(m_mutex);
    // Each item counts as one file until its folders have been walked.
    m_filesTotal += items.size();
    m_waiting.push_back(Queued{std::move(items), false, {}, {}, 0, false});
    // A window that is never dropped on never starts a thread.
    if (!m_worker.joinable()) m_worker = std::thread([this] { Run(); });
  }
  m_work.notify_one();
}

void DropSession::Cancel() {
  m_pending = 0;
  {
    const std::lock_guard lock(m_mutex);
    ++m_generation;
    m_waiting.clear();
    m_landed.clear();
    m_filesDone = 0;
    m_filesTotal = 0;
  }
  m_measurer->Interrupt();
}

void DropSession::Prepare() {
  {
    const std::lock_guard lock(m_mutex);
    m_prepare = true;
    if (!m_worker.joinable()) m_worker = std::thread([this] { Run(); });
  }
  m_work.notify_one();
}

DropSession::News DropSession::Collect() {
  const std::lock_guard lock(m_mutex);
  m_wakePending = false;
  News news;
  news.landed = std::exchange(m_landed, {});
  m_pending -= std::min(m_pending, news.landed.size());
  news.filesDone = m_filesDone;
  news.filesTotal = m_filesTotal;
  if (m_waiting.empty()) {
    m_filesDone = 0;
    m_filesTotal = 0;
  }
  return news;
}

bool DropSession::NoteNewsLocked() { return !std::exchange(m_wakePending, true); }

bool DropSession::WalkFront(std::unique_lock<std::mutex>& lock) {
  const std::uint64_t generation = m_generation;
  const std::vector<std::filesystem::path> items = m_waiting.front().items;
  lock.unlock();

  std::vector<Entry> files;
  std::vector<std::optional<std::u16string>> folders(items.size());
  std::size_t counted = 0;  // files found in folders and added to the total so far
  for (std::size_t item = 0; item < items.size(); ++item) {
    const std::size_t countedBefore = counted;
    const auto keepWalking = [&](std::size_t found) {
      if (m_stopping || m_generation != generation) return false;
      if (countedBefore + found == counted) return true;
      bool wake = false;
      lock.lock();
      if (m_generation == generation) {
        m_filesTotal += countedBefore + found - counted;
        wake = NoteNewsLocked();
      }
      lock.unlock();
      counted = countedBefore + found;
      if (wake) m_wake();
      return true;
    };
    std::error_code error;
    if (std::filesystem::is_directory(items[item], error)) {
      folders[item] = timecalc::DroppedFileName(LabelText(FolderName(items[item])), u"");
      for (FolderFile& file : WalkFolder(items[item], keepWalking)) {
        files.push_back({.path = std::move(file.path),
                         .name = timecalc::DroppedFileName(LabelText(file.label), u""),
                         .item = item,
                         .seconds = 0});
      }
      continue;
    }
    std::u16string name = timecalc::DroppedFileName(LabelText(items[item]));
    const ListFormat format = ListFormatOf(items[item].filename().native());
    if (format == ListFormat::kNone) {
      files.push_back({.path = items[item], .name = std::move(name), .item = item});
      continue;
    }
    for (ListedLine& line : ExpandList(items[item], format, name, keepWalking)) {
      files.push_back({.path = line.measure.value_or(std::filesystem::path()),
                       .name = std::move(line.label),
                       .item = item,
                       .seconds = line.seconds,
                       .measure = line.measure.has_value(),
                       .toEndFrom = line.toEndFrom});
    }
  }

  lock.lock();
  if (m_stopping || m_generation != generation) return false;
  // From now on the drop counts the files it measures, and nothing for the folders themselves.
  m_filesTotal = m_filesTotal + files.size() - items.size() - counted;
  Queued& drop = m_waiting.front();
  drop.files = std::move(files);
  drop.folders = std::move(folders);
  drop.walked = true;
  return true;
}

DropSession::Landed DropSession::LinesOf(const Queued& drop) {
  Landed landed{.lines = {}, .programMissing = drop.programMissing};
  std::vector<std::u16string>& lines = landed.lines;
  lines.reserve(drop.files.size());
  std::size_t next = 0;
  for (std::size_t item = 0; item < drop.items.size(); ++item) {
    const std::size_t first = next;
    for (; next < drop.files.size() && drop.files[next].item == item; ++next) {
      const Entry& file = drop.files[next];
      lines.push_back(timecalc::DroppedFileLine(file.name, file.seconds, u""));
    }
    // A drop is never silent: a folder without any audio or video still shows as one line.
    if (drop.folders[item] && next == first) {
      lines.push_back(timecalc::DroppedFileLine(*drop.folders[item], 0, u""));
    }
  }
  return landed;
}

void DropSession::Run() {
  std::unique_lock lock(m_mutex);
  const auto wanted = [this] { return m_stopping || !m_waiting.empty() || m_prepare; };
  for (;;) {
    if (m_waiting.empty() && std::exchange(m_prepare, false)) {
      m_measuring = true;
      lock.unlock();
      m_measurer->Prepare();
      lock.lock();
      // Kept ready for the drop that is coming, or given up.
      m_work.wait_for(lock, m_readyFor, wanted);
      if (m_stopping) return;
      continue;
    }
    if (m_waiting.empty() && std::exchange(m_measuring, false)) {
      lock.unlock();
      m_measurer->Finish();
      lock.lock();
    }
    m_work.wait(lock, wanted);
    if (m_stopping) return;
    // Asked to prepare. Asked while a drop is measured, the prepare waits for the queue to empty:
    // the measurer is then kept ready for the next drop instead of finished.
    if (m_waiting.empty()) continue;

    if (!m_waiting.front().walked && !WalkFront(lock)) {
      if (m_stopping) return;
      // A cancel while the folders were walked has taken the drop away.
      continue;
    }
    Queued& drop = m_waiting.front();
    // Lines whose length a playlist gives are done as they come.
    for (; drop.measured < drop.files.size() && !drop.files[drop.measured].measure;
         ++drop.measured) {
      ++m_filesDone;
    }
    if (drop.measured < drop.files.size()) {
      const std::uint64_t generation = m_generation;
      const std::filesystem::path file = drop.files[drop.measured].path;
      std::vector<std::filesystem::path> ahead;
      for (std::size_t i = drop.measured + 1;
           i < drop.files.size() && ahead.size() < Measurer::kLookAhead; ++i) {
        if (drop.files[i].measure) ahead.push_back(drop.files[i].path);
      }
      m_measuring = true;
      lock.unlock();
      const Measurement measurement = m_measurer->Measure(file, ahead);
      lock.lock();
      if (m_stopping) return;
      // A cancel while the file was measured has taken the drop away; its length is not wanted.
      if (generation != m_generation) continue;
      Queued& same = m_waiting.front();
      Entry& measured = same.files[same.measured++];
      measured.seconds = measured.toEndFrom ? SecondsToEnd(measurement.seconds, *measured.toEndFrom)
                                            : measurement.seconds;
      same.programMissing = same.programMissing || measurement.noProgram;
      ++m_filesDone;
    }
    Queued& current = m_waiting.front();
    if (current.measured == current.files.size()) {
      m_landed.push_back(LinesOf(current));
      m_waiting.pop_front();
    }
    if (NoteNewsLocked()) {
      lock.unlock();
      m_wake();
      lock.lock();
    }
  }
}

}  // namespace drops
