// Reads split into the stretches already kept, copied, and the gaps between them, read from the
// file and kept in turn.
#include "readers/read_once.h"

#include <algorithm>
#include <iterator>

namespace readers {

std::int64_t ReadOnceSource::ReadAt(std::int64_t offset, std::span<std::uint8_t> into) const {
  if (offset < 0) return -1;
  const std::int64_t end = std::min(offset + static_cast<std::int64_t>(into.size()), Size());
  std::int64_t pos = offset;
  while (pos < end) {
    // The stretch that holds `pos`, else the first one after it.
    auto next = m_kept.upper_bound(pos);
    if (next != m_kept.begin()) {
      const auto& [start, bytes] = *std::prev(next);
      const std::int64_t kept_end = start + static_cast<std::int64_t>(bytes.size());
      if (pos < kept_end) {
        const std::int64_t until = std::min(end, kept_end);
        std::copy(bytes.begin() + (pos - start), bytes.begin() + (until - start),
                  into.begin() + (pos - offset));
        pos = until;
        continue;
      }
    }
    const std::int64_t gap_end = next == m_kept.end() ? end : std::min(end, next->first);
    const auto gap = into.subspan(static_cast<std::size_t>(pos - offset),
                                  static_cast<std::size_t>(gap_end - pos));
    const std::int64_t got = m_file.ReadAt(pos, gap);
    if (got < 0) return pos > offset ? pos - offset : -1;
    Keep(pos, gap.first(static_cast<std::size_t>(got)));
    pos += got;
    if (got < static_cast<std::int64_t>(gap.size())) break;
  }
  return pos - offset;
}

void ReadOnceSource::Keep(std::int64_t offset, std::span<const std::uint8_t> bytes) const {
  if (bytes.empty()) return;
  const std::int64_t end = offset + static_cast<std::int64_t>(bytes.size());
  auto at = m_kept.lower_bound(offset);
  const auto ends_here = [offset](const auto& kept) {
    return kept.first + static_cast<std::int64_t>(kept.second.size()) == offset;
  };
  // Joined to the stretch before when it ends where these start.
  if (at != m_kept.begin() && ends_here(*std::prev(at))) {
    at = std::prev(at);
    at->second.insert(at->second.end(), bytes.begin(), bytes.end());
  } else {
    at = m_kept.emplace_hint(at, offset, std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
  }
  // And the stretch after joined to them when it starts where they end.
  if (const auto after = std::next(at); after != m_kept.end() && after->first == end) {
    at->second.insert(at->second.end(), after->second.begin(), after->second.end());
    m_kept.erase(after);
  }
}

}  // namespace readers
