// The window's side of the drop session, for the benchmarks that drop files on it as the window
// does: waits for each wake-up and collects, until the drops are in.
#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "drops/drop_session.h"

namespace drop_bench {

class Window {
 public:
  // Measures with `measurer`, or with tallimo-measure (TALLIMO_MEASURE) when none is given.
  explicit Window(std::unique_ptr<drops::Measurer> measurer = nullptr)
      : m_session([this] { Wake(); }, std::move(measurer)) {}

  drops::DropSession& session() { return m_session; }

  // The lines of the drops still waiting, once all of them are in.
  std::vector<std::u16string> LinesOnceIdle() {
    std::vector<std::u16string> lines;
    for (;;) {
      {
        std::unique_lock lock(m_mutex);
        m_woken.wait(lock, [this] { return m_news; });
        m_news = false;
      }
      drops::DropSession::News news = m_session.Collect();
      for (auto& landed : news.landed) {
        for (auto& line : landed.lines) lines.push_back(std::move(line));
      }
      if (!m_session.Busy()) return lines;
    }
  }

 private:
  void Wake() {
    const std::lock_guard lock(m_mutex);
    m_news = true;
    m_woken.notify_all();
  }

  std::mutex m_mutex;
  std::condition_variable m_woken;
  bool m_news = false;
  drops::DropSession m_session;
};

}  // namespace drop_bench
