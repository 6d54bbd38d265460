// The standard streams of a Linux process: descriptors 0, 1 and 2, bytes as they are.
#include <unistd.h>

#include <cerrno>

#include "drops/terminal.h"

namespace drops {
namespace {

void WriteAll(int descriptor, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(descriptor, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    // A closed pipe ends the program through SIGPIPE, as it ends any filter; other errors leave
    // nothing to write to.
    if (written <= 0) return;
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
}

class PosixStreams final : public Terminal {
 public:
  void Write(std::string_view bytes) override { WriteAll(STDOUT_FILENO, bytes); }
  void WriteError(std::string_view text) override { WriteAll(STDERR_FILENO, text); }
  bool ShowsProgress() const override { return ::isatty(STDERR_FILENO) == 1; }
  std::string ReadInput() override {
    std::string input;
    char buffer[65536];
    for (;;) {
      const ssize_t read = ::read(STDIN_FILENO, buffer, sizeof buffer);
      if (read < 0 && errno == EINTR) continue;
      if (read <= 0) return input;
      input.append(buffer, static_cast<std::size_t>(read));
    }
  }
};

}  // namespace

std::unique_ptr<Terminal> StandardStreams() { return std::make_unique<PosixStreams>(); }

}  // namespace drops
