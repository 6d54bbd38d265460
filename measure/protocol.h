// What the window's process and tallimo-measure say to each other over their channel. Every
// message has a fixed layout in little-endian byte order, and every length is checked before
// anything is read by it: either side may be the one that went wrong.
//
// On Linux the channel is a socket on descriptor kChannelFd; on Windows a named pipe on standard
// input and output.
//
//   hello    measure -> window, once, when its limits and lock-down are in place:
//            u32 magic, u32 version
//   request  window -> measure, one per file: u32 magic, u32 name bytes, u64 handle, the name
//            (UTF-8, the file's name without its folder: it only tells the readers the extension).
//            On Linux the file's descriptor comes with the message and the handle is 0; on
//            Windows the handle is the file's HANDLE value, duplicated into the measuring process.
//   reply    measure -> window: u32 magic, u32 0, i64 whole seconds (never negative)
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "io/byte_order.h"

namespace measure {

// Changes whenever a message changes: a window never talks to a measuring program of another
// build's making, which would read its requests differently.
inline constexpr std::uint32_t kVersion = 1;
inline constexpr std::uint32_t kHelloMagic = 0x4f4c4548;    // "HELO"
inline constexpr std::uint32_t kRequestMagic = 0x53414d54;  // "TMAS"
inline constexpr std::uint32_t kReplyMagic = 0x4e455354;    // "TSEN"

// A file's name is at most 255 UTF-16 units on Windows, three bytes each in UTF-8.
inline constexpr std::size_t kMaxNameBytes = 1024;

inline constexpr std::size_t kHelloBytes = 8;
inline constexpr std::size_t kRequestHeadBytes = 16;
inline constexpr std::size_t kReplyBytes = 16;

// On Linux, the descriptor the measuring process finds its channel on.
inline constexpr int kChannelFd = 3;

namespace detail {

inline void Put(std::uint8_t* at, std::uint64_t value, std::size_t bytes) {
  io::PutLittleEndian({at, bytes}, value);
}
inline std::uint64_t Get(const std::uint8_t* at, std::size_t bytes) {
  return io::LittleEndian({at, bytes});
}

}  // namespace detail

inline std::array<std::uint8_t, kHelloBytes> EncodeHello() {
  std::array<std::uint8_t, kHelloBytes> bytes{};
  detail::Put(bytes.data(), kHelloMagic, 4);
  detail::Put(bytes.data() + 4, kVersion, 4);
  return bytes;
}
inline bool IsHello(std::span<const std::uint8_t, kHelloBytes> bytes) {
  return detail::Get(bytes.data(), 4) == kHelloMagic &&
         detail::Get(bytes.data() + 4, 4) == kVersion;
}

// The request for one file. A longer name keeps its end, where the extension is.
inline std::string EncodeRequest(std::uint64_t handle, std::string_view name) {
  if (name.size() > kMaxNameBytes) name = name.substr(name.size() - kMaxNameBytes);
  std::string bytes(kRequestHeadBytes + name.size(), '\0');
  auto* at = reinterpret_cast<std::uint8_t*>(bytes.data());
  detail::Put(at, kRequestMagic, 4);
  detail::Put(at + 4, name.size(), 4);
  detail::Put(at + 8, handle, 8);
  bytes.replace(kRequestHeadBytes, name.size(), name);
  return bytes;
}

struct RequestHead {
  std::size_t nameBytes = 0;
  std::uint64_t handle = 0;
};
// nullopt for anything but a request with a name of a length we accept.
inline std::optional<RequestHead> DecodeRequestHead(
    std::span<const std::uint8_t, kRequestHeadBytes> bytes) {
  const std::uint64_t nameBytes = detail::Get(bytes.data() + 4, 4);
  if (detail::Get(bytes.data(), 4) != kRequestMagic || nameBytes > kMaxNameBytes) {
    return std::nullopt;
  }
  return RequestHead{static_cast<std::size_t>(nameBytes), detail::Get(bytes.data() + 8, 8)};
}

inline std::array<std::uint8_t, kReplyBytes> EncodeReply(std::int64_t seconds) {
  std::array<std::uint8_t, kReplyBytes> bytes{};
  detail::Put(bytes.data(), kReplyMagic, 4);
  detail::Put(bytes.data() + 8, static_cast<std::uint64_t>(seconds < 0 ? 0 : seconds), 8);
  return bytes;
}
// nullopt for anything but a reply with a length a file can have.
inline std::optional<std::int64_t> DecodeReply(std::span<const std::uint8_t, kReplyBytes> bytes) {
  const auto seconds = static_cast<std::int64_t>(detail::Get(bytes.data() + 8, 8));
  if (detail::Get(bytes.data(), 4) != kReplyMagic || detail::Get(bytes.data() + 4, 4) != 0 ||
      seconds < 0) {
    return std::nullopt;
  }
  return seconds;
}

}  // namespace measure
