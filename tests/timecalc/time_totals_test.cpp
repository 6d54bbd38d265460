// Reading lines, adding up lists and selections, and showing durations.
#include "timecalc/time_totals.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

namespace timecalc {
namespace {

constexpr SecondCount kMax = std::numeric_limits<SecondCount>::max();

struct LineCase {
  std::string_view line;
  SecondCount seconds;
  std::string_view shown;
};

class SingleLine : public testing::TestWithParam<LineCase> {};

TEST_P(SingleLine, TotalsToItsDurationAndShowsIt) {
  const LineCase& c = GetParam();
  const Totals totals = ComputeTotals(c.line, 0, 0);
  EXPECT_EQ(totals.all, c.seconds);
  EXPECT_EQ(totals.selection, 0);
  EXPECT_EQ(FormatSeconds(totals.all), c.shown);
  // The whole line selected totals the same as the list.
  EXPECT_EQ(ComputeTotals(c.line, 0, static_cast<std::int64_t>(c.line.size())).selection,
            c.seconds);
}

INSTANTIATE_TEST_SUITE_P(
    Grammar, SingleLine,
    testing::Values(LineCase{"1:05.08", 3908, "1:05.08"},
                    LineCase{"90", 90, "0:01.30"},         // seconds only
                    LineCase{"5.30", 330, "0:05.30"},      // no colon: no hours
                    LineCase{"1:30", 3630, "1:00.30"},     // no point: the rest is seconds
                    LineCase{"1:2.3.4", 3754, "1:02.34"},  // seconds keep the digits of 3.4
                    LineCase{"0:75.99", 4599, "1:16.39"},  // no range limits
                    LineCase{"0:03.25[track 01.wav]", 205, "0:03.25"},
                    LineCase{"[note]1:00.00", 0, "0:00.00"},      // the label eats the time
                    LineCase{"?:??.??[gone.mp3]", 0, "0:00.00"},  // a file not measured
                    LineCase{"1:00.00[", 3600, "1:00.00"},        // unclosed: just a non-digit
                    LineCase{"1:00.00]x[9", 3600, "1:00.00"},     // "]" before "[" still closes
                    LineCase{"1 :0 5.0 8", 3908, "1:05.08"},
                    LineCase{"-1:05.08", 3908, "1:05.08"},           // no negative fields
                    LineCase{"\xef\xbc\x91:05.08", 308, "0:05.08"},  // full-width 1 is no digit
                    LineCase{"1:05.0\r8", 3908, "1:05.08"},          // a lone CR stays in the line
                    LineCase{"1:05.0\n8", 3908, "1:05.08"},          // so does a lone LF
                    LineCase{std::string_view("1:0\0"
                                              "5.08",
                                              8),
                             3908, "1:05.08"},
                    LineCase{"", 0, "0:00.00"}, LineCase{"abc", 0, "0:00.00"},
                    LineCase{"100:00.00", 360000, "100:00.00"}));

struct ListCase {
  const char* name;
  std::string_view text;
  std::int64_t selStart;
  std::int64_t selEnd;
  SecondCount all;
  SecondCount selection;
};

class List : public testing::TestWithParam<ListCase> {};

TEST_P(List, TotalsEveryLineAndTheSelection) {
  const ListCase& c = GetParam();
  const Totals totals = ComputeTotals(c.text, c.selStart, c.selEnd);
  EXPECT_EQ(totals.all, c.all);
  EXPECT_EQ(totals.selection, c.selection);
}

INSTANTIATE_TEST_SUITE_P(
    TextsAndSelections, List,
    testing::Values(ListCase{"Empty", "", 0, 0, 0, 0},
                    ListCase{"OnlyLineBreaks", "\r\n\r\n\r\n", 0, 6, 0, 0},
                    ListCase{"TrailingBreakAddsNoLine", "1:00.00\r\n", 0, 9, 3600, 3600},
                    ListCase{"TwoLines", "1:05.08\r\n0:03.25[a.wav]\r\n", 0, 0, 4113, 0},
                    ListCase{"SelectionInsideALine", "1:05.08", 2, 7, 3908, 308},
                    // The selection reads "08" CR LF "0:03.": 8 seconds and 3 minutes.
                    ListCase{"SelectionAcrossLines", "1:05.08\r\n0:03.25", 5, 14, 4113, 8 + 180},
                    ListCase{"SelectionFromTheMiddleOfABreak", "1:00.00\r\n30", 8, 11, 3630, 30},
                    ListCase{"SelectionEndCutAtTheEnd", "1:00.00\r\n30", 9, 1000, 3630, 30},
                    ListCase{"SelectionStartPastTheEnd", "1:00.00", 8, 12, 3600, 0},
                    ListCase{"SelectionStartAtTheEnd", "1:00.00", 7, 12, 3600, 0},
                    ListCase{"ReversedSelection", "1:00.00", 5, 2, 3600, 0},
                    ListCase{"NegativeSelectionStart", "1:00.00", -1, 4, 3600, 0},
                    ListCase{"ExtremeSelectionBounds", "1:00.00",
                             std::numeric_limits<std::int64_t>::min(),
                             std::numeric_limits<std::int64_t>::max(), 3600, 0},
                    ListCase{"BreakMadeOfCrCrLf", "1:00.00\r\r\n30", 0, 0, 3630, 0},
                    ListCase{"LoneLineFeedsDoNotSplit", "1:00\n30", 0, 0, 3600 + 30, 0}),
    [](const testing::TestParamInfo<ListCase>& info) { return std::string(info.param.name); });

TEST(Totals, SaturateInsteadOfOverflowing) {
  // 596,524 hours overflowed 32 bits; these overflow 64 bits in every field and in the sum.
  const std::string hugeHours = std::string(25, '9') + ":00.00";
  EXPECT_EQ(ComputeTotals(hugeHours, 0, 0).all, kMax);
  EXPECT_EQ(ComputeTotals("2562047788015216:00.00", 0, 0).all, kMax);   // 3600x past the top
  EXPECT_EQ(ComputeTotals("0:153722867280912931.00", 0, 0).all, kMax);  // 60x past the top
  const std::string twoHalves = "4611686018427387904\r\n4611686018427387904";
  EXPECT_EQ(ComputeTotals(twoHalves, 0, 0).all, kMax);
  // Just below the top still adds up exactly.
  EXPECT_EQ(ComputeTotals("9223372036854775806\r\n1", 0, 0).all, kMax);
  EXPECT_EQ(ComputeTotals("9223372036854775805\r\n1", 0, 0).all, kMax - 1);
  EXPECT_EQ(ComputeTotals("596524:00.00", 0, 0).all, SecondCount{596524} * 3600);
}

TEST(FormatSeconds, ShowsHoursUnpaddedAndMinutesAndSecondsInTwoDigits) {
  const std::pair<SecondCount, std::string_view> cases[] = {
      {0, "0:00.00"},
      {59, "0:00.59"},
      {60, "0:01.00"},
      {3599, "0:59.59"},
      {3908, "1:05.08"},
      {360000, "100:00.00"},
      {kMax, "2562047788015215:30.07"},
  };
  for (const auto& [seconds, shown] : cases) EXPECT_EQ(FormatSeconds(seconds), shown) << seconds;
}

TEST(KeepDigits, RemovesEveryOtherByteInPlace) {
  const std::pair<std::string_view, std::string_view> cases[] = {
      {"1 :0 5", "105"},
      {"-12", "12"},
      {"abc", ""},
      {"", ""},
      {"\x81\x39\xff"
       "0",
       "90"},
      {"007", "007"},
  };
  for (const auto& [field, digits] : cases) {
    CTextBuffer b;
    b.Assign(field.data(), static_cast<std::int32_t>(field.size()));
    KeepDigits(b);
    EXPECT_EQ(b.View(), digits) << field;
  }
}

TEST(ParseTimeLine, ReadsATextBufferLikeText) {
  EXPECT_EQ(ParseTimeLine(CTextBuffer("0:03.25[track 01.wav]")), 205);
  EXPECT_EQ(ParseTimeLine(CTextBuffer("1:2.3.4")), 3754);
}

}  // namespace
}  // namespace timecalc
