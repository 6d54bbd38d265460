// A reader for the measuring queue that holds each file until the test lets it through and
// records which files it was asked for: the tests of the queue and of both shells' slow drops use
// it to stand for a slow disk without any test depending on how long anything takes.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

namespace media_test {

class GatedReader {
 public:
  // Every file lasts `seconds`; a negative value makes a file last as many seconds as its name
  // has bytes, so that a test can tell whose length arrived.
  explicit GatedReader(std::int64_t seconds = 60) : m_seconds(seconds) {}

  std::int64_t operator()(const std::filesystem::path& path) {
    const std::string name = path.filename().string();
    std::unique_lock lock(m_mutex);
    m_asked.push_back(name);
    m_changed.notify_all();
    m_changed.wait(lock, [this] { return m_allowed > 0 || m_open; });
    if (!m_open) --m_allowed;
    return m_seconds >= 0 ? m_seconds : static_cast<std::int64_t>(name.size());
  }

  // Lets `files` more files through.
  void Allow(int files) {
    const std::lock_guard lock(m_mutex);
    m_allowed += files;
    m_changed.notify_all();
  }
  // Lets every file through from now on.
  void Open() {
    const std::lock_guard lock(m_mutex);
    m_open = true;
    m_changed.notify_all();
  }

  // Waits until the reader has been asked for `files` files; false if that did not happen within
  // `patience`, a guard against a hang rather than a measure of anything.
  bool WaitUntilAsked(std::size_t files, std::chrono::milliseconds patience) {
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, patience, [&] { return m_asked.size() >= files; });
  }
  // The names of the files asked for, in order.
  std::vector<std::string> Asked() {
    const std::lock_guard lock(m_mutex);
    return m_asked;
  }

 private:
  const std::int64_t m_seconds;
  std::mutex m_mutex;
  std::condition_variable m_changed;
  std::vector<std::string> m_asked;
  int m_allowed = 0;
  bool m_open = false;
};

}  // namespace media_test
