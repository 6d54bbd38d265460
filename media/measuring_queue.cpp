// The worker thread behind a drop: it takes one file at a time, so that cancelling or closing the
// window takes effect at the next file, and it reads no file while holding the lock.
#include "media/measuring_queue.h"

#include <utility>

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

std::uint64_t MeasuringQueue::Add(std::vector<std::filesystem::path> files) {
  std::uint64_t ticket = 0;
  {
    const std::lock_guard lock(m_mutex);
    ticket = m_nextTicket++;
    m_filesTotal += files.size();
    m_waiting.push_back(Drop{ticket, std::move(files), {}});
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

void MeasuringQueue::Run() {
  std::unique_lock lock(m_mutex);
  for (;;) {
    if (m_waiting.empty() && std::exchange(m_reading, false) && m_hooks.finished) {
      lock.unlock();
      m_hooks.finished();
      lock.lock();
    }
    m_work.wait(lock, [this] { return m_stopping || !m_waiting.empty(); });
    if (m_stopping) return;

    Drop& drop = m_waiting.front();
    if (drop.seconds.size() < drop.files.size()) {
      const std::uint64_t generation = m_generation;
      const std::filesystem::path file = drop.files[drop.seconds.size()];
      m_reading = true;
      lock.unlock();
      const std::int64_t seconds = m_reader(file);
      lock.lock();
      if (m_stopping) return;
      // A cancel while the file was read has taken the drop away; its length is not wanted.
      if (generation != m_generation) continue;
      m_waiting.front().seconds.push_back(seconds);
      ++m_filesDone;
    }
    Drop& current = m_waiting.front();
    if (current.seconds.size() == current.files.size()) {
      m_measured.push_back(Measured{current.ticket, std::move(current.seconds)});
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
