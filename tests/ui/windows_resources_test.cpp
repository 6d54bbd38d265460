// The Windows program's resources, as windres compiles res/tallimo.rc, against the values the
// dialogs are designed with, and against what the Qt shell reads and builds from the same script:
// control by control, so that neither program can show a layout the other does not.
#include <gtest/gtest.h>

#include <QDialog>
#include <QImage>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <algorithm>
#include <map>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "res/resource.h"
#include "tests/ui/compiled_resources.h"
#include "tests/ui/res_file.h"
#include "ui/dialog_builder.h"
#include "ui/resources.h"

namespace {

// Values of the Windows headers, written out here rather than taken from the Qt shell.
constexpr std::uint32_t kWsTabStop = 0x00010000;
constexpr std::uint32_t kWsExAcceptFiles = 0x00000010;
constexpr std::uint32_t kEsMultiline = 0x0004;
constexpr std::uint32_t kEsReadOnly = 0x0800;
constexpr std::uint32_t kSsIcon = 0x0003;
constexpr std::uint32_t kSsTypeMask = 0x001F;
constexpr std::uint16_t kLangJapanese = 0x0411;
constexpr std::uint16_t kLangEnglishUs = 0x0409;
constexpr std::uint16_t kDefaultCharset = 1;
constexpr int kIconPixels = 32;

constexpr char16_t kJapaneseFont[] = u"ＭＳ Ｐゴシック";
constexpr char16_t kEnglishFont[] = u"MS Shell Dlg";

resfile::Dialog CompiledDialog(int id, std::uint16_t language) {
  const resfile::Resource* resource =
      resfile::Find(testres::TallimoResources(), resfile::kRtDialog, std::uint16_t(id), language);
  EXPECT_NE(resource, nullptr) << "dialog " << id << ", language " << language;
  if (!resource) return {};
  const std::optional<resfile::Dialog> dialog = resfile::ParseDialog(resource->data);
  EXPECT_TRUE(dialog) << "dialog " << id;
  return dialog.value_or(resfile::Dialog{});
}

struct ItemDesign {
  const char* className;
  int id;
  std::array<int, 4> rect;
  std::uint32_t style;
  const char16_t* text;  // null for an icon, which names its group by number
  int iconGroup;
};

struct DialogDesign {
  int id;
  std::uint16_t language;
  const char16_t* font;
  bool extended;
  std::uint32_t style;
  std::uint32_t exStyle;
  std::array<int, 4> rect;
  const char16_t* caption;
  int points, weight, italic, charset;
  std::vector<ItemDesign> items;
};

void PrintTo(const DialogDesign& design, std::ostream* out) {
  *out << "dialog " << design.id << ", language " << design.language;
}

const DialogDesign kMainDialog = {
    102,
    kLangJapanese,
    kJapaneseFont,
    true,
    0x90C800C0,
    0x00040010,
    {0, 0, 199, 89},
    u"Tallimo",
    9,
    0,
    0,
    kDefaultCharset,
    {
        {"EDIT", 1000, {5, 5, 120, 76}, 0x50A110C4, u"", 0},
        {"STATIC", -1, {130, 10, 35, 8}, 0x50020000, u"全合計時間", 0},
        {"STATIC", -1, {130, 35, 56, 8}, 0x50020000, u"選択範囲合計時間", 0},
        {"STATIC", 1001, {135, 20, 36, 8}, 0x50020000, u"0:00.00", 0},
        {"STATIC", 1002, {135, 45, 39, 8}, 0x50020000, u"0:00.00", 0},
        {"STATIC", -1, {125, 60, 68, 8}, 0x50020000, u"←ここに\"1:05.08\"という", 0},
        {"STATIC", -1, {130, 70, 61, 8}, 0x50020000, u"ように入力して下さい", 0},
        {"BUTTON", 1003, {160, 79, 36, 9}, 0x50010000, u"about", 0},
    }};

const DialogDesign kAboutBox = {
    100,
    kLangJapanese,
    kJapaneseFont,
    false,
    0x80C800C0,
    0,
    {0, 0, 217, 55},
    u"ﾊﾞｰｼﾞｮﾝ情報 Tallimo",
    9,
    0,
    0,
    0,
    {
        {"STATIC", -1, {11, 17, 18, 20}, 0x50000003, nullptr, 131},
        {"STATIC", -1, {40, 10, 119, 8}, 0x50020080, u"Tallimo Version 1.06", 0},
        {"STATIC", -1, {40, 25, 119, 8}, 0x50020000, u"(C) 2026 The Tallimo developers", 0},
        {"BUTTON", 1, {178, 7, 32, 14}, 0x50030001, u"OK", 0},
        {"EDIT", 1003, {128, 37, 82, 12}, 0x50810880, u"", 0},
        {"STATIC", -1, {85, 40, 41, 8}, 0x50020000, u"HomePage to:", 0},
    }};

const DialogDesign kMeasuringDialog = {
    103,
    kLangJapanese,
    kJapaneseFont,
    true,
    0x80C800C0,
    0,
    {0, 0, 160, 54},
    u"Tallimo",
    9,
    0,
    0,
    kDefaultCharset,
    {
        {"STATIC", -1, {7, 7, 146, 8}, 0x50020000, u"再生時間を読み取っています...", 0},
        {"MSCTLS_PROGRESS32", 1004, {7, 19, 146, 10}, 0x50800000, u"", 0},
        {"STATIC", 1005, {7, 37, 90, 8}, 0x50020080, u"", 0},
        {"BUTTON", 2, {103, 33, 50, 14}, 0x50030001, u"キャンセル", 0},
    }};

// The English dialogs: the same controls in the ordinary dialog font, each label just before the
// control it names, and the About button with a mnemonic.
const DialogDesign kEnglishMainDialog = {
    102,
    kLangEnglishUs,
    kEnglishFont,
    true,
    0x90C800C0,
    0x00040010,
    {0, 0, 199, 89},
    u"Tallimo",
    8,
    0,
    0,
    kDefaultCharset,
    {
        {"STATIC",
         -1,
         {130, 44, 64, 26},
         0x50020000,
         u"Type one duration per line, like \"1:05.08\"",
         0},
        {"EDIT", 1000, {5, 5, 120, 80}, 0x50A110C4, u"", 0},
        {"STATIC", -1, {130, 5, 64, 8}, 0x50020000, u"Total of all lines", 0},
        {"STATIC", 1001, {135, 14, 59, 8}, 0x50020000, u"0:00.00", 0},
        {"STATIC", -1, {130, 25, 64, 8}, 0x50020000, u"Total of selection", 0},
        {"STATIC", 1002, {135, 34, 59, 8}, 0x50020000, u"0:00.00", 0},
        {"BUTTON", 1003, {146, 71, 48, 14}, 0x50010000, u"&About", 0},
    }};

const DialogDesign kEnglishAboutBox = {
    100,
    kLangEnglishUs,
    kEnglishFont,
    false,
    0x80C800C0,
    0,
    {0, 0, 217, 55},
    u"About Tallimo",
    8,
    0,
    0,
    0,
    {
        {"STATIC", -1, {11, 17, 18, 20}, 0x50000003, nullptr, 131},
        {"STATIC", -1, {40, 10, 110, 8}, 0x50020080, u"Tallimo Version 1.06", 0},
        {"STATIC", -1, {40, 22, 110, 8}, 0x50020000, u"(C) 2026 The Tallimo developers", 0},
        {"BUTTON", 1, {160, 7, 50, 14}, 0x50030001, u"OK", 0},
        {"STATIC", -1, {40, 37, 44, 8}, 0x50020000, u"Home page:", 0},
        {"EDIT", 1003, {86, 35, 124, 12}, 0x50810880, u"", 0},
    }};

const DialogDesign kEnglishMeasuringDialog = {
    103,
    kLangEnglishUs,
    kEnglishFont,
    true,
    0x80C800C0,
    0,
    {0, 0, 160, 54},
    u"Tallimo",
    8,
    0,
    0,
    kDefaultCharset,
    {
        {"STATIC", -1, {7, 7, 146, 8}, 0x50020000, u"Measuring files…", 0},
        {"MSCTLS_PROGRESS32", 1004, {7, 19, 146, 10}, 0x50800000, u"", 0},
        {"STATIC", 1005, {7, 37, 90, 8}, 0x50020080, u"", 0},
        {"BUTTON", 2, {103, 33, 50, 14}, 0x50030001, u"Cancel", 0},
    }};

class CompiledDialogTest : public testing::TestWithParam<DialogDesign> {};

TEST_P(CompiledDialogTest, HasTheDesignedLayout) {
  const DialogDesign& design = GetParam();
  const resfile::Dialog dialog = CompiledDialog(design.id, design.language);
  EXPECT_EQ(dialog.extended, design.extended);
  EXPECT_EQ(testres::Hex(dialog.style), testres::Hex(design.style));
  EXPECT_EQ(testres::Hex(dialog.exStyle), testres::Hex(design.exStyle));
  EXPECT_EQ((std::array<int, 4>{dialog.x, dialog.y, dialog.cx, dialog.cy}), design.rect);
  EXPECT_EQ(testres::Utf8(dialog.title), testres::Utf8(design.caption));
  EXPECT_TRUE(dialog.hasFont);
  EXPECT_EQ(testres::Utf8(dialog.typeface), testres::Utf8(design.font));
  EXPECT_EQ(dialog.pointSize, design.points);
  EXPECT_EQ(dialog.weight, design.weight);
  EXPECT_EQ(dialog.italic, design.italic);
  EXPECT_EQ(dialog.charset, design.charset);

  ASSERT_EQ(dialog.items.size(), design.items.size());
  for (std::size_t i = 0; i < design.items.size(); ++i) {
    const ItemDesign& expected = design.items[i];
    const resfile::DialogItem& item = dialog.items[i];
    SCOPED_TRACE("control " + std::to_string(i));
    EXPECT_EQ(testres::ClassName(item.windowClass), expected.className);
    EXPECT_EQ(item.id, expected.id);
    EXPECT_EQ(testres::Rect(item), expected.rect);
    EXPECT_EQ(testres::Hex(item.style), testres::Hex(expected.style));
    EXPECT_EQ(item.exStyle, 0u);
    if (expected.text) {
      EXPECT_EQ(item.text.ordinal, std::nullopt);
      EXPECT_EQ(testres::Utf8(item.text.name), testres::Utf8(expected.text));
    } else {
      EXPECT_EQ(item.text.ordinal, std::optional<std::uint16_t>(expected.iconGroup));
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Dialogs, CompiledDialogTest,
                         testing::Values(kMainDialog, kAboutBox, kMeasuringDialog,
                                         kEnglishMainDialog, kEnglishAboutBox,
                                         kEnglishMeasuringDialog));

// Each dialog in exactly the two languages, and nothing else in a language of its own.
TEST(CompiledLanguagesTest, EveryDialogAndStringIsInJapaneseAndEnglish) {
  std::map<std::pair<int, int>, std::set<int>> languages;  // by type and number
  for (const resfile::Resource& resource : testres::TallimoResources()) {
    // The file starts with an empty record of type 0, which is no resource.
    if (resource.type.ordinal > 0 && resource.name.ordinal) {
      languages[{*resource.type.ordinal, *resource.name.ordinal}].insert(resource.language);
    }
  }
  for (const auto& [typeAndName, found] : languages) {
    const bool translated =
        typeAndName.first == resfile::kRtDialog || typeAndName.first == resfile::kRtString;
    const std::set<int> expected =
        translated ? std::set<int>{kLangEnglishUs, kLangJapanese} : std::set<int>{kLangJapanese};
    EXPECT_EQ(found, expected) << "type " << typeAndName.first << ", number " << typeAndName.second;
  }
}

struct StringDesign {
  std::uint16_t language;
  std::map<int, std::u16string> strings;
};

void PrintTo(const StringDesign& design, std::ostream* out) {
  *out << "language " << design.language;
}

class CompiledStringTest : public testing::TestWithParam<StringDesign> {};

TEST_P(CompiledStringTest, TableHoldsItsStringsAndTheQtShellReadsThem) {
  const std::uint16_t language = GetParam().language;
  const std::map<int, std::u16string> strings =
      testres::Strings(testres::TallimoResources(), language);
  const std::map<int, std::u16string> otherLanguage = testres::Strings(
      testres::TallimoResources(), language == kLangJapanese ? kLangEnglishUs : kLangJapanese);
  // Every string, its line breaks, tabs and joined pieces too, as windres compiled it, and in
  // the other language as well.
  for (const auto& [id, text] : strings) {
    SCOPED_TRACE("string " + std::to_string(id));
    EXPECT_EQ(otherLanguage.count(id), 1u);
    EXPECT_EQ(testres::Utf8(ui::LoadString(id, language)), testres::Utf8(text));
  }
  EXPECT_EQ(strings.size(), otherLanguage.size());
  for (const auto& [id, text] : GetParam().strings) {
    SCOPED_TRACE("string " + std::to_string(id));
    ASSERT_EQ(strings.count(id), 1u);
    EXPECT_EQ(testres::Utf8(strings.at(id)), testres::Utf8(text));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Languages, CompiledStringTest,
    testing::Values(StringDesign{kLangJapanese,
                                 {{res::kIdsAboutBox, u"ﾊﾞｰｼﾞｮﾝ情報(Tallimo) (&A)..."},
                                  {res::kIdsTimeListName, u"時間の一覧（1行に1つ）"},
                                  {res::kIdsNotMeasuredTitle,
                                   u"Tallimo - 長さを測れないファイルがありました"}}},
                    StringDesign{kLangEnglishUs,
                                 {{res::kIdsAboutBox, u"&About Tallimo..."},
                                  {res::kIdsTimeListName, u"Durations, one per line"},
                                  {res::kIdsNotMeasuredTitle,
                                   u"Tallimo - some files could not be measured"}}}));

struct DialogInLanguage {
  int id;
  std::uint16_t language;
};

void PrintTo(const DialogInLanguage& dialog, std::ostream* out) {
  *out << "dialog " << dialog.id << ", language " << dialog.language;
}

class DialogAgreementTest : public testing::TestWithParam<DialogInLanguage> {};

TEST_P(DialogAgreementTest, QtShellReadsWhatWindresCompiled) {
  testres::ExpectSameDialog(CompiledDialog(GetParam().id, GetParam().language),
                            ui::LoadDialogTemplate(GetParam().id, GetParam().language));
}

// What Windows would create for the compiled control, as a widget of the Qt shell.
bool IsWidgetForClass(const resfile::DialogItem& item, const QWidget& widget) {
  const std::string className = testres::ClassName(item.windowClass);
  if (className == "EDIT") {
    return (item.style & kEsMultiline) ? qobject_cast<const QPlainTextEdit*>(&widget) != nullptr
                                       : qobject_cast<const QLineEdit*>(&widget) != nullptr;
  }
  if (className == "STATIC") return qobject_cast<const QLabel*>(&widget) != nullptr;
  if (className == "BUTTON") return qobject_cast<const QPushButton*>(&widget) != nullptr;
  if (className == "MSCTLS_PROGRESS32") {
    return qobject_cast<const QProgressBar*>(&widget) != nullptr;
  }
  return false;
}

QString WidgetText(const QWidget& widget) {
  if (auto* edit = qobject_cast<const QPlainTextEdit*>(&widget)) return edit->toPlainText();
  if (auto* edit = qobject_cast<const QLineEdit*>(&widget)) return edit->text();
  if (auto* label = qobject_cast<const QLabel*>(&widget)) return label->text();
  if (auto* button = qobject_cast<const QPushButton*>(&widget)) return button->text();
  return {};
}

// The next widget Tab moves to, past those that take no focus from the keyboard.
QWidget* NextTabStop(QWidget* widget) {
  for (QWidget* next = widget->nextInFocusChain(); next != widget;
       next = next->nextInFocusChain()) {
    if (next->focusPolicy() & Qt::TabFocus) return next;
  }
  return widget;
}

TEST_P(DialogAgreementTest, QtShellBuildsWhatWindresCompiled) {
  const resfile::Dialog compiled = CompiledDialog(GetParam().id, GetParam().language);
  QDialog dialog;
  const ui::BuiltDialog built =
      ui::BuildDialog(dialog, ui::LoadDialogTemplate(GetParam().id, GetParam().language));
  EXPECT_EQ(testres::Utf8(dialog.windowTitle()), testres::Utf8(compiled.title));
  EXPECT_EQ(dialog.size(),
            ui::DialogUnitsToPixels(QRect(0, 0, compiled.cx, compiled.cy), built.units).size());
  EXPECT_EQ(dialog.acceptDrops(), (compiled.exStyle & kWsExAcceptFiles) != 0);

  ASSERT_EQ(built.controls.size(), compiled.items.size());
  std::vector<QWidget*> tabStops;
  for (std::size_t i = 0; i < compiled.items.size(); ++i) {
    const resfile::DialogItem& item = compiled.items[i];
    SCOPED_TRACE("control " + std::to_string(i));
    QWidget* widget = built.controls[i].widget;
    ASSERT_NE(widget, nullptr);
    EXPECT_EQ(built.controls[i].id, item.id);
    EXPECT_TRUE(IsWidgetForClass(item, *widget)) << widget->metaObject()->className();
    QRect expected = ui::DialogUnitsToPixels(QRect(item.x, item.y, item.cx, item.cy), built.units);
    const bool icon =
        testres::ClassName(item.windowClass) == "STATIC" && (item.style & kSsTypeMask) == kSsIcon;
    // Windows sizes an icon control to its icon, whatever the template says.
    if (icon) expected.setSize(QSize(kIconPixels, kIconPixels));
    EXPECT_EQ(widget->geometry(), expected);
    if (icon) {
      EXPECT_FALSE(qobject_cast<QLabel*>(widget)->pixmap().isNull());
    } else {
      EXPECT_EQ(testres::Utf8(WidgetText(*widget)), testres::Utf8(item.text.name));
    }
    if (auto* edit = qobject_cast<QPlainTextEdit*>(widget)) {
      EXPECT_EQ(edit->isReadOnly(), (item.style & kEsReadOnly) != 0);
    } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
      EXPECT_EQ(edit->isReadOnly(), (item.style & kEsReadOnly) != 0);
    }
    EXPECT_EQ((widget->focusPolicy() & Qt::TabFocus) != 0, (item.style & kWsTabStop) != 0);
    if (item.style & kWsTabStop) tabStops.push_back(widget);
  }
  // Tab visits the tab stops in template order and comes round to the first again.
  ASSERT_FALSE(tabStops.empty());
  for (std::size_t i = 0; i < tabStops.size(); ++i) {
    EXPECT_EQ(NextTabStop(tabStops[i]), tabStops[(i + 1) % tabStops.size()]) << "tab stop " << i;
  }
}

INSTANTIATE_TEST_SUITE_P(Dialogs, DialogAgreementTest,
                         testing::Values(DialogInLanguage{res::kIddTallimoDialog, kLangJapanese},
                                         DialogInLanguage{res::kIddAboutBox, kLangJapanese},
                                         DialogInLanguage{res::kIddMeasuring, kLangJapanese},
                                         DialogInLanguage{res::kIddTallimoDialog, kLangEnglishUs},
                                         DialogInLanguage{res::kIddAboutBox, kLangEnglishUs},
                                         DialogInLanguage{res::kIddMeasuring, kLangEnglishUs}));

struct IconDesign {
  int group;
  std::set<int> sizes;
  std::set<int> sixteenColours;  // the pixel drawings among them; the rest are 32-bit
};

void PrintTo(const IconDesign& icon, std::ostream* out) { *out << "group " << icon.group; }

class CompiledIconTest : public testing::TestWithParam<IconDesign> {};

// Each image is there as the RT_ICON it names: the pixel drawings in sixteen colours, 4 bits per
// pixel and one plane; the rest 32-bit bitmaps with alpha, and at 256 pixels a PNG file, as
// Windows keeps its largest icons.
TEST_P(CompiledIconTest, GroupHoldsItsSizes) {
  const std::vector<resfile::Resource>& resources = testres::TallimoResources();
  const resfile::Resource* group =
      resfile::Find(resources, resfile::kRtGroupIcon, std::uint16_t(GetParam().group));
  ASSERT_NE(group, nullptr);
  const auto entries = resfile::ParseGroupIcon(group->data);
  ASSERT_TRUE(entries);
  std::set<int> sizes;
  for (const resfile::GroupIconEntry& entry : *entries) {
    SCOPED_TRACE("image " + std::to_string(entry.id));
    sizes.insert(entry.width);
    const bool sixteenColours = GetParam().sixteenColours.contains(entry.width);
    const int bitCount = sixteenColours ? 4 : 32;
    EXPECT_EQ(entry.height, entry.width);
    EXPECT_EQ(entry.colorCount, sixteenColours ? 16 : 0);
    EXPECT_EQ(entry.planes, 1);
    EXPECT_EQ(entry.bitCount, bitCount);
    const resfile::Resource* image = resfile::Find(resources, resfile::kRtIcon, entry.id);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->data.size(), entry.bytes);
    if (entry.width == 256) {
      ASSERT_GE(image->data.size(), 8u);
      EXPECT_EQ(std::string(image->data.begin(), image->data.begin() + 8), "\x89PNG\r\n\x1a\n");
      continue;
    }
    const auto header = resfile::ParseIconImage(image->data);
    ASSERT_TRUE(header);
    EXPECT_EQ(header->width, entry.width);
    EXPECT_EQ(header->height, 2 * entry.width);  // the colour image and its mask
    EXPECT_EQ(header->bitCount, bitCount);
  }
  EXPECT_EQ(sizes, GetParam().sizes);
}

// The .ico files windres compiles show the pixels of the PNGs the Qt shell and the desktop use.
TEST_P(CompiledIconTest, IcoFileShowsThePixelsOfThePngs) {
  const QString folder = QStringLiteral(TALLIMO_SOURCE_DIR "/res/icons/");
  QImageReader ico(folder + QString::number(GetParam().group) + QStringLiteral(".ico"));
  ASSERT_TRUE(ico.canRead()) << ico.errorString().toStdString();
  std::set<int> sizes;
  for (int i = 0; i < ico.imageCount(); ++i) {
    ASSERT_TRUE(ico.jumpToImage(i));
    const QImage image = ico.read().convertToFormat(QImage::Format_ARGB32);
    ASSERT_FALSE(image.isNull()) << ico.errorString().toStdString();
    sizes.insert(image.width());
    const QString png =
        QStringLiteral("%1%2-%3.png").arg(folder).arg(GetParam().group).arg(image.width());
    const QImage expected = QImage(png).convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(image.size(), expected.size()) << png.toStdString();
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x) {
        const QRgb got = image.pixel(x, y);
        const QRgb want = expected.pixel(x, y);
        // Where the mask leaves a pixel out, its colour bits do not matter.
        const bool same = qAlpha(got) == 0 ? qAlpha(want) == 0 : got == want;
        ASSERT_TRUE(same) << png.toStdString() << " at " << x << ", " << y;
      }
    }
  }
  EXPECT_EQ(sizes, GetParam().sizes);
}

INSTANTIATE_TEST_SUITE_P(
    Groups, CompiledIconTest,
    testing::Values(IconDesign{res::kIdrMainFrame, {16, 24, 32, 48, 256}, {16, 32}},
                    IconDesign{res::kIdiAbout, {32, 48, 64}, {32}}));

// The version block takes its numbers from the project version, through the generated header.
TEST(CompiledVersionTest, FileAndProductVersionAreTheProjectVersion) {
  const resfile::Resource* resource =
      resfile::Find(testres::TallimoResources(), resfile::kRtVersion, 1);
  ASSERT_NE(resource, nullptr);
  const auto version = resfile::ParseVersion(resource->data);
  ASSERT_TRUE(version);
  const QStringList parts = QStringLiteral(TALLIMO_VERSION).split(u'.');
  ASSERT_EQ(parts.size(), 4);
  std::array<int, 4> project{};
  for (int i = 0; i < 4; ++i) project[i] = parts[i].toInt();
  EXPECT_EQ(version->file, project);
  EXPECT_EQ(version->product, project);
}

// Every template cut short is refused rather than read as a smaller dialog.
TEST(ResFileTest, RefusesEveryTruncatedDialogTemplate) {
  for (const resfile::Resource& resource : testres::TallimoResources()) {
    if (resource.type.ordinal != resfile::kRtDialog) continue;
    const std::span<const std::uint8_t> data(resource.data);
    for (std::size_t size = 0; size < data.size(); ++size) {
      EXPECT_FALSE(resfile::ParseDialog(data.first(size)))
          << "dialog " << *resource.name.ordinal << ", " << size;
    }
  }
}

}  // namespace
