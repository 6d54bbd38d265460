// Play length of Ogg files, chained ones among them: several logical bitstreams one after another,
// as stream recorders write them and `cat` makes them. FFmpeg's Ogg reader sees only the first
// chain's headers and takes the granule at the end of the file for the whole, so the chains are
// measured here one by one from their own pages: the codec headers at each chain's start and the
// last granule positions before its end. Chain boundaries are found by bisection over byte offsets,
// so a file of any size costs a few dozen small reads.
#pragma once

#include <cstdint>
#include <optional>

#include "io/source.h"

namespace readers {

// The most an intact file makes ChainedOggMicros read; past it, it gives up.
inline constexpr std::int64_t kOggChainReadBudget = 1024 * 1024;

// Microseconds of play of the Ogg data that starts at `start` of `file` (behind any ID3v2 tag):
// its chains added up, one or many, each as long as the longest of its Vorbis, Opus, FLAC, Speex
// and Theora streams. A chain cut short counts up to its last complete page; a last page whose
// granule position its packets cannot have reached counts as damaged, and the page before it
// decides. nullopt when the data does not start with an Ogg stream's first page, has a chain with
// none of those codecs or whose start is lost, states a length it cannot hold, or would need more
// than kOggChainReadBudget bytes read: FFmpeg measures those.
std::optional<std::int64_t> ChainedOggMicros(const io::Source& file, std::int64_t start);

}  // namespace readers
