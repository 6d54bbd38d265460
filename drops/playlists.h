// Playlists and cue sheets dropped on their own (or named on the command line, sent to Tallimo or
// opened with it): each stands for the tracks it lists, a line each in the list's order, labelled
// with the list's name, the platform's separator and the entry's name. A track on disk is measured
// as a dropped file is; one elsewhere (a stream's URL) is never fetched and takes the length the
// list states. The list itself is read here, in the window's process, since the measuring process
// opens nothing by name: through io::File (a regular file only, never waiting on a pipe) and
// within limits that bound what any list can cost, the lists nested in it included.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "drops/folder_walk.h"
#include "drops/playlist_parser.h"

namespace drops {

// What one dropped list may cost, the lists nested in it included: the bytes read, the lines made,
// and the depth of lists in lists (the dropped list is the first level; a list deeper down is not
// read). What lies beyond is left out, and the list says so.
struct ListLimits {
  std::int64_t bytes = std::int64_t{64} << 20;
  std::size_t lines = std::size_t{1} << 20;
  int depth = 8;
};

// One line that a list stands for.
struct ListedLine {
  std::u16string label{};
  // The file whose measured length the line shows; none when its length is known already:
  // `seconds`, or not measured at all when that is empty too.
  std::optional<std::filesystem::path> measure{};
  std::optional<std::int64_t> seconds{};
  // A cue sheet's last track of its FILE: it lasts the measured file's length from this frame on.
  std::optional<std::int64_t> toEndFrom{};
  friend bool operator==(const ListedLine&, const ListedLine&) = default;
};

// The lines of the list `list` in `format`, whose own line would show `label`; at least one:
//  - an entry on disk is measured; one that is itself a list (by its name) is expanded in its
//    place, its entries labelled after its own label, unless it is one of the lists being
//    expanded (a list naming itself or a list around it) or lies deeper than the limit, which
//    then show as not measured;
//  - an entry elsewhere takes the length the list states, or shows as not measured;
//  - a cue sheet's track takes its length from its indexes, or from its file's measured length
//    (toEndFrom).
// A list that cannot be opened as a regular file shows as one line, not measured; one without
// entries as one line of 0 s; one of which something was left out ends in a line with its own
// label, not measured, so that a total that leaves something out says so. `keepGoing` is asked
// with the count of lines so far, before each entry and each piece read; false stops, with the
// lines made so far.
std::vector<ListedLine> ExpandList(const std::filesystem::path& list, ListFormat format,
                                   const std::u16string& label, const KeepWalking& keepGoing,
                                   const ListLimits& limits = {});

// How long a cue sheet's track from `fromFrame` to the end of its file lasts, the file having
// measured `fileSeconds` (whole seconds, rounded down): none when the file was not measured or the
// track starts after its end.
std::optional<std::int64_t> SecondsToEnd(std::optional<std::int64_t> fileSeconds,
                                         std::int64_t fromFrame);

}  // namespace drops
