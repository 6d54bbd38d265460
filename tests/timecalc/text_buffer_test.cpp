// The byte string's edge rules: what cuts outside the text yield, exact growth, self-copies.
#include "timecalc/text_buffer.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace timecalc {
namespace {

std::string Bytes(const CTextBuffer& b) { return std::string(b.View()); }

TEST(TextBuffer, DefaultValueIsEmptyWithOneByteOfRoom) {
  const CTextBuffer b;
  EXPECT_EQ(b.GetLength(), 0);
  EXPECT_EQ(b.GetCapacity(), 1);
  EXPECT_STREQ(b.GetBuffer(), "");
}

TEST(TextBuffer, GetAtPastTheEndIsALineFeed) {
  const CTextBuffer b("abc");
  EXPECT_EQ(b.GetAt(0), 'a');
  EXPECT_EQ(b.GetAt(2), 'c');
  for (const int i : {3, 4, 1000}) EXPECT_EQ(b.GetAt(i), '\n') << "index " << i;
  EXPECT_EQ(CTextBuffer().GetAt(0), '\n');
}

struct CutCase {
  const char* name;
  CTextBuffer (*cut)(const CTextBuffer&);
  std::string_view expected;
};

class CutsOfAbc : public testing::TestWithParam<CutCase> {};

TEST_P(CutsOfAbc, YieldTheBytesInRangeOrNothing) {
  const CTextBuffer abc("abc");
  const CTextBuffer result = GetParam().cut(abc);
  EXPECT_EQ(Bytes(result), GetParam().expected);
  EXPECT_EQ(result.GetBuffer()[result.GetLength()], '\0');
  EXPECT_EQ(Bytes(abc), "abc") << "a cut must leave its source alone";
}

INSTANTIATE_TEST_SUITE_P(
    EdgeRules, CutsOfAbc,
    testing::Values(
        CutCase{"Left0", [](const CTextBuffer& b) { return b.Left(0); }, ""},
        CutCase{"LeftNegative", [](const CTextBuffer& b) { return b.Left(-3); }, ""},
        CutCase{"Left2", [](const CTextBuffer& b) { return b.Left(2); }, "ab"},
        CutCase{"Left100", [](const CTextBuffer& b) { return b.Left(100); }, "abc"},
        CutCase{"MidAtEnd", [](const CTextBuffer& b) { return b.Mid(3); }, ""},
        CutCase{"MidPastEnd", [](const CTextBuffer& b) { return b.Mid(5); }, ""},
        CutCase{"MidNegative", [](const CTextBuffer& b) { return b.Mid(-1); }, ""},
        CutCase{"Mid1", [](const CTextBuffer& b) { return b.Mid(1); }, "bc"},
        CutCase{"Mid0", [](const CTextBuffer& b) { return b.Mid(0); }, "abc"},
        CutCase{"Mid1Count100", [](const CTextBuffer& b) { return b.Mid(1, 100); }, "bc"},
        CutCase{"Mid1Count1", [](const CTextBuffer& b) { return b.Mid(1, 1); }, "b"},
        CutCase{"Mid4Count1", [](const CTextBuffer& b) { return b.Mid(4, 1); }, ""},
        CutCase{"Mid3Count1", [](const CTextBuffer& b) { return b.Mid(3, 1); }, ""},
        CutCase{"Mid0Count0", [](const CTextBuffer& b) { return b.Mid(0, 0); }, ""},
        CutCase{"MidNegativeCount", [](const CTextBuffer& b) { return b.Mid(0, -2); }, ""},
        CutCase{"MidNegativePos", [](const CTextBuffer& b) { return b.Mid(-1, 2); }, ""},
        CutCase{"Concat", [](const CTextBuffer& b) { return b + CTextBuffer("de"); }, "abcde"},
        CutCase{"ConcatEmpty", [](const CTextBuffer& b) { return CTextBuffer() + b; }, "abc"}),
    [](const testing::TestParamInfo<CutCase>& info) { return std::string(info.param.name); });

TEST(TextBuffer, SearchesFindTheFirstOccurrenceOrMinusOne) {
  struct Case {
    std::string_view text;
    const char* needle;
    std::int32_t expected;
  };
  const Case cases[] = {
      {std::string_view("a\r\nb"), "\r\n", 1},
      {"", "[", -1},
      {"abc", "", -1},
      {"abc", "abcd", -1},
      {"abcabc", "bc", 1},
      {"xx:", ":", 2},
      {std::string_view("\r\r\n", 3), "\r\n", 1},
  };
  for (const Case& c : cases) {
    CTextBuffer b;
    b.Assign(c.text.data(), static_cast<std::int32_t>(c.text.size()));
    EXPECT_EQ(b.Find(c.needle), c.expected)
        << "text '" << c.text << "' needle '" << c.needle << "'";
  }
  EXPECT_EQ(CTextBuffer("1:2:3").FindChar(':'), 1);
  EXPECT_EQ(CTextBuffer("123").FindChar(':'), -1);
  EXPECT_EQ(CTextBuffer().FindChar('\0'), -1) << "the terminator is not part of the value";
}

TEST(TextBuffer, AssignRules) {
  CTextBuffer b("xyz");

  const char nulOnly[] = {'\0'};
  ASSERT_TRUE(b.Assign(nulOnly, 1));
  EXPECT_EQ(b.GetLength(), 0) << "a lone NUL stores the empty value";

  const char aNul[] = {'a', '\0'};
  ASSERT_TRUE(b.Assign(aNul, 2));
  EXPECT_EQ(b.GetLength(), 2);
  EXPECT_EQ(Bytes(b), std::string("a\0", 2));

  ASSERT_TRUE(b.Assign("ignored", -1));
  EXPECT_EQ(b.GetLength(), 2) << "a negative count changes nothing";

  ASSERT_TRUE(b.Assign("", 0));
  EXPECT_EQ(b.GetLength(), 0);
  EXPECT_EQ(b.GetCapacity(), 0) << "assigning nothing replaces the allocation by an empty one";
}

TEST(TextBuffer, GrowsToExactlyWhatIsNeededAndNeverShrinksOnAssign) {
  CTextBuffer b;
  ASSERT_TRUE(b.Assign("abcdef", 6));
  EXPECT_EQ(b.GetCapacity(), 6);
  ASSERT_TRUE(b.Assign("ab", 2));
  EXPECT_EQ(b.GetCapacity(), 6);
  ASSERT_TRUE(b.Append("xyzuvw", 6));
  EXPECT_EQ(b.GetCapacity(), 8);
  ASSERT_TRUE(b.Append("q", 1));
  EXPECT_EQ(b.GetCapacity(), 9);
  EXPECT_STREQ(b.GetBuffer(), "abxyzuvwq");
}

TEST(TextBuffer, CopiesFromInsideItselfAreSafe) {
  CTextBuffer b("abc");
  ASSERT_TRUE(b.Append(b.GetBuffer(), b.GetLength()));
  EXPECT_EQ(Bytes(b), "abcabc");

  ASSERT_TRUE(b.Append(b.GetBuffer() + 1, 2));  // grows: the source lies in the block replaced
  EXPECT_EQ(Bytes(b), "abcabcbc");

  ASSERT_TRUE(b.Assign(b.GetBuffer() + 2, 4));
  EXPECT_EQ(Bytes(b), "cabc");

  CTextBuffer grown("ab");
  ASSERT_TRUE(grown.Assign("abcdefgh", 8));
  ASSERT_TRUE(grown.Assign("ab", 2));
  ASSERT_TRUE(grown.Append(grown.GetBuffer(), 2));  // room enough: copied in place
  EXPECT_EQ(Bytes(grown), "abab");
  EXPECT_EQ(grown.GetCapacity(), 8);
}

TEST(TextBuffer, CopiesAndMovesOwnTheirBytes) {
  CTextBuffer a("time");
  CTextBuffer copy(a);
  ASSERT_TRUE(a.Assign("TIME", 4));
  EXPECT_EQ(Bytes(copy), "time");

  CTextBuffer moved(std::move(copy));
  EXPECT_EQ(Bytes(moved), "time");
  copy = moved;  // a moved-from value is still a usable one
  EXPECT_EQ(Bytes(copy), "time");

  moved = std::move(a);
  EXPECT_EQ(Bytes(moved), "TIME");
  EXPECT_STREQ(a.GetBuffer(), "");  // NOLINT(bugprone-use-after-move): moved-from stays valid
  EXPECT_EQ(a.GetLength(), 0);
}

TEST(TextBuffer, BytesAreOpaque) {
  const char raw[] = {'\x81', '\x40', '\0', ':', '\xff'};
  CTextBuffer b;
  ASSERT_TRUE(b.Assign(raw, 5));
  EXPECT_EQ(b.GetLength(), 5);
  EXPECT_EQ(b.FindChar(':'), 3);
  EXPECT_EQ(b.GetAt(4), '\xff');
  EXPECT_EQ(Bytes(b.Mid(1, 2)), std::string("\x40\0", 2));
}

}  // namespace
}  // namespace timecalc
