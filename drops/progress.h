// How the progress of dropped files still being measured reads in the progress window, written
// once for both shells: the count of files as "1234 / 10000", and the position of the bar.
#pragma once

#include <cstddef>
#include <string>

namespace drops {

// The bar runs from 0 to this, the range that a Windows progress bar starts with and that the Qt
// shell gives its bars too, so neither shell sets a range of its own.
inline constexpr int kProgressBarEnd = 100;

struct ProgressDisplay {
  std::u16string count;  // "done / total", plain digits
  int barPosition = 0;   // done of total on the scale 0 to kProgressBarEnd, rounded down
};

// `done` of `total` files measured. No files at all show an empty bar; more done than total (which
// the queue never reports) shows a full one.
ProgressDisplay DescribeProgress(std::size_t done, std::size_t total);

}  // namespace drops
