// The channel on Windows: a named pipe on standard input and output; each request carries the
// number of a handle that the window's process duplicated into this one.
#include <windows.h>

#include <array>
#include <filesystem>
#include <string>

#include "measure/channel.h"
#include "measure/protocol.h"

namespace measure {
namespace {

bool ReadExactly(std::span<std::uint8_t> into) {
  const HANDLE in = ::GetStdHandle(STD_INPUT_HANDLE);
  for (std::size_t done = 0; done < into.size();) {
    DWORD got = 0;
    if (!::ReadFile(in, into.data() + done, static_cast<DWORD>(into.size() - done), &got,
                    nullptr) ||
        got == 0) {
      return false;
    }
    done += got;
  }
  return true;
}

}  // namespace

bool ReceiveRequest(Request& request) {
  request.file.reset();
  std::array<std::uint8_t, kRequestHeadBytes> head{};
  if (!ReadExactly(head)) return false;
  const auto decoded = DecodeRequestHead(head);
  if (!decoded) return false;
  std::string name(decoded->nameBytes, '\0');
  const auto handle = static_cast<std::intptr_t>(decoded->handle);
  if (!ReadExactly(std::span(reinterpret_cast<std::uint8_t*>(name.data()), name.size()))) {
    if (handle != 0) ::CloseHandle(reinterpret_cast<HANDLE>(handle));
    return false;
  }
  if (handle != 0) {
    request.file = io::File::Adopt(
        handle, std::filesystem::path(std::u8string(name.begin(), name.end())).filename());
  }
  return true;
}

bool SendToWindow(std::span<const std::uint8_t> bytes) {
  const HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
  DWORD written = 0;
  return ::WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
         written == bytes.size();
}

}  // namespace measure
