// The lines dropped files add: the name a file is listed under, the line itself, and how a drop's
// lines join the list.
#include "timecalc/dropped_lines.h"

#include <gtest/gtest.h>

#include <span>
#include <string>
#include <vector>

namespace {

using timecalc::LineBreak;
using namespace std::string_view_literals;

std::string Utf8(const std::u16string& text) {
  return timecalc::ToListBytes(text, LineBreak::kCrLf);
}

TEST(DroppedFileName, IsThePartAfterTheLastSeparatorWithoutLineBreaks) {
  struct Case {
    std::u16string_view path;
    std::u16string_view separators;
    std::u16string_view name;
  };
  const Case cases[] = {
      {u"/music/set 1/a.wav", u"/", u"a.wav"},
      {u"a.wav", u"/", u"a.wav"},
      {u"/media/usb/", u"/", u""},
      {u"/", u"/", u""},
      // A backslash is an ordinary character in names on Linux, a separator on Windows.
      {u"C:\\music\\b.txt", u"/", u"C:\\music\\b.txt"},
      {u"C:\\music\\b.txt", u"\\/", u"b.txt"},
      {u"C:\\music/sub\\c.mp3", u"\\/", u"c.mp3"},
      {u"C:\\", u"\\/", u""},
      {u"\\\\server\\share\\\u66f2.wav", u"\\/", u"\u66f2.wav"},
      {u"/x/a\tb\u007f\u0085c\u2028d\u2029.wav", u"/", u"a\uFFFDb\uFFFD\uFFFDc\uFFFDd\uFFFD.wav"},
      {u"/x/\r\n\u0000\u001f \u009f\u00a0"sv, u"/", u"\uFFFD\uFFFD\uFFFD\uFFFD \uFFFD\u00a0"},
      {u"/x/\U0001F3B5 \u66f2 01.wav", u"/", u"\U0001F3B5 \u66f2 01.wav"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(timecalc::DroppedFileName(c.path, c.separators), c.name)
        << Utf8(std::u16string(c.path));
  }
}

TEST(DroppedFileLine, IsTheFormattedLengthAndTheBracketedName) {
  EXPECT_EQ(timecalc::DroppedFileLine(u"/m/track 01.wav", 205, u"/"), u"0:03.25[track 01.wav]");
  EXPECT_EQ(timecalc::DroppedFileLine(u"/m/notes.txt", 0, u"/"), u"0:00.00[notes.txt]");
  EXPECT_EQ(timecalc::DroppedFileLine(u"C:\\", 0, u"\\/"), u"0:00.00[]");
  EXPECT_EQ(timecalc::DroppedFileLine(u"/m/gone.mp3", std::nullopt, u"/"), u"?:??.??[gone.mp3]");
  EXPECT_EQ(timecalc::DroppedFileLine(u"/m/\u66f2\n.flac", 360000, u"/"),
            u"100:00.00[\u66f2\uFFFD.flac]");
}

TEST(AppendedDropText, StartsALineOfItsOwnAndEndsEveryLine) {
  struct Case {
    const char* name;
    std::u16string_view list;
    LineBreak lineBreak;
    std::vector<std::u16string> lines;
    std::u16string_view appended;
  };
  const Case cases[] = {
      {"EmptyList", u"", LineBreak::kLf, {u"0:00.10[a.wav]"}, u"0:00.10[a.wav]\n"},
      {"ListEndingInBreak", u"1:00.00\n", LineBreak::kLf, {u"a", u"b"}, u"a\nb\n"},
      {"ListWithoutFinalBreak", u"1:00.00", LineBreak::kLf, {u"a"}, u"\na\n"},
      {"WindowsListEndingInBreak", u"1:00.00\r\n", LineBreak::kCrLf, {u"a"}, u"a\r\n"},
      {"WindowsListWithoutFinalBreak",
       u"1:00.00",
       LineBreak::kCrLf,
       {u"a", u"b"},
       u"\r\na\r\nb\r\n"},
      // A lone LF is no line break in a Windows edit box: the new line must not continue it.
      {"WindowsListEndingInLoneLf", u"1:00.00\n", LineBreak::kCrLf, {u"a"}, u"\r\na\r\n"},
      {"NoFiles", u"1:00.00", LineBreak::kLf, {}, u""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(timecalc::AppendedDropText(c.list, c.lines, c.lineBreak), c.appended) << c.name;
  }
}

}  // namespace
