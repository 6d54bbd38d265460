// The misbehaving readers of the test build.
#include "measure/test_readers.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace measure {

namespace {

// Touches every page, so that the memory is really taken, until the cap ends the process.
[[noreturn]] void Hog() {
  constexpr std::size_t kBlock = std::size_t{64} << 20;
  std::vector<char*> kept;
  for (;;) {
    char* block = new char[kBlock];
    std::memset(block, 1, kBlock);
    kept.push_back(block);
  }
}

[[noreturn]] void Hang() {
  for (;;) std::this_thread::sleep_for(std::chrono::hours(1));
}

std::int64_t Probe() {
  std::int64_t seconds = 100;
  const char* target = std::getenv("TALLIMO_MEASURE_PROBE");
#ifdef _WIN32
  if (target) {
    const HANDLE file =
        ::CreateFileA(target, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      seconds += 1;
      ::CloseHandle(file);
    }
  }
#else
  if (target) {
    const int fd = ::open(target, O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
      seconds += 1;
      ::close(fd);
    }
  }
  const int sock = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (sock >= 0) {
    seconds += 2;
    ::close(sock);
  }
  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  if (child > 0) {
    seconds += 4;
    ::waitpid(child, nullptr, 0);
  }
#endif
  return seconds;
}

}  // namespace

void Crash() {
  volatile int* nowhere = nullptr;
  *nowhere = 1;
  std::abort();
}

StartFault TakeStartFault() {
  const char* script = std::getenv("TALLIMO_MEASURE_TEST_STARTS");
  if (!script) return StartFault::kNone;
  std::vector<std::string> words;
  {
    std::ifstream in(script);
    for (std::string word; in >> word;) words.push_back(word);
  }
  if (words.empty()) return StartFault::kNone;
  std::ofstream out(script, std::ios::trunc);
  for (std::size_t i = 1; i < words.size(); ++i) out << words[i] << '\n';
  return words.front() == "quit"    ? StartFault::kQuit
         : words.front() == "crash" ? StartFault::kCrash
                                    : StartFault::kNone;
}

std::optional<std::int64_t> RunTestReader(const std::filesystem::path& name) {
  const std::string text = name.string();
  if (text.starts_with("crash")) Crash();
  if (text.starts_with("hog")) Hog();
  if (text.starts_with("hang")) Hang();
  if (text.starts_with("probe")) return Probe();
  return std::nullopt;
}

}  // namespace measure
