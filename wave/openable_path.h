// The form of a path that CreateFileW opens whatever its length: every reader of dropped files on
// Windows opens through it.
#pragma once

#include <filesystem>
#include <string>

namespace wave {

// Windows opens plain paths of MAX_PATH characters or more only when the program and the machine
// both opted in; the \\?\ form opens them everywhere. It takes the path as it stands, so it is only
// used for absolute paths, normalised and with backslashes.
std::wstring OpenableForm(const std::filesystem::path& path);

}  // namespace wave
