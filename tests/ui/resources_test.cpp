// The resources compiled into the program: the language they are shown in, the string table and
// the icon groups.
#include "ui/resources.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QSet>
#include <QStringList>
#include <algorithm>
#include <ostream>

#include "res/resource.h"

namespace {

struct LanguageCase {
  QStringList uiLanguages;
  std::uint16_t chosen;
};

void PrintTo(const LanguageCase& c, std::ostream* out) {
  *out << c.uiLanguages.join(u',').toStdString();
}

class ResourceLanguageTest : public testing::TestWithParam<LanguageCase> {};

TEST_P(ResourceLanguageTest, JapaneseForJapaneseAndEnglishForEveryOtherLanguage) {
  EXPECT_EQ(ui::ChooseResourceLanguage(GetParam().uiLanguages), GetParam().chosen);
}

INSTANTIATE_TEST_SUITE_P(
    Preferences, ResourceLanguageTest,
    testing::Values(LanguageCase{{"ja-JP", "ja"}, ui::kLangJapanese},
                    LanguageCase{{"ja"}, ui::kLangJapanese},
                    LanguageCase{{"en-US", "en"}, ui::kLangEnglishUs},
                    LanguageCase{{"en-GB", "ja-JP"}, ui::kLangEnglishUs},
                    LanguageCase{{"de-DE", "de"}, ui::kLangEnglishUs},
                    // A language the program lacks gives way to the next one the user reads.
                    LanguageCase{{"de-DE", "ja-JP"}, ui::kLangJapanese},
                    LanguageCase{{"C"}, ui::kLangEnglishUs}, LanguageCase{{}, ui::kLangEnglishUs}));

// The tests run once in each language; TALLIMO_TEST_LANGUAGE says which locale they were given.
TEST(ResourcesTest, InterfaceLanguageFollowsTheLocale) {
  const QByteArray expected = qgetenv("TALLIMO_TEST_LANGUAGE");
  if (expected.isEmpty()) GTEST_SKIP() << "TALLIMO_TEST_LANGUAGE is not set";
  EXPECT_EQ(ui::InterfaceLanguage(), expected == "ja" ? ui::kLangJapanese : ui::kLangEnglishUs);
}

TEST(ResourcesTest, MissingStringIsEmpty) { EXPECT_TRUE(ui::LoadString(4242).isEmpty()); }

// The classic 16-colour palette; a fully transparent pixel plays the part of an icon's mask.
bool IsVgaColour(QRgb pixel) {
  static const QSet<QRgb> vga = {0xFF000000, 0xFF800000, 0xFF008000, 0xFF808000,
                                 0xFF000080, 0xFF800080, 0xFF008080, 0xFFC0C0C0,
                                 0xFF808080, 0xFFFF0000, 0xFF00FF00, 0xFFFFFF00,
                                 0xFF0000FF, 0xFFFF00FF, 0xFF00FFFF, 0xFFFFFFFF};
  return qAlpha(pixel) == 0 || vga.contains(pixel);
}

struct IconCase {
  int group;
  QList<QSize> sizes;
  // The pixel drawings among them, which keep to the 16 colours; the others are smoothed.
  QList<QSize> sixteenColours;
};

void PrintTo(const IconCase& icon, std::ostream* out) { *out << "group " << icon.group; }

class IconGroupTest : public testing::TestWithParam<IconCase> {};

TEST_P(IconGroupTest, HasItsSizesTheSmallOnesInSixteenColours) {
  const QIcon icon = ui::LoadIconGroup(GetParam().group);
  QList<QSize> sizes = icon.availableSizes();
  std::sort(sizes.begin(), sizes.end(),
            [](const QSize& a, const QSize& b) { return a.width() < b.width(); });
  EXPECT_EQ(sizes, GetParam().sizes);
  for (const QSize& size : sizes) {
    const QImage image = icon.pixmap(size).toImage().convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(image.size(), size);
    const bool sixteenColours = GetParam().sixteenColours.contains(size);
    int opaque = 0;
    int partly = 0;
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x) {
        const QRgb pixel = image.pixel(x, y);
        if (sixteenColours) {
          ASSERT_TRUE(IsVgaColour(pixel))
              << "group " << GetParam().group << " at " << x << ", " << y;
        }
        opaque += qAlpha(pixel) != 0;
        partly += qAlpha(pixel) != 0 && qAlpha(pixel) != 255;
      }
    }
    // A smoothed drawing blends its edges into what lies behind it.
    EXPECT_EQ(partly > 0, !sixteenColours) << "group " << GetParam().group << ", " << size.width();
    EXPECT_GT(opaque, image.width() * image.height() / 4) << "group " << GetParam().group;
  }
}

INSTANTIATE_TEST_SUITE_P(Groups, IconGroupTest,
                         testing::Values(IconCase{res::kIdrMainFrame,
                                                  {QSize(16, 16), QSize(22, 22), QSize(24, 24),
                                                   QSize(32, 32), QSize(48, 48), QSize(64, 64),
                                                   QSize(128, 128), QSize(256, 256)},
                                                  {QSize(16, 16), QSize(32, 32)}},
                                         IconCase{res::kIdiAbout,
                                                  {QSize(32, 32), QSize(48, 48), QSize(64, 64)},
                                                  {QSize(32, 32)}}));

}  // namespace
