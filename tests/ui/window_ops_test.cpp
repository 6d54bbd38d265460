// The text bridge: what the totaliser sees of the edit box's text and of a cursor position.
#include "ui/window_ops.h"

#include <gtest/gtest.h>

#include <QString>
#include <cstdint>
#include <ostream>
#include <string>

namespace {

QString Utf16(const char16_t* units) { return QString::fromUtf16(units); }

struct BytesCase {
  const char* name;
  QString text;
  std::string bytes;
};

void PrintTo(const BytesCase& bytes, std::ostream* out) { *out << bytes.name; }

class ToCrLfUtf8Test : public testing::TestWithParam<BytesCase> {};

TEST_P(ToCrLfUtf8Test, GivesTheBytesTheTotaliserReads) {
  EXPECT_EQ(ui::ToCrLfUtf8(GetParam().text), GetParam().bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ToCrLfUtf8Test,
    testing::Values(
        BytesCase{"Empty", QString(), ""},
        BytesCase{"OneLine", QStringLiteral("1:05.08"), "1:05.08"},
        BytesCase{"LineBreaksBecomeCrLf", QStringLiteral("1:05.08\n0:42.30"), "1:05.08\r\n0:42.30"},
        BytesCase{"LeadingAndTrailingBreaks", QStringLiteral("\n1\n"), "\r\n1\r\n"},
        BytesCase{"EmptyLines", QStringLiteral("\n\n"), "\r\n\r\n"},
        BytesCase{"Latin1", Utf16(u"\u00e9t\u00e9"), "\xc3\xa9t\xc3\xa9"},
        BytesCase{"Japanese", Utf16(u"\u5408\u8a08 1:00"), "\xe5\x90\x88\xe8\xa8\x88 1:00"},
        BytesCase{"HalfWidthKatakana", Utf16(u"\uff8a\uff9e"), "\xef\xbe\x8a\xef\xbe\x9e"},
        BytesCase{"EmojiIsOneFourByteCharacter", Utf16(u"\U0001F600\n"), "\xf0\x9f\x98\x80\r\n"},
        BytesCase{"LoneHighSurrogate",
                  Utf16(u"a\xd83d"
                        u"b"),
                  "a\xef\xbf\xbd"
                  "b"},
        BytesCase{"LoneLowSurrogate",
                  Utf16(u"\xde00"
                        u"1"),
                  "\xef\xbf\xbd"
                  "1"},
        BytesCase{"HighSurrogateAtTheEnd", Utf16(u"1\xd83d"), "1\xef\xbf\xbd"},
        BytesCase{"LoneCarriageReturnStaysInItsLine", QStringLiteral("1\r2"), "1\r2"}),
    [](const testing::TestParamInfo<BytesCase>& info) { return std::string(info.param.name); });

struct OffsetCase {
  const char* name;
  QString text;
  qsizetype position;
  std::int64_t offset;
};

void PrintTo(const OffsetCase& offset, std::ostream* out) { *out << offset.name; }

class ToCrLfUtf8OffsetTest : public testing::TestWithParam<OffsetCase> {};

TEST_P(ToCrLfUtf8OffsetTest, MapsTheCursorPositionToTheByteOffset) {
  EXPECT_EQ(ui::ToCrLfUtf8Offset(GetParam().text, GetParam().position), GetParam().offset);
}

INSTANTIATE_TEST_SUITE_P(
    Positions, ToCrLfUtf8OffsetTest,
    testing::Values(OffsetCase{"StartOfEmptyText", QString(), 0, 0},
                    OffsetCase{"InsideAsciiLine", QStringLiteral("1:05.08"), 2, 2},
                    OffsetCase{"EndOfText", QStringLiteral("1:05.08"), 7, 7},
                    OffsetCase{"JustBeforeLineBreak", QStringLiteral("1\n2"), 1, 1},
                    OffsetCase{"JustAfterLineBreak", QStringLiteral("1\n2"), 2, 3},
                    OffsetCase{"AfterTwoLineBreaks", QStringLiteral("\n\n2"), 2, 4},
                    OffsetCase{"AfterTrailingLineBreak", QStringLiteral("1\n"), 2, 3},
                    OffsetCase{"AfterJapanese", Utf16(u"\u5408\u8a08\n1"), 2, 6},
                    OffsetCase{"NextLineAfterJapanese", Utf16(u"\u5408\u8a08\n1"), 3, 8},
                    OffsetCase{"AfterEmoji",
                               Utf16(u"\U0001F600"
                                     u"1"),
                               2, 4},
                    OffsetCase{"InsideEmojiStaysBeforeIt", Utf16(u"a\U0001F600"), 2, 1},
                    OffsetCase{"AfterLoneSurrogate",
                               Utf16(u"\xd83d"
                                     u"1"),
                               1, 3},
                    OffsetCase{"BeforeTheText", QStringLiteral("12"), -5, 0},
                    OffsetCase{"PastTheEndIsClamped", QStringLiteral("1\n2"), 99, 4}),
    [](const testing::TestParamInfo<OffsetCase>& info) { return std::string(info.param.name); });

// Every position that does not split a character must land exactly where the bytes of the text
// before it end, in a text that mixes every kind of character next to line breaks.
TEST(ToCrLfUtf8OffsetTest, AgreesWithTheBytesOfEveryPrefix) {
  const QString text =
      Utf16(u"\n\u5408\u8a08\n\U0001F600\n\U0001F600\u00e9\n\n1:05.08\u0300\n\xd83d");
  const std::string bytes = ui::ToCrLfUtf8(text);
  for (qsizetype position = 0; position <= text.size(); ++position) {
    if (position > 0 && position < text.size() && text[position - 1].isHighSurrogate() &&
        text[position].isLowSurrogate()) {
      continue;
    }
    const std::string prefix = ui::ToCrLfUtf8(QStringView(text).left(position));
    const std::int64_t offset = ui::ToCrLfUtf8Offset(text, position);
    ASSERT_EQ(offset, static_cast<std::int64_t>(prefix.size())) << "position " << position;
    EXPECT_EQ(bytes.compare(0, prefix.size(), prefix), 0) << "position " << position;
  }
}

}  // namespace
