// Feeds the readers of playlists and cue sheets arbitrary text: whatever a list holds, reading it
// must not crash or trip a sanitizer, keep more entries than allowed or a location longer than a
// line, and it must come out the same whether the text arrives whole or in pieces, as it is read
// from a file.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "drops/playlist_parser.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The first byte chooses the format, the second the size of the pieces and the third the most
  // entries kept; the rest is the text.
  constexpr std::size_t kControlBytes = 3;
  if (size < kControlBytes) return 0;
  constexpr drops::ListFormat kFormats[] = {drops::ListFormat::kM3u, drops::ListFormat::kM3u8,
                                            drops::ListFormat::kPls, drops::ListFormat::kXspf,
                                            drops::ListFormat::kCue};
  const drops::ListFormat format = kFormats[data[0] % std::size(kFormats)];
  const std::size_t piece = std::size_t{data[1]} + 1;
  const std::size_t maxEntries = data[2];
  const std::string_view text(reinterpret_cast<const char*>(data + kControlBytes),
                              size - kControlBytes);

  const drops::ParsedList whole = drops::ParseList(format, text, maxEntries);
  drops::ListParser parser(format, maxEntries);
  for (std::size_t at = 0; at < text.size(); at += piece) parser.Feed(text.substr(at, piece));
  if (!(parser.Finish() == whole)) __builtin_trap();

  if (whole.entries.size() > maxEntries) __builtin_trap();
  for (const drops::ListEntry& entry : whole.entries) {
    if (entry.location.size() > drops::kMaxListLine) __builtin_trap();
    if (entry.seconds && *entry.seconds < 0) __builtin_trap();
    if (entry.toEndFrom && (*entry.toEndFrom < 0 || !entry.track)) __builtin_trap();
  }
  return 0;
}
