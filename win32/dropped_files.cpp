// Measuring dropped files on the window's own thread.
#include "win32/dropped_files.h"

#include <filesystem>

#include "media/play_length.h"
#include "timecalc/dropped_lines.h"
#include "win32/window_ops.h"

std::vector<std::u16string> MeasureDroppedFiles(const std::vector<std::u16string>& paths) {
  const win32::WaitCursor busy;
  std::vector<std::u16string> lines;
  lines.reserve(paths.size());
  for (const std::u16string& path : paths) {
    // Built from the UTF-16 name, so names outside the ANSI code page open too.
    const std::filesystem::path file(std::wstring(win32::Wide(path), path.size()));
    lines.push_back(timecalc::DroppedFileLine(path, media::GetPlaySeconds(file)));
  }
  return lines;
}
