// The play length of a Matroska or WebM file from its clusters, read by hopping from element header
// to element header: a film of gigabytes costs a few kilobytes, wherever its index lies and
// whether or not it has one.
#pragma once

#include <cstdint>
#include <optional>

#include "io/source.h"

namespace readers {

// Microseconds from the first cluster's timestamp to the end of the last audio or video block in
// the file whose EBML header starts at `start`. Where timestamps start again from a lower value
// (segments written one after another, a recorder restarted), the runs are added up. nullopt when
// the file's structure cannot be followed.
std::optional<std::int64_t> MatroskaPlayMicros(const io::Source& file, std::int64_t start);

}  // namespace readers
