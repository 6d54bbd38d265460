// Draws Tallimo's icons into res/icons: group 128 (the program: a stopwatch with a plus badge, at
// 32 and 16 pixels) and group 131 (the about box: a list of times added up). They are 16-colour
// images in the classic VGA palette; fully transparent pixels stand in for an icon's mask. Each
// image is written as a PNG for the Qt shell and the desktop, and each group as a Windows .ico
// file (4 bits per pixel with an AND mask) for the resource script.
// Run `make icons` after changing a drawing.
#include <QColor>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QString>
#include <QVector>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

enum Vga {
  kBlack,
  kMaroon,
  kGreen,
  kOlive,
  kNavy,
  kPurple,
  kTeal,
  kSilver,
  kGray,
  kRed,
  kLime,
  kYellow,
  kBlue,
  kFuchsia,
  kAqua,
  kWhite
};

const QVector<QRgb>& Palette() {
  static const QVector<QRgb> colours = {
      qRgb(0x00, 0x00, 0x00), qRgb(0x80, 0x00, 0x00), qRgb(0x00, 0x80, 0x00),
      qRgb(0x80, 0x80, 0x00), qRgb(0x00, 0x00, 0x80), qRgb(0x80, 0x00, 0x80),
      qRgb(0x00, 0x80, 0x80), qRgb(0xC0, 0xC0, 0xC0), qRgb(0x80, 0x80, 0x80),
      qRgb(0xFF, 0x00, 0x00), qRgb(0x00, 0xFF, 0x00), qRgb(0xFF, 0xFF, 0x00),
      qRgb(0x00, 0x00, 0xFF), qRgb(0xFF, 0x00, 0xFF), qRgb(0x00, 0xFF, 0xFF),
      qRgb(0xFF, 0xFF, 0xFF), qRgba(0, 0, 0, 0)};
  return colours;
}

QColor C(Vga index) { return QColor::fromRgb(Palette()[index]); }

QImage Canvas(int size) {
  QImage image(size, size, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  return image;
}

// Crisp pixels only: antialiasing would bring in colours outside the palette.
void Prepare(QPainter& painter) { painter.setRenderHint(QPainter::Antialiasing, false); }

QImage Stopwatch32() {
  QImage image = Canvas(32);
  QPainter p(&image);
  Prepare(p);
  // Crown and its stem.
  p.fillRect(13, 1, 6, 2, C(kGray));
  p.fillRect(15, 3, 2, 3, C(kBlack));
  // Face with rim.
  p.setPen(C(kBlack));
  p.setBrush(C(kSilver));
  p.drawEllipse(3, 5, 24, 24);
  p.setBrush(C(kWhite));
  p.setPen(C(kGray));
  p.drawEllipse(5, 7, 20, 20);
  // Marks at 12, 3, 6 and 9 o'clock.
  p.fillRect(15, 8, 2, 3, C(kBlack));
  p.fillRect(15, 24, 2, 3, C(kBlack));
  p.fillRect(6, 17, 3, 1, C(kBlack));
  p.fillRect(22, 17, 3, 1, C(kBlack));
  // Hands: minutes to 12, seconds sweeping towards 4.
  p.fillRect(15, 11, 2, 7, C(kNavy));
  p.setPen(C(kRed));
  p.drawLine(16, 17, 21, 21);
  p.fillRect(15, 16, 2, 2, C(kBlack));
  // Plus badge: durations are added up.
  p.setPen(C(kBlack));
  p.setBrush(C(kGreen));
  p.drawEllipse(20, 20, 11, 11);
  p.fillRect(22, 25, 8, 2, C(kWhite));
  p.fillRect(25, 22, 2, 8, C(kWhite));
  return image;
}

QImage Stopwatch16() {
  QImage image = Canvas(16);
  QPainter p(&image);
  Prepare(p);
  p.fillRect(6, 0, 4, 1, C(kGray));
  p.fillRect(7, 1, 2, 2, C(kBlack));
  p.setPen(C(kBlack));
  p.setBrush(C(kWhite));
  p.drawEllipse(1, 3, 12, 12);
  p.fillRect(7, 5, 1, 4, C(kNavy));
  p.setPen(C(kRed));
  p.drawLine(7, 9, 10, 11);
  p.setPen(C(kBlack));
  p.setBrush(C(kGreen));
  p.drawEllipse(9, 9, 6, 6);
  p.fillRect(10, 12, 5, 1, C(kWhite));
  p.fillRect(12, 10, 1, 5, C(kWhite));
  return image;
}

QImage TallySheet32() {
  QImage image = Canvas(32);
  QPainter p(&image);
  Prepare(p);
  // A sheet with a folded corner.
  p.setPen(C(kBlack));
  p.setBrush(C(kWhite));
  const QPoint sheet[] = {{5, 1}, {20, 1}, {26, 7}, {26, 30}, {5, 30}};
  p.drawPolygon(sheet, 5);
  p.setBrush(C(kSilver));
  const QPoint fold[] = {{20, 1}, {20, 7}, {26, 7}};
  p.drawPolygon(fold, 3);
  // Three times, one per line, as "h:mm.ss" dashes.
  for (int y : {6, 11, 16}) {
    p.fillRect(8, y, 2, 2, C(kNavy));
    p.fillRect(11, y, 1, 2, C(kNavy));
    p.fillRect(13, y, 4, 2, C(kNavy));
    p.fillRect(18, y + 1, 1, 1, C(kNavy));
    p.fillRect(20, y, 3, 2, C(kNavy));
  }
  // The sum under a double rule.
  p.fillRect(8, 20, 16, 1, C(kRed));
  p.fillRect(8, 22, 16, 1, C(kRed));
  p.fillRect(8, 25, 2, 2, C(kMaroon));
  p.fillRect(11, 25, 1, 2, C(kMaroon));
  p.fillRect(13, 25, 4, 2, C(kMaroon));
  p.fillRect(18, 26, 1, 1, C(kMaroon));
  p.fillRect(20, 25, 3, 2, C(kMaroon));
  return image;
}

bool Save(const QImage& image, const QString& path) {
  const QImage indexed = image.convertToFormat(QImage::Format_Indexed8, Palette(),
                                               Qt::ThresholdDither | Qt::AvoidDither);
  if (!indexed.save(path, "PNG")) {
    std::fprintf(stderr, "draw_icons: cannot write %s\n", qPrintable(path));
    return false;
  }
  return true;
}

void PutLE(QByteArray& out, std::uint32_t value, int width) {
  for (int i = 0; i < width; ++i) out.append(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// Rows of a Windows bitmap are padded to whole 32-bit words.
int RowBytes(int width, int bitsPerPixel) { return (width * bitsPerPixel + 31) / 32 * 4; }

// One image of an .ico file: a BITMAPINFOHEADER of twice the height (colour image and mask), the
// 16-colour palette, the 4-bit colour image and the 1-bit AND mask, both bottom-up. Transparent
// pixels are black in the colour image and set in the mask.
QByteArray IcoImage(const QImage& image) {
  const int size = image.width();
  const QVector<QRgb>& palette = Palette();
  const QImage indexed = image.convertToFormat(QImage::Format_Indexed8, palette,
                                               Qt::ThresholdDither | Qt::AvoidDither);
  constexpr int kVgaColours = 16;
  QByteArray out;
  PutLE(out, 40, 4);        // header size
  PutLE(out, size, 4);      // width
  PutLE(out, size * 2, 4);  // height of colour image and mask together
  PutLE(out, 1, 2);         // planes
  PutLE(out, 4, 2);         // bits per pixel
  PutLE(out, 0, 4);         // no compression
  PutLE(out, (RowBytes(size, 4) + RowBytes(size, 1)) * size, 4);
  PutLE(out, 0, 4);  // horizontal and vertical resolution: unused for icons
  PutLE(out, 0, 4);
  PutLE(out, kVgaColours, 4);  // colours used
  PutLE(out, 0, 4);            // all of them important
  for (int i = 0; i < kVgaColours; ++i) {
    const QRgb c = palette[i];
    out.append(static_cast<char>(qBlue(c)));
    out.append(static_cast<char>(qGreen(c)));
    out.append(static_cast<char>(qRed(c)));
    out.append('\0');
  }
  const auto transparent = [&](int x, int y) { return indexed.pixelIndex(x, y) >= kVgaColours; };
  for (int y = size - 1; y >= 0; --y) {
    QByteArray row(RowBytes(size, 4), '\0');
    for (int x = 0; x < size; ++x) {
      const int index = transparent(x, y) ? kBlack : indexed.pixelIndex(x, y);
      row[x / 2] = static_cast<char>(row[x / 2] | (x % 2 == 0 ? index << 4 : index));
    }
    out += row;
  }
  for (int y = size - 1; y >= 0; --y) {
    QByteArray row(RowBytes(size, 1), '\0');
    for (int x = 0; x < size; ++x) {
      if (transparent(x, y)) row[x / 8] = static_cast<char>(row[x / 8] | (0x80 >> (x % 8)));
    }
    out += row;
  }
  return out;
}

// An icon group as one .ico file: the directory, then each image.
bool SaveIco(const std::vector<QImage>& images, const QString& path) {
  constexpr int kDirectoryBytes = 6;
  constexpr int kEntryBytes = 16;
  QByteArray directory;
  QByteArray data;
  PutLE(directory, 0, 2);  // reserved
  PutLE(directory, 1, 2);  // an icon, not a cursor
  PutLE(directory, static_cast<std::uint32_t>(images.size()), 2);
  std::uint32_t offset = kDirectoryBytes + kEntryBytes * static_cast<std::uint32_t>(images.size());
  for (const QImage& image : images) {
    const QByteArray bytes = IcoImage(image);
    directory.append(static_cast<char>(image.width()));
    directory.append(static_cast<char>(image.height()));
    directory.append(static_cast<char>(16));  // colours in the palette
    directory.append('\0');                   // reserved
    PutLE(directory, 1, 2);                   // planes
    PutLE(directory, 4, 2);                   // bits per pixel
    PutLE(directory, static_cast<std::uint32_t>(bytes.size()), 4);
    PutLE(directory, offset, 4);
    offset += static_cast<std::uint32_t>(bytes.size());
    data += bytes;
  }
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(directory + data) != directory.size() + data.size()) {
    std::fprintf(stderr, "draw_icons: cannot write %s\n", qPrintable(path));
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT-FOLDER\n", argv[0]);
    return 2;
  }
  const QString folder = QString::fromLocal8Bit(argv[1]);
  const QImage stopwatch32 = Stopwatch32();
  const QImage stopwatch16 = Stopwatch16();
  const QImage tallySheet32 = TallySheet32();
  const bool ok = Save(stopwatch32, folder + QStringLiteral("/128-32.png")) &&
                  Save(stopwatch16, folder + QStringLiteral("/128-16.png")) &&
                  Save(tallySheet32, folder + QStringLiteral("/131-32.png")) &&
                  SaveIco({stopwatch32, stopwatch16}, folder + QStringLiteral("/128.ico")) &&
                  SaveIco({tallySheet32}, folder + QStringLiteral("/131.ico"));
  return ok ? 0 : 1;
}
