// Tracker modules written byte by byte for the tests, as no tool at hand writes them: a
// ProTracker MOD and a FastTracker 2 XM without samples, whose play length follows from their
// speed, tempo and order list alone. A row lasts `speed` ticks of 2.5 / `tempo` seconds each.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

namespace readers_test {

struct Song {
  int speed;          // ticks a row, 1 to 31
  int tempo;          // beats a minute, 32 to 255
  int rows;           // rows of each pattern (a MOD's are 64)
  int orders;         // patterns played one after the other, each its own
  bool loop = false;  // whether the last row jumps back to the first, as songs for games do
};

namespace module_detail {

inline std::string BigEndian16(int value) {
  return {static_cast<char>(value >> 8), static_cast<char>(value)};
}
inline std::string LittleEndian16(int value) {
  return {static_cast<char>(value), static_cast<char>(value >> 8)};
}

}  // namespace module_detail

// Four channels, "M.K.", 31 empty sample slots. The first row of the first pattern sets the speed
// and the tempo (effect F below 32 and from 32 on); a loop is a jump to order 0 (effect B).
inline std::string ModBytes(const Song& song) {
  using module_detail::BigEndian16;
  constexpr int kChannels = 4;
  constexpr int kRows = 64;
  std::string bytes(20, '\0');  // the title
  for (int sample = 0; sample < 31; ++sample) {
    // Name, length in words, finetune, volume, loop start, loop length of one word: empty.
    bytes +=
        std::string(22, '\0') + BigEndian16(0) + '\0' + char{64} + BigEndian16(0) + BigEndian16(1);
  }
  std::string orders(128, '\0');
  for (int order = 0; order < song.orders; ++order) orders[order] = static_cast<char>(order);
  bytes += static_cast<char>(song.orders) + std::string(1, '\x7F') + orders + "M.K.";
  for (int pattern = 0; pattern < song.orders; ++pattern) {
    // Each cell: sample and period in its first two bytes and a half, then effect and value.
    std::string cells(kRows * kChannels * 4, '\0');
    const auto effect = [&cells](int row, int channel, int type, int value) {
      cells[(row * kChannels + channel) * 4 + 2] = static_cast<char>(type);
      cells[(row * kChannels + channel) * 4 + 3] = static_cast<char>(value);
    };
    if (pattern == 0) {
      effect(0, 0, 0xF, song.speed);
      effect(0, 1, 0xF, song.tempo);
    }
    if (song.loop && pattern == song.orders - 1) effect(kRows - 1, 2, 0xB, 0);
    bytes += cells;
  }
  return bytes;
}

// Two channels, no instruments; the header sets the speed and the tempo.
inline std::string XmBytes(const Song& song) {
  using module_detail::LittleEndian16;
  constexpr int kChannels = 2;
  std::string orders(256, '\0');
  for (int order = 0; order < song.orders; ++order) orders[order] = static_cast<char>(order);
  std::string bytes = "Extended Module: " + std::string(20, '\0') + '\x1A' + std::string(20, '\0') +
                      LittleEndian16(0x0104) +
                      // The size of the header from here on: itself, eight fields, the orders.
                      LittleEndian16(276) + LittleEndian16(0) + LittleEndian16(song.orders) +
                      LittleEndian16(0) + LittleEndian16(kChannels) + LittleEndian16(song.orders) +
                      LittleEndian16(0) + LittleEndian16(1) + LittleEndian16(song.speed) +
                      LittleEndian16(song.tempo) + orders;
  for (int pattern = 0; pattern < song.orders; ++pattern) {
    // Packed cells: 0x80 alone is an empty one; 0x98 says an effect and its value follow.
    std::string cells;
    for (int row = 0; row < song.rows; ++row) {
      const bool jump = song.loop && pattern == song.orders - 1 && row == song.rows - 1;
      cells += jump ? std::string("\x98\x0B\x00", 3) : std::string("\x80");
      cells += '\x80';
    }
    // Header length, packing type, rows, packed size.
    bytes += LittleEndian16(9) + LittleEndian16(0) + '\0' + LittleEndian16(song.rows) +
             LittleEndian16(static_cast<int>(cells.size())) + cells;
  }
  return bytes;
}

inline void WriteModule(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

}  // namespace readers_test
