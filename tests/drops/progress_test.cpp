// The progress window's count and bar, as both shells show them.
#include "drops/progress.h"

#include <gtest/gtest.h>

#include <limits>
#include <ostream>
#include <string>

namespace {

constexpr std::size_t kMost = std::numeric_limits<std::size_t>::max();

struct ProgressCase {
  const char* name;
  std::size_t done;
  std::size_t total;
  const char16_t* count;  // nullptr: not checked here
  int barPosition;
};

void PrintTo(const ProgressCase& c, std::ostream* out) { *out << c.name; }

class ProgressTest : public testing::TestWithParam<ProgressCase> {};

TEST_P(ProgressTest, ShowsTheCountAndTheBar) {
  const drops::ProgressDisplay shown = drops::DescribeProgress(GetParam().done, GetParam().total);
  if (GetParam().count) {
    EXPECT_EQ(shown.count, GetParam().count);
  }
  EXPECT_EQ(shown.barPosition, GetParam().barPosition);
}

INSTANTIATE_TEST_SUITE_P(
    Counts, ProgressTest,
    testing::Values(ProgressCase{"NothingDropped", 0, 0, u"0 / 0", 0},
                    ProgressCase{"NoneDoneYet", 0, 3, u"0 / 3", 0},
                    ProgressCase{"OneThird", 1, 3, u"1 / 3", 33},
                    ProgressCase{"TwoThirdsRoundDown", 2, 3, u"2 / 3", 66},
                    ProgressCase{"AllDone", 3, 3, u"3 / 3", 100},
                    ProgressCase{"LargeDrop", 1234, 10000, u"1234 / 10000", 12},
                    ProgressCase{"FullOnlyWithTheLastFile", 999999, 1000000, u"999999 / 1000000",
                                 99},
                    ProgressCase{"MoreDoneThanTotal", 5, 4, u"5 / 4", 100},
                    ProgressCase{"PlainDigitsWithoutSeparators", 1000000, 12345678901,
                                 u"1000000 / 12345678901", 0},
                    // Counts whose product with 100 does not fit: no wrap-around.
                    ProgressCase{"HalfOfTheLargestCount", kMost / 2, kMost, nullptr, 49},
                    ProgressCase{"OneShortOfTheLargestCount", kMost - 1, kMost, nullptr, 99},
                    ProgressCase{"LargestCountDone", kMost, kMost, nullptr, 100}),
    [](const testing::TestParamInfo<ProgressCase>& info) { return std::string(info.param.name); });

}  // namespace
