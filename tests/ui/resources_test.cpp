// The resources compiled into the program: the string table and the icon groups.
#include "ui/resources.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QSet>
#include <ostream>

#include "res/resource.h"

namespace {

TEST(ResourcesTest, StringTableHoldsTheAboutEntry) {
  EXPECT_EQ(ui::LoadString(res::kIdsAboutBox), QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報(Tallimo) (&A)..."));
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
};

void PrintTo(const IconCase& icon, std::ostream* out) { *out << "group " << icon.group; }

class IconGroupTest : public testing::TestWithParam<IconCase> {};

TEST_P(IconGroupTest, HasItsSizesInSixteenColours) {
  const QIcon icon = ui::LoadIconGroup(GetParam().group);
  EXPECT_EQ(icon.availableSizes(), GetParam().sizes);
  for (const QSize& size : icon.availableSizes()) {
    const QImage image = icon.pixmap(size).toImage().convertToFormat(QImage::Format_ARGB32);
    int opaque = 0;
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x) {
        ASSERT_TRUE(IsVgaColour(image.pixel(x, y)))
            << "group " << GetParam().group << " at " << x << ", " << y;
        opaque += qAlpha(image.pixel(x, y)) != 0;
      }
    }
    EXPECT_GT(opaque, image.width() * image.height() / 4) << "group " << GetParam().group;
  }
}

INSTANTIATE_TEST_SUITE_P(Groups, IconGroupTest,
                         testing::Values(IconCase{res::kIdrMainFrame,
                                                  {QSize(16, 16), QSize(32, 32)}},
                                         IconCase{res::kIdiAbout, {QSize(32, 32)}}));

}  // namespace
