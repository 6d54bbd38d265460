// The worker thread behind a drop: it walks a drop's folders first, then takes one file at a time,
// so that cancelling or closing the window takes effect at the next entry or file, and it reads no
// folder or file while holding the lock.
#include "media/measuring_queue.h"

#include <system_error>
#include <utility>

#include "media/folder_walk.h"

namespace media {

MeasuringQueue::MeasuringQueue(Wake wake, Reader reader, Hooks hooks)
    : m_wake(std::move(wake)), m_reader(std::move(reader)), m_hooks(std::move(hooks)) {}

MeasuringQueue::~MeasuringQueue() {
  {
    const std::lock_guard lock(m_mutex);
    m_stopping = true;
  }
  m_work.notify_one();
  if (m_hooks.interrupt) m_hooks.interrupt();
  if (m_worker.joinable()) m_worker.join();
}

std::uint64_t MeasuringQueue::Add(std::vector<std::filesystem::path> items) {
  std::uint64_t ticket = 0;
  {
    const std::lock_guard lock(m_mutex);
    ticket = m_nextTicket++;
    // Each item counts as one file until its folders have been walked.
    m_filesTotal += items.size();
    m_waiting.push_back(Drop{ticket, std::move(items), false, {}, {}, 0});
    // A window that is never dropped on never starts a thread.
    if (!m_worker.joinable()) m_worker = std::thread([this] { Run(); });
  }
  m_work.notify_one();
  return ticket;
}

void MeasuringQueue::CancelAll() {
  {
    const std::lock_guard lock(m_mutex);
    ++m_generation;
    m_waiting.clear();
    m_measured.clear();
    m_filesDone = 0;
    m_filesTotal = 0;
  }
  if (m_hooks.interrupt) m_hooks.interrupt();
}

void MeasuringQueue::Prepare() {
  {
    const std::lock_guard lock(m_mutex);
    if (!m_hooks.prepare) return;
    m_prepare = true;
    if (!m_worker.joinable()) m_worker = std::thread([this] { Run(); });
  }
  m_work.notify_one();
}

MeasuringQueue::News MeasuringQueue::Collect() {
  const std::lock_guard lock(m_mutex);
  m_wakePending = false;
  News news;
  news.measured = std::exchange(m_measured, {});
  news.filesDone = m_filesDone;
  news.filesTotal = m_filesTotal;
  news.busy = !m_waiting.empty();
  if (!news.busy) {
    m_filesDone = 0;
    m_filesTotal = 0;
  }
  return news;
}

bool MeasuringQueue::NoteNewsLocked() { return !std::exchange(m_wakePending, true); }

bool MeasuringQueue::WalkLocked(std::unique_lock<std::mutex>& lock) {
  const std::uint64_t generation = m_generation;
  const std::vector<std::filesystem::path> items = m_waiting.front().items;
  lock.unlock();

  std::vector<Entry> files;
  std::vector<std::optional<std::u16string>> folders(items.size());
  std::size_t counted = 0;  // files found in folders and added to the total so far
  for (std::size_t item = 0; item < items.size(); ++item) {
    std::error_code error;
    if (!std::filesystem::is_directory(items[item], error)) {
      files.push_back({items[item], {item, {}, 0}});
      continue;
    }
    folders[item] = LabelText(FolderName(items[item]));
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
    for (FolderFile& file : WalkFolder(items[item], keepWalking)) {
      files.push_back({std::move(file.path), {item, LabelText(file.label), 0}});
    }
  }

  lock.lock();
  if (m_stopping || m_generation != generation) return false;
  // From now on the drop counts the files it measures, and nothing for the folders themselves.
  m_filesTotal = m_filesTotal + files.size() - items.size() - counted;
  Drop& drop = m_waiting.front();
  drop.files = std::move(files);
  drop.folders = std::move(folders);
  drop.walked = true;
  return true;
}

std::vector<timecalc::DroppedLength> MeasuringQueue::LinesOf(Drop& drop) {
  std::vector<timecalc::DroppedLength> lines;
  lines.reserve(drop.files.size());
  std::size_t next = 0;
  for (std::size_t item = 0; item < drop.items.size(); ++item) {
    const std::optional<std::u16string>& folder = drop.folders[item];
    bool listed = false;
    for (; next < drop.files.size() && drop.files[next].line.item == item; ++next) {
      // Covers, cue sheets and files too short to count add nothing from inside a folder.
      if (folder && drop.files[next].line.seconds == 0) continue;
      lines.push_back(std::move(drop.files[next].line));
      listed = true;
    }
    // A drop is never silent: a folder without any audio or video still shows as one line.
    if (folder && !listed) lines.push_back({item, *folder, 0});
  }
  return lines;
}

void MeasuringQueue::Run() {
  std::unique_lock lock(m_mutex);
  const auto wanted = [this] { return m_stopping || !m_waiting.empty() || m_prepare; };
  for (;;) {
    if (m_waiting.empty() && std::exchange(m_prepare, false)) {
      m_reading = true;
      lock.unlock();
      m_hooks.prepare();
      lock.lock();
      // Kept ready for the drop that is coming, or given up.
      m_work.wait_for(lock, m_hooks.readyFor, wanted);
      if (m_stopping) return;
      continue;
    }
    if (m_waiting.empty() && std::exchange(m_reading, false) && m_hooks.finished) {
      lock.unlock();
      m_hooks.finished();
      lock.lock();
    }
    m_work.wait(lock, wanted);
    if (m_stopping) return;
    // Asked to prepare. Asked while a drop is measured, the prepare waits for the queue to empty:
    // the reader is then kept ready for the next drop instead of finished.
    if (m_waiting.empty()) continue;

    if (!m_waiting.front().walked && !WalkLocked(lock)) {
      if (m_stopping) return;
      // A cancel while the folders were walked has taken the drop away.
      continue;
    }
    Drop& drop = m_waiting.front();
    if (drop.measured < drop.files.size()) {
      const std::uint64_t generation = m_generation;
      const std::filesystem::path file = drop.files[drop.measured].path;
      std::vector<std::filesystem::path> next;
      if (m_hooks.ahead) {
        for (std::size_t i = drop.measured + 1;
             i < drop.files.size() && next.size() < Hooks::kLookAhead; ++i) {
          next.push_back(drop.files[i].path);
        }
      }
      m_reading = true;
      lock.unlock();
      if (!next.empty()) m_hooks.ahead(std::move(next));
      const std::int64_t seconds = m_reader(file);
      lock.lock();
      if (m_stopping) return;
      // A cancel while the file was read has taken the drop away; its length is not wanted.
      if (generation != m_generation) continue;
      Drop& same = m_waiting.front();
      same.files[same.measured++].line.seconds = seconds;
      ++m_filesDone;
    }
    Drop& current = m_waiting.front();
    if (current.measured == current.files.size()) {
      m_measured.push_back(Measured{current.ticket, LinesOf(current)});
      m_waiting.pop_front();
    }
    if (NoteNewsLocked()) {
      lock.unlock();
      m_wake();
      lock.lock();
    }
  }
}

}  // namespace media
