// How a drop session's worker measures files: tallimo-measure in a process of its own
// (MeasuringProcess), or whatever a test puts in its place.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>

namespace drops {

// What became of one file.
struct Measurement {
  // Whole seconds of play; empty when the file could not be measured: it could not be opened as a
  // regular file, or its measuring crashed, ran out of memory or time, or never started.
  std::optional<std::int64_t> seconds;
  // The measuring program is missing or cannot be started at all.
  bool noProgram = false;
  friend bool operator==(const Measurement&, const Measurement&) = default;
};

class Measurer {
 public:
  // The most files of a drop that Measure names ahead of the one it measures.
  static constexpr std::size_t kLookAhead = 7;

  virtual ~Measurer() = default;

  // A drop is likely to come soon (files are being dragged over the window): get ready for it.
  // Worker thread.
  virtual void Prepare() {}

  // The play length of `file`. `ahead` names the files of the same drop that come after it, for a
  // measurer that starts on them early (a cancel may still take them away). Worker thread.
  virtual Measurement Measure(const std::filesystem::path& file,
                              std::span<const std::filesystem::path> ahead) = 0;

  // No drop is left: the last file of a run of drops is measured, a cancel took them away, or a
  // Prepare brought no drop. Worker thread.
  virtual void Finish() {}

  // Abandons the file being measured at once, from any thread: the session is cancelled or ends.
  virtual void Interrupt() {}

 protected:
  Measurer() = default;
  Measurer(const Measurer&) = default;
  Measurer& operator=(const Measurer&) = default;
};

}  // namespace drops
