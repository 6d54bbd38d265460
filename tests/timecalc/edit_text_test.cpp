// The text bridge: what the totaliser sees of an edit box's text and of a cursor position, for
// edit boxes that write a line break as LF (Qt) and as CR LF (Windows).
#include "timecalc/edit_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>

namespace {

using timecalc::LineBreak;

struct BytesCase {
  const char* name;
  std::u16string text;
  LineBreak lineBreak;
  std::string bytes;
};

void PrintTo(const BytesCase& bytes, std::ostream* out) { *out << bytes.name; }

class ToListBytesTest : public testing::TestWithParam<BytesCase> {};

TEST_P(ToListBytesTest, GivesTheBytesTheTotaliserReads) {
  EXPECT_EQ(timecalc::ToListBytes(GetParam().text, GetParam().lineBreak), GetParam().bytes);
}

// A kept buffer that held a longer text before gives the same bytes, none of the old ones.
TEST_P(ToListBytesTest, GivesTheSameBytesThroughAKeptBuffer) {
  const BytesCase& c = GetParam();
  timecalc::ListBytesBuffer buffer;
  buffer.Convert(u"\u5408\u8a08 9:59.59\n\U0001F600\r\n12:00.00 and a longer line", c.lineBreak, 0,
                 0);
  const timecalc::ListBytesBuffer::View all =
      buffer.Convert(c.text, c.lineBreak, 0, static_cast<std::int64_t>(c.text.size()));
  EXPECT_EQ(all.bytes, c.bytes);
  EXPECT_EQ(all.start, 0);
  EXPECT_EQ(all.end, static_cast<std::int64_t>(c.bytes.size()));
}

constexpr LineBreak kLf = LineBreak::kLf;
constexpr LineBreak kCrLf = LineBreak::kCrLf;

INSTANTIATE_TEST_SUITE_P(
    Texts, ToListBytesTest,
    testing::Values(
        BytesCase{"Empty", u"", kLf, ""}, BytesCase{"OneLine", u"1:05.08", kLf, "1:05.08"},
        BytesCase{"LineBreaksBecomeCrLf", u"1:05.08\n0:42.30", kLf, "1:05.08\r\n0:42.30"},
        BytesCase{"LeadingAndTrailingBreaks", u"\n1\n", kLf, "\r\n1\r\n"},
        BytesCase{"EmptyLines", u"\n\n", kLf, "\r\n\r\n"},
        BytesCase{"Latin1", u"\u00e9t\u00e9", kLf, "\xc3\xa9t\xc3\xa9"},
        BytesCase{"Japanese", u"\u5408\u8a08 1:00", kLf, "\xe5\x90\x88\xe8\xa8\x88 1:00"},
        BytesCase{"HalfWidthKatakana", u"\uff8a\uff9e", kLf, "\xef\xbe\x8a\xef\xbe\x9e"},
        BytesCase{"EmojiIsOneFourByteCharacter", u"\U0001F600\n", kLf, "\xf0\x9f\x98\x80\r\n"},
        BytesCase{"LoneHighSurrogate", std::u16string{u'a', 0xd83d, u'b'}, kLf,
                  "a\xef\xbf\xbd"
                  "b"},
        BytesCase{"LoneLowSurrogate", std::u16string{0xde00, u'1'}, kLf,
                  "\xef\xbf\xbd"
                  "1"},
        BytesCase{"HighSurrogateAtTheEnd", std::u16string{u'1', 0xd83d}, kLf, "1\xef\xbf\xbd"},
        BytesCase{"LoneCarriageReturnStaysInItsLine", u"1\r2", kLf, "1\r2"},
        // A Windows edit box already writes what the totaliser reads; lone CR and LF stay put.
        BytesCase{"CrLfTextIsKept", u"1:05.08\r\n0:42.30\r\n", kCrLf, "1:05.08\r\n0:42.30\r\n"},
        BytesCase{"CrLfLoneLineFeedIsNoBreak", u"1\n2\r3", kCrLf, "1\n2\r3"},
        BytesCase{"CrLfJapaneseAndEmoji", u"\u66f2\r\n\U0001F3B5", kCrLf,
                  "\xe6\x9b\xb2\r\n\xf0\x9f\x8e\xb5"},
        // Runs of ASCII longer than the stretches copied at once, broken anywhere.
        BytesCase{"LongLines", u"0:03.25[track 01.wav]\n12:30.00\n\n0:00.45 \n", kLf,
                  "0:03.25[track 01.wav]\r\n12:30.00\r\n\r\n0:00.45 \r\n"},
        BytesCase{"CrLfLongLinesWithOthersInside",
                  u"0:03.25[caf\u00e9 take 1]\r\n12:30.00[\U0001F3B5 \u66f2]\r\n1234567\u00ff",
                  kCrLf,
                  "0:03.25[caf\xc3\xa9 take 1]\r\n12:30.00[\xf0\x9f\x8e\xb5 "
                  "\xe6\x9b\xb2]\r\n1234567\xc3\xbf"}),
    [](const testing::TestParamInfo<BytesCase>& info) { return std::string(info.param.name); });

struct OffsetCase {
  const char* name;
  std::u16string text;
  LineBreak lineBreak;
  std::int64_t position;
  std::int64_t offset;
};

void PrintTo(const OffsetCase& offset, std::ostream* out) { *out << offset.name; }

class ToListByteOffsetTest : public testing::TestWithParam<OffsetCase> {};

TEST_P(ToListByteOffsetTest, MapsTheCursorPositionToTheByteOffset) {
  const OffsetCase& c = GetParam();
  EXPECT_EQ(timecalc::ToListByteOffset(c.text, c.lineBreak, c.position), c.offset);
}

INSTANTIATE_TEST_SUITE_P(
    Positions, ToListByteOffsetTest,
    testing::Values(OffsetCase{"StartOfEmptyText", u"", kLf, 0, 0},
                    OffsetCase{"InsideAsciiLine", u"1:05.08", kLf, 2, 2},
                    OffsetCase{"EndOfText", u"1:05.08", kLf, 7, 7},
                    OffsetCase{"JustBeforeLineBreak", u"1\n2", kLf, 1, 1},
                    OffsetCase{"JustAfterLineBreak", u"1\n2", kLf, 2, 3},
                    OffsetCase{"AfterTwoLineBreaks", u"\n\n2", kLf, 2, 4},
                    OffsetCase{"AfterTrailingLineBreak", u"1\n", kLf, 2, 3},
                    OffsetCase{"AfterJapanese", u"\u5408\u8a08\n1", kLf, 2, 6},
                    OffsetCase{"NextLineAfterJapanese", u"\u5408\u8a08\n1", kLf, 3, 8},
                    OffsetCase{"AfterEmoji",
                               u"\U0001F600"
                               u"1",
                               kLf, 2, 4},
                    OffsetCase{"InsideEmojiStaysBeforeIt", u"a\U0001F600", kLf, 2, 1},
                    OffsetCase{"AfterLoneSurrogate", std::u16string{0xd83d, u'1'}, kLf, 1, 3},
                    OffsetCase{"BeforeTheText", u"12", kLf, -5, 0},
                    OffsetCase{"PastTheEndIsClamped", u"1\n2", kLf, 99, 4},
                    // Windows counts a line break as two positions, as the bytes do.
                    OffsetCase{"CrLfAfterLineBreak", u"1\r\n2", kCrLf, 3, 3},
                    OffsetCase{"CrLfNextLineAfterJapanese", u"\u5408\u8a08\r\n1", kCrLf, 4, 8},
                    OffsetCase{"CrLfPastTheEndIsClamped", u"1\r\n2", kCrLf, 99, 4}),
    [](const testing::TestParamInfo<OffsetCase>& info) { return std::string(info.param.name); });

// Every position that does not split a character must land exactly where the bytes of the text
// before it end, in a text that mixes every kind of character next to line breaks.
TEST(ToListByteOffsetTest, AgreesWithTheBytesOfEveryPrefix) {
  std::u16string text =
      u"\n\u5408\u8a08\r\n\U0001F600\n\U0001F600\u00e9\n\n1:05.08\u0300\n0:42.30 [take 2]\r\n";
  text += char16_t{0xd83d};
  for (const LineBreak lineBreak : {kLf, kCrLf}) {
    const std::string bytes = timecalc::ToListBytes(text, lineBreak);
    for (std::size_t position = 0; position <= text.size(); ++position) {
      if (position > 0 && position < text.size() && text[position - 1] >= 0xd800 &&
          text[position - 1] <= 0xdbff && text[position] >= 0xdc00 && text[position] <= 0xdfff) {
        continue;
      }
      const std::string prefix =
          timecalc::ToListBytes(std::u16string_view(text).substr(0, position), lineBreak);
      const std::int64_t offset =
          timecalc::ToListByteOffset(text, lineBreak, static_cast<std::int64_t>(position));
      ASSERT_EQ(offset, static_cast<std::int64_t>(prefix.size())) << "position " << position;
      EXPECT_EQ(bytes.compare(0, prefix.size(), prefix), 0) << "position " << position;
    }
  }
}

// Both ends of a selection, in either order and wherever they fall (inside a surrogate pair too),
// map as each position does alone, and the bytes stay those of the whole text.
TEST(ToListBytesTest, MapsEveryPairOfPositionsAsEachAlone) {
  std::u16string text = u"1\U0001F600\n\u00e9\r\n1:05.08 [a]\n\U0001F600\U0001F600:2";
  text += char16_t{0xdbff};
  const auto size = static_cast<std::int64_t>(text.size());
  timecalc::ListBytesBuffer buffer;
  for (const LineBreak lineBreak : {kLf, kCrLf}) {
    const std::string bytes = timecalc::ToListBytes(text, lineBreak);
    for (std::int64_t start = -1; start <= size + 1; ++start) {
      for (std::int64_t end = -1; end <= size + 1; ++end) {
        const timecalc::ListBytesBuffer::View view = buffer.Convert(text, lineBreak, start, end);
        ASSERT_EQ(view.bytes, bytes);
        EXPECT_EQ(view.start, timecalc::ToListByteOffset(text, lineBreak, start)) << start;
        EXPECT_EQ(view.end, timecalc::ToListByteOffset(text, lineBreak, end)) << end;
      }
    }
  }
}

TEST(ToListBytesTest, GivesBothSelectionEndsInOnePass) {
  const timecalc::EditBytes both = timecalc::ToListBytes(u"\u66f2\n1:05.08", kLf, 2, 9);
  EXPECT_EQ(both.bytes, "\xe6\x9b\xb2\r\n1:05.08");
  EXPECT_EQ(both.start, 5);
  EXPECT_EQ(both.end, 12);
}

}  // namespace
