// A dropped folder: the natural order of names, which files count, the labels, and a walk over a
// real tree with hidden entries, links and a folder that cannot be read. What the session makes of
// a walked folder is the session's test.
#include "drops/folder_walk.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

namespace fs = std::filesystem;
using drops::CompareNaturally;

int Sign(int value) { return (value > 0) - (value < 0); }

TEST(CompareNaturally, OrdersNamesAsPeopleReadThem) {
  struct Case {
    fs::path a;
    fs::path b;
    int order;
  };
  const Case cases[] = {
      {"2 Intro.mp3", "10 Outro.mp3", -1},
      {"CD1", "CD2", -1},
      {"CD9", "cd10", -1},
      {"alpha", "Beta", -1},   // case does not count ...
      {"Track", "track", -1},  // ... until nothing else differs
      {"track1", "track01", -1},
      {"track01", "track2", -1},
      {"x10y2", "x10y10", -1},
      {"0", "00", -1},
      {"abc", "abcd", -1},
      {"99999999999999999999999", "100000000000000000000000", -1},  // beyond 64 bits
      {"a 1.mp3", "a 1.mp3", 0},
      {"b", "a10", 1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Sign(CompareNaturally(c.a.native(), c.b.native())), c.order) << c.a << " vs " << c.b;
    EXPECT_EQ(Sign(CompareNaturally(c.b.native(), c.a.native())), -c.order) << c.b << " vs " << c.a;
  }
}

TEST(IsMediaName, TakesTheExtensionsOfAudioAndVideoInAnyCase) {
  const std::pair<fs::path, bool> cases[] = {
      {"01 Intro.mp3", true}, {"a.FLAC", true},     {"clip.Mkv", true},       {"a.wav", true},
      {"cover.jpg", false},   {"notes.txt", false}, {"album.cue", false},     {"mp3", false},
      {"a.mp3.txt", false},   {"a.mp3x", false},    {"a.verylongext", false}, {"a.", false},
  };
  for (const auto& [name, isMedia] : cases) {
    EXPECT_EQ(drops::IsMediaName(name.native()), isMedia) << name;
  }
}

TEST(FolderName, IsTheLastPartOfTheResolvedPath) {
  const std::pair<fs::path, fs::path> cases[] = {
      {"/m/Album", "Album"},
      {"/m/Album/", "Album"},
      {"/m/Album/.", "Album"},
      {"/m/Album/CD1/..", "Album"},
      {"/", ""},
  };
  for (const auto& [folder, name] : cases) EXPECT_EQ(drops::FolderName(folder), name) << folder;
}

TEST(LabelText, ReadsNamesAsUtf8AndMarksWhatIsNot) {
#ifdef _WIN32
  EXPECT_EQ(drops::LabelText(fs::path(L"Album\\\u66f2.mp3")), u"Album\\\u66f2.mp3");
#else
  const std::pair<std::string, std::u16string> cases[] = {
      {"Album/\xe6\x9b\xb2.mp3", u"Album/\u66f2.mp3"},
      {"\xf0\x9f\x8e\xb5", u"\U0001F3B5"},
      {"a\xff"
       "b",
       u"a\uFFFDb"},
      {"\xc0\xaf", u"\uFFFD\uFFFD"},            // an overlong "/"
      {"\xed\xa0\x80", u"\uFFFD\uFFFD\uFFFD"},  // a surrogate
      {"\xe6\x9b", u"\uFFFD\uFFFD"},            // cut short
  };
  for (const auto& [bytes, text] : cases) EXPECT_EQ(drops::LabelText(bytes), text) << bytes;
#endif
}

// A tree of the test's own under the test's temporary folder.
class FolderWalkTest : public testing::Test {
 protected:
  void SetUp() override {
    m_root = fs::path(testing::TempDir()) /
             ("tallimo-walk-" +
              std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(m_root);
    fs::create_directories(m_root);
  }
  void TearDown() override {
    fs::permissions(m_root / "Album" / "Locked", fs::perms::owner_all, fs::perm_options::add,
                    m_error);
    fs::remove_all(m_root, m_error);
  }

  fs::path Make(const fs::path& relative) {
    const fs::path path = m_root / relative;
    fs::create_directories(path.parent_path());
    std::ofstream(path) << "x";
    return path;
  }
  void Hide(const fs::path& relative) {
#ifdef _WIN32
    ::SetFileAttributesW((m_root / relative).c_str(), FILE_ATTRIBUTE_HIDDEN);
#else
    (void)relative;
#endif
  }

  fs::path m_root;
  std::error_code m_error;
};

std::vector<std::string> Labels(const std::vector<drops::FolderFile>& files) {
  std::vector<std::string> labels;
  for (const auto& file : files) labels.push_back(file.label.generic_string());
  return labels;
}

TEST_F(FolderWalkTest, ListsTheMediaFilesNameByNameAndLeavesTheRestOut) {
  Make("Album/CD2/01 Intro.mp3");
  Make("Album/CD1/10 Outro.flac");
  Make("Album/CD1/2 Intro.MP3");
  Make("Album/cover.jpg");
  Make("Album/bonus.ogg");
  Make("Album/CD10/1.wav");
#ifdef _WIN32
  Make("Album/hidden.mp3");
  Make("Album/Hidden folder/a.mp3");
  Hide("Album/hidden.mp3");
  Hide("Album/Hidden folder");
#else
  Make("Album/.hidden.mp3");
  Make("Album/.hidden folder/a.mp3");
#endif
  // Links: one to a file is that file; one to a folder (here a loop) is not walked.
  std::error_code linkError;
  fs::create_symlink(m_root / "Album/CD1/2 Intro.MP3", m_root / "Album/CD1/3 Link.mp3", linkError);
  const bool links = !linkError;
  if (links) fs::create_directory_symlink(m_root / "Album", m_root / "Album/CD1/Loop", linkError);
  std::vector<std::string> expected = {"Album/bonus.ogg", "Album/CD1/2 Intro.MP3"};
  if (links) expected.push_back("Album/CD1/3 Link.mp3");
  expected.insert(expected.end(),
                  {"Album/CD1/10 Outro.flac", "Album/CD2/01 Intro.mp3", "Album/CD10/1.wav"});

  std::size_t lastFound = 0;
  const auto files = drops::WalkFolder(m_root / "Album/", [&](std::size_t found) {
    EXPECT_GE(found, lastFound);
    lastFound = found;
    return true;
  });
  EXPECT_EQ(Labels(files), expected);
  ASSERT_FALSE(files.empty());
  EXPECT_EQ(files[1].path, m_root / "Album" / "CD1" / "2 Intro.MP3");
  EXPECT_EQ(files[1].label, fs::path("Album") / "CD1" / "2 Intro.MP3") << "platform separator";
}

#ifndef _WIN32
TEST_F(FolderWalkTest, SkipsAFolderThatCannotBeRead) {
  if (::geteuid() == 0) GTEST_SKIP() << "root reads every folder";
  Make("Album/Locked/a.mp3");
  Make("Album/z.mp3");
  fs::permissions(m_root / "Album/Locked", fs::perms::none);
  EXPECT_EQ(Labels(drops::WalkFolder(m_root / "Album", [](std::size_t) { return true; })),
            std::vector<std::string>{"Album/z.mp3"});
}
#endif

TEST_F(FolderWalkTest, StopsWhenToldAndGivesNothing) {
  for (int i = 0; i < 50; ++i) Make("Album/" + std::to_string(i) + ".mp3");
  int asked = 0;
  const auto files = drops::WalkFolder(m_root / "Album", [&](std::size_t found) {
    ++asked;
    return found < 10;
  });
  EXPECT_TRUE(files.empty());
  EXPECT_LT(asked, 100);
}

}  // namespace
