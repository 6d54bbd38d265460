// The resources of the shipped tallimo.exe: version block, icon groups and the manifest, read from
// the file as Explorer and Windows read them. (The dialogs and the string table are checked where
// they show, in the running dialogs.)
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "res/resource.h"
#include "win32/window_ops.h"

namespace {

std::wstring ProgramPath() {
  std::wstring path(win32::Wide(TALLIMO_EXE_PATH));
  std::replace(path.begin(), path.end(), L'/', L'\\');
  return path;
}

class ProgramResources : public testing::Test {
 protected:
  void SetUp() override {
    m_module = ::LoadLibraryExW(ProgramPath().c_str(), nullptr,
                                LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(m_module, nullptr) << "cannot read tallimo.exe";
  }
  void TearDown() override { ::FreeLibrary(m_module); }

  std::string_view Resource(const wchar_t* type, int id) const {
    HRSRC found = ::FindResourceW(m_module, MAKEINTRESOURCEW(id), type);
    if (found == nullptr) return {};
    return {static_cast<const char*>(::LockResource(::LoadResource(m_module, found))),
            ::SizeofResource(m_module, found)};
  }

  HMODULE m_module = nullptr;
};

// An icon group as the resource holds it: a GRPICONDIR header, then one entry per image.
#pragma pack(push, 2)
struct IconGroupEntry {
  BYTE width;
  BYTE height;
  BYTE colorCount;
  BYTE reserved;
  WORD planes;
  WORD bitCount;
  DWORD bytes;
  WORD id;
};
#pragma pack(pop)

struct IconImage {
  int size;
  int bitsPerPixel;
  friend bool operator==(const IconImage&, const IconImage&) = default;
};

std::ostream& operator<<(std::ostream& out, const IconImage& image) {
  return out << image.size << " px, " << image.bitsPerPixel << " bits";
}

std::vector<IconImage> IconGroup(std::string_view group) {
  std::vector<IconImage> images;
  if (group.size() < 6) return images;
  WORD count;
  std::memcpy(&count, group.data() + 4, sizeof(count));
  for (WORD i = 0; i < count && 6 + (i + 1) * sizeof(IconGroupEntry) <= group.size(); ++i) {
    IconGroupEntry entry;
    std::memcpy(&entry, group.data() + 6 + i * sizeof(IconGroupEntry), sizeof(entry));
    images.push_back({entry.width == 0 ? 256 : entry.width, entry.bitCount});
  }
  return images;
}

// The 16-colour pixel drawings at 16 and 32 pixels, and 32-bit images for the sizes that screens
// of more pixels per inch and Explorer's large views ask for.
TEST_F(ProgramResources, IconGroupsHoldTheirSizes) {
  EXPECT_EQ(IconGroup(Resource(RT_GROUP_ICON, res::kIdrMainFrame)),
            (std::vector<IconImage>{{16, 4}, {24, 32}, {32, 4}, {48, 32}, {256, 32}}));
  EXPECT_EQ(IconGroup(Resource(RT_GROUP_ICON, res::kIdiAbout)),
            (std::vector<IconImage>{{32, 4}, {48, 32}, {64, 32}}));
}

TEST_F(ProgramResources, ManifestAsksForCommonControlsSixAndPerMonitorDpi) {
  const std::string_view manifest = Resource(RT_MANIFEST, 1);
  for (const char* wanted : {"Microsoft.Windows.Common-Controls", "version=\"6.0.0.0\"",
                             "PerMonitorV2", "level=\"asInvoker\""}) {
    EXPECT_NE(manifest.find(wanted), std::string_view::npos) << wanted;
  }
}

std::u16string VersionString(const std::vector<char>& block, const wchar_t* name) {
  const std::wstring query = std::wstring(L"\\StringFileInfo\\041104b0\\") + name;
  void* value = nullptr;
  UINT length = 0;
  if (!::VerQueryValueW(block.data(), query.c_str(), &value, &length) || length == 0) return {};
  return std::u16string(win32::Utf16(static_cast<const wchar_t*>(value)));
}

TEST(ProgramVersion, IsOneZeroZeroOneInJapaneseWithTheProductStrings) {
  const std::wstring path = ProgramPath();
  const DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), nullptr);
  ASSERT_GT(size, 0u);
  std::vector<char> block(size);
  ASSERT_TRUE(::GetFileVersionInfoW(path.c_str(), 0, size, block.data()));

  void* value = nullptr;
  UINT length = 0;
  ASSERT_TRUE(::VerQueryValueW(block.data(), L"\\", &value, &length));
  const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwFileVersionLS, 0x00000001u);
  EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwProductVersionLS, 0x00000001u);
  EXPECT_EQ(fixed->dwFileOS, static_cast<DWORD>(VOS_NT_WINDOWS32));
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

  ASSERT_TRUE(::VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &value, &length));
  ASSERT_EQ(length, 4u);
  EXPECT_EQ(static_cast<const WORD*>(value)[0], 0x0411);
  EXPECT_EQ(static_cast<const WORD*>(value)[1], 1200);

  EXPECT_EQ(VersionString(block, L"ProductName"), u"Tallimo");
  EXPECT_EQ(VersionString(block, L"CompanyName"), u"The Tallimo developers");
  EXPECT_EQ(VersionString(block, L"OriginalFilename"), u"tallimo.exe");
  EXPECT_EQ(VersionString(block, L"FileVersion"), u"1.0.0.1");
  EXPECT_EQ(VersionString(block, L"ProductVersion"), u"1.0.0.1");
}

}  // namespace
