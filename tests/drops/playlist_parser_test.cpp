// The list formats read from text: what each entry names and the length the list states, cue
// sheets' tracks, the encodings, and hostile text (overlong lines, too many entries, a million of
// them). Every text is read whole and again one byte at a time, which must come out the same.
// Finding the entries on disk is the session's test.
#include "drops/playlist_parser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace drops {

void PrintTo(const ListEntry& entry, std::ostream* out) {
  *out << "{" << testing::PrintToString(entry.location) << (entry.codePage ? " code page" : "")
       << (entry.uriReference ? " URI" : "") << " seconds " << testing::PrintToString(entry.seconds)
       << " track " << testing::PrintToString(entry.track) << " to end from "
       << testing::PrintToString(entry.toEndFrom) << "}";
}
void PrintTo(const ParsedList& list, std::ostream* out) {
  *out << testing::PrintToString(list.entries) << (list.incomplete ? " incomplete" : "");
}

}  // namespace drops

namespace {

using drops::ListEntry;
using drops::ListFormat;
using drops::ParsedList;

ListEntry At(std::string location, std::optional<std::int64_t> seconds = {}) {
  return {.location = std::move(location), .seconds = seconds};
}
ListEntry Track(std::u16string label, std::optional<std::int64_t> seconds) {
  return {.seconds = seconds, .track = std::move(label)};
}
ListEntry LastTrack(std::u16string label, std::string file, std::int64_t fromFrame) {
  return {.location = std::move(file), .track = std::move(label), .toEndFrom = fromFrame};
}
ListEntry Uri(std::string location, std::optional<std::int64_t> seconds = {}) {
  return {.location = std::move(location), .uriReference = true, .seconds = seconds};
}

TEST(ListParser, ReadsEachFormat) {
  struct Case {
    const char* name;
    ListFormat format;
    std::string text;
    std::vector<ListEntry> entries;
    bool incomplete = false;
    std::size_t maxEntries = 100;
  };
  const std::string longLine(drops::kMaxListLine + 1, 'x');
  ListEntry latin1 = At("caf\xE9.mp3");
  latin1.codePage = true;
  const Case cases[] = {
      {"M3uWithLengths",
       ListFormat::kM3u,
       "\xEF\xBB\xBF#EXTM3U\r\n#EXTINF:245,Artist - Title\r\n  a.mp3  \r\n\r\n# note\r\n"
       "b.mp3\n#EXTINF:-1,Radio\nhttp://x/s\n#EXTINF:0.5,\nc.mp3\r#EXTINF:12.9 tvg-id=\"1\",T\rd",
       {At("a.mp3", 245), At("b.mp3"), At("http://x/s"), At("c.mp3", 0), At("d", 12)}},
      {"M3uInTheCodePage", ListFormat::kM3u, "caf\xE9.mp3\n", {latin1}},
      {"M3u8IsUtf8Whatever", ListFormat::kM3u8, "caf\xE9.mp3\n", {At("caf\xE9.mp3")}},
      {"M3uInUtf16",
       ListFormat::kM3u,
       std::string("\xFF\xFE"
                   "a\0\xE9\0\n\0\x3C\xD8\xB5\xDF",
                   12),
       {At("a\xC3\xA9"), At("\xF0\x9F\x8E\xB5")}},
      {"PlsInTheOrderOfItsNumbers",
       ListFormat::kPls,
       "[playlist]\nFile2=b.mp3\nfile1 = a.mp3\nLength1=61\nLength2=-1\nLength3=9\n"
       "Title1=A\nNumberOfEntries=2\nFile10=c.mp3\nFileX=d.mp3\n",
       {At("a.mp3", 61), At("b.mp3"), At("c.mp3")}},
      {"Xspf",
       ListFormat::kXspf,
       "<?xml version=\"1.0\"?><playlist xmlns=\"http://xspf.org/ns/0/\"><trackList>"
       "<!-- <track><location>no</location></track> -->"
       "<track><title a=\"x>y\">T</title><location> a%20b.mp3 </location>"
       "<location>second.mp3</location><duration>61999</duration></track>"
       "<track><location/></track><track><duration>5</duration></track>"
       "<x:track><x:location>R&amp;B&#x20;&#233;&bogus;.ogg</x:location></x:track>"
       "<track><location><![CDATA[a&b]].mp3]]></location></track>",
       {Uri("a%20b.mp3", 61), Uri("R&B \xC3\xA9&bogus;.ogg"), Uri("a&b]].mp3")}},
      {"Cue",
       ListFormat::kCue,
       "TITLE \"Album\"\nFILE \"Disc 1.flac\" WAVE\n  TRACK 01 AUDIO\n    TITLE \"Intro\"\n"
       "    INDEX 01 00:00:00\n  TRACK 02 AUDIO\n    INDEX 00 00:59:00\n    INDEX 01 01:00:74\n"
       "  TRACK 3 AUDIO\n    TITLE Bonus\n    INDEX 01 02:00:00\n"
       "file Disc 2.wav WAVE\n  TRACK 04 AUDIO\n    INDEX 01 10:00:00\n"
       "  TRACK 05 AUDIO\n    INDEX 01 09:00:00\n  TRACK 06 AUDIO\n    INDEX 01 00:60:00\n"
       "  TRACK 07 AUDIO\n    INDEX 01 11:00:00\n",
       {Track(u"01 Intro", 60), Track(u"Track 02", 59), LastTrack(u"03 Bonus", "Disc 1.flac", 9000),
        Track(u"Track 04", std::nullopt), Track(u"Track 05", 120), Track(u"Track 06", std::nullopt),
        LastTrack(u"Track 07", "Disc 2.wav", 49500)}},
      {"CueWithoutFile",
       ListFormat::kCue,
       "TRACK 01 AUDIO\nINDEX 01 00:00:00\n",
       {Track(u"Track 01", std::nullopt)}},
      {"OverlongLineLeftOut",
       ListFormat::kM3u,
       "a.mp3\n" + longLine + "\nb.mp3",
       {At("a.mp3"), At("b.mp3")},
       true},
      {"OverlongXmlTextLeftOut",
       ListFormat::kXspf,
       "<track><location>" + longLine + "</location></track><track><location>b</location></track>",
       {Uri("b")},
       true},
      {"EntriesBeyondTheLimit",
       ListFormat::kM3u,
       "1\n2\n3\n4\n5\n",
       {At("1"), At("2"), At("3")},
       true,
       3},
      {"PlsNumbersBeyondTheLimit",
       ListFormat::kPls,
       "Length1=1\nLength2=1\nLength3=1\nFile4=d\n",
       {},
       true,
       3},
      {"CueTracksBeyondTheLimit",
       ListFormat::kCue,
       "FILE a WAVE\nTRACK 1 AUDIO\nTRACK 2 AUDIO\nTRACK 3 AUDIO\nTRACK 4 AUDIO\nTITLE X\n",
       {Track(u"Track 01", std::nullopt), Track(u"Track 02", std::nullopt),
        Track(u"Track 03", std::nullopt)},
       true,
       3},
      {"NothingButBytes", ListFormat::kXspf, std::string("\0<\xFF>&#;<![CDATA[", 16), {}},
  };
  for (const Case& c : cases) {
    const ParsedList expected{c.entries, c.incomplete};
    EXPECT_EQ(drops::ParseList(c.format, c.text, c.maxEntries), expected) << c.name;
    drops::ListParser parser(c.format, c.maxEntries);
    for (const char byte : c.text) parser.Feed(std::string_view(&byte, 1));
    EXPECT_EQ(parser.Finish(), expected) << c.name << ", fed byte by byte";
  }
}

TEST(ListParser, ReadsAMillionEntries) {
  std::string text;
  for (int i = 0; i < 1'000'000; ++i) text += "#EXTINF:1,\nhttp://x/" + std::to_string(i) + "\n";
  const ParsedList list = drops::ParseList(ListFormat::kM3u, text, std::size_t{1} << 20);
  ASSERT_EQ(list.entries.size(), 1'000'000u);
  EXPECT_EQ(list.entries.back(), At("http://x/999999", 1));
  EXPECT_FALSE(list.incomplete);
}

TEST(ListFormatOf, TakesTheListExtensionsInAnyCase) {
  const std::pair<const char*, ListFormat> cases[] = {
      {"a.m3u", ListFormat::kM3u},   {"a.M3U8", ListFormat::kM3u8},    {"a.pls", ListFormat::kPls},
      {"a.Xspf", ListFormat::kXspf}, {"Album.CUE", ListFormat::kCue},  {"a.mp3", ListFormat::kNone},
      {"m3u", ListFormat::kNone},    {"a.m3u.txt", ListFormat::kNone},
  };
  for (const auto& [name, format] : cases) {
    EXPECT_EQ(drops::ListFormatOf(std::filesystem::path(name).native()), format) << name;
  }
}

}  // namespace
