// The progress window's count and bar position.
#include "drops/progress.h"

#include <limits>

namespace drops {
namespace {

std::u16string Digits(std::size_t number) {
  const std::string digits = std::to_string(number);
  return std::u16string(digits.begin(), digits.end());
}

int BarPosition(std::size_t done, std::size_t total) {
  if (total == 0) return 0;
  if (done >= total) return kProgressBarEnd;
  constexpr std::size_t kLargest = std::numeric_limits<std::size_t>::max() / kProgressBarEnd;
  // done * end / total would overflow only for counts no drop reaches; scaling the total down
  // first then keeps the bar short of full until the last file.
  if (total <= kLargest) return static_cast<int>(done * kProgressBarEnd / total);
  return static_cast<int>(done / (total / kProgressBarEnd + 1));
}

}  // namespace

ProgressDisplay DescribeProgress(std::size_t done, std::size_t total) {
  return {Digits(done) + u" / " + Digits(total), BarPosition(done, total)};
}

}  // namespace drops
