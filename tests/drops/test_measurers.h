// Measurers that stand in for tallimo-measure in the tests of the drop session and of both shells'
// drops: one that gives each file a length by a rule of the test's, and one that holds each file
// until the test lets it through and records which files it was asked for, so that a test can
// stand for a slow disk without depending on how long anything takes.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "drops/measurer.h"

namespace drops_test {

// Measures by `rule`; an empty length is a file that could not be measured.
class MeasureBy final : public drops::Measurer {
 public:
  using Rule = std::function<std::optional<std::int64_t>(const std::filesystem::path&)>;
  explicit MeasureBy(Rule rule) : m_rule(std::move(rule)) {}
  drops::Measurement Measure(const std::filesystem::path& file,
                             std::span<const std::filesystem::path>) override {
    return {.seconds = m_rule(file)};
  }

 private:
  Rule m_rule;
};

// Holds each file until let through. Shared between the test and the measurer it makes, which the
// session owns.
class Gate : public std::enable_shared_from_this<Gate> {
 public:
  // Every file lasts `seconds`; a negative value makes a file last as many seconds as its name
  // has bytes, so that a test can tell whose length arrived.
  explicit Gate(std::int64_t seconds = 60) : m_seconds(seconds) {}

  std::int64_t Pass(const std::filesystem::path& path) {
    const std::string name = path.filename().string();
    std::unique_lock lock(m_mutex);
    m_asked.push_back(name);
    m_changed.notify_all();
    m_changed.wait(lock, [this] { return m_allowed > 0 || m_open; });
    if (!m_open) --m_allowed;
    return m_seconds >= 0 ? m_seconds : static_cast<std::int64_t>(name.size());
  }

  // A measurer that passes every file through this gate.
  std::unique_ptr<drops::Measurer> Measurer() {
    return std::make_unique<MeasureBy>(
        [gate = shared_from_this()](const std::filesystem::path& file) {
          return gate->Pass(file);
        });
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

  // Waits until the gate has been asked for `files` files; false if that did not happen within
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

}  // namespace drops_test
