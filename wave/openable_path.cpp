#include "wave/openable_path.h"

#include <windows.h>

namespace wave {

std::wstring OpenableForm(const std::filesystem::path& path) {
  if (path.native().size() < MAX_PATH || !path.is_absolute()) return path.native();
  std::wstring normal = path.lexically_normal().make_preferred().native();
  if (normal.starts_with(LR"(\\?\)")) return normal;
  if (normal.starts_with(LR"(\\)")) return LR"(\\?\UNC\)" + normal.substr(2);
  return LR"(\\?\)" + normal;
}

}  // namespace wave
