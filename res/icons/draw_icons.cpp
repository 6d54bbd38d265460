// Draws Tallimo's icons into res/icons: group 128 (the program: a stopwatch with a plus badge) and
// group 131 (the about box: a list of times added up). The program's 32 and 16 pixel images and
// the about box's 32 pixel one are pixel drawings in the 16 colours of the classic VGA palette,
// fully transparent pixels standing in for an icon's mask. The larger sizes that screens of more
// pixels per inch and large icon views ask for are the same pictures drawn as shapes, smoothed,
// in 32-bit colour with alpha; the program's shapes are also written as an SVG file, the icon
// that Linux desktops scale to any size. Each image is written as a PNG for the Qt shell and the
// desktop, and each group as a Windows .ico file for the resource script: the 16-colour images as
// 4-bit bitmaps with an AND mask, the larger ones as 32-bit bitmaps, and the 256 pixel one as a
// PNG, as Windows keeps its largest icons.
// Run `make icons` after changing a drawing.
#include <QBuffer>
#include <QColor>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <QVector>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <utility>
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

// The pictures as shapes on a grid of 32 units, the pixel drawings' own, for every larger size.
struct Shape {
  enum class Kind { kRect, kCircle, kLine, kPolygon };
  Kind kind;
  std::vector<QPointF> points;  // rect: two corners; circle: centre and a point on it; line: ends
  Vga fill;
  Vga stroke;
  double strokeWidth;  // 0: no outline
};

constexpr Vga kNone = static_cast<Vga>(16);  // the palette's transparent entry

Shape Rect(double x, double y, double w, double h, Vga fill) {
  return {Shape::Kind::kRect, {{x, y}, {x + w, y + h}}, fill, kNone, 0};
}

Shape Circle(double cx, double cy, double r, Vga fill, Vga stroke, double strokeWidth) {
  return {Shape::Kind::kCircle, {{cx, cy}, {cx + r, cy}}, fill, stroke, strokeWidth};
}

Shape Line(double x1, double y1, double x2, double y2, Vga stroke, double width) {
  return {Shape::Kind::kLine, {{x1, y1}, {x2, y2}}, kNone, stroke, width};
}

Shape Polygon(std::vector<QPointF> points, Vga fill, Vga stroke, double strokeWidth) {
  return {Shape::Kind::kPolygon, std::move(points), fill, stroke, strokeWidth};
}

// The stopwatch of the 32 pixel drawing: crown, case, face with its four marks, the minute hand at
// 12 and the second hand towards 4, and the plus badge over the lower right.
std::vector<Shape> StopwatchShapes() {
  return {
      Rect(13, 1, 6, 2.5, kGray),
      Rect(15, 3.5, 2, 2.5, kBlack),
      Circle(15.5, 17.5, 12.5, kSilver, kBlack, 1),
      Circle(15.5, 17.5, 10, kWhite, kGray, 0.75),
      Rect(14.75, 8.5, 1.5, 3, kBlack),
      Rect(14.75, 23.5, 1.5, 3, kBlack),
      Rect(6.5, 16.75, 3, 1.5, kBlack),
      Rect(21.5, 16.75, 3, 1.5, kBlack),
      Line(15.5, 17.5, 15.5, 11.5, kNavy, 2),
      Line(15.5, 17.5, 21, 21.5, kRed, 1),
      Circle(15.5, 17.5, 1.25, kBlack, kNone, 0),
      Circle(25.5, 25.5, 5.75, kGreen, kBlack, 1),
      Rect(22, 24.5, 7, 2, kWhite),
      Rect(24.5, 22, 2, 7, kWhite),
  };
}

// A time as the pixel drawing writes it, "h:mm.ss" in dashes, on the row starting at `y`.
void AddTimeDashes(std::vector<Shape>& shapes, double y, Vga colour) {
  shapes.push_back(Rect(8, y, 2, 2, colour));
  shapes.push_back(Rect(11, y, 1, 2, colour));
  shapes.push_back(Rect(13, y, 4, 2, colour));
  shapes.push_back(Rect(18, y + 1, 1, 1, colour));
  shapes.push_back(Rect(20, y, 3, 2, colour));
}

// The sheet of the about box's drawing: three times, a double rule and their sum.
std::vector<Shape> TallySheetShapes() {
  std::vector<Shape> shapes = {
      Polygon({{5.5, 1.5}, {20, 1.5}, {26.5, 8}, {26.5, 30.5}, {5.5, 30.5}}, kWhite, kBlack, 1),
      Polygon({{20, 1.5}, {20, 8}, {26.5, 8}}, kSilver, kBlack, 1),
  };
  for (double y : {6, 11, 16}) AddTimeDashes(shapes, y, kNavy);
  shapes.push_back(Rect(8, 20, 16, 1, kRed));
  shapes.push_back(Rect(8, 22, 16, 1, kRed));
  AddTimeDashes(shapes, 25, kMaroon);
  return shapes;
}

constexpr double kGrid = 32;

QPainterPath PathOf(const Shape& shape) {
  QPainterPath path;
  const std::vector<QPointF>& p = shape.points;
  switch (shape.kind) {
    case Shape::Kind::kRect:
      path.addRect(QRectF(p[0], p[1]));
      break;
    case Shape::Kind::kCircle: {
      const double r = p[1].x() - p[0].x();
      path.addEllipse(p[0], r, r);
      break;
    }
    case Shape::Kind::kLine:
      path.moveTo(p[0]);
      path.lineTo(p[1]);
      break;
    case Shape::Kind::kPolygon:
      path.addPolygon(QPolygonF(QVector<QPointF>(p.begin(), p.end())));
      path.closeSubpath();
      break;
  }
  return path;
}

// The shapes smoothed at `size` pixels a side, in full colour with alpha.
QImage Render(const std::vector<Shape>& shapes, int size) {
  QImage image = Canvas(size);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing, true);
  p.scale(size / kGrid, size / kGrid);
  for (const Shape& shape : shapes) {
    const QPainterPath path = PathOf(shape);
    if (shape.fill != kNone) p.fillPath(path, C(shape.fill));
    if (shape.stroke != kNone && shape.strokeWidth > 0) {
      p.strokePath(path, QPen(C(shape.stroke), shape.strokeWidth, Qt::SolidLine, Qt::RoundCap,
                              Qt::MiterJoin));
    }
  }
  return image;
}

QString SvgColour(Vga colour) {
  return colour == kNone ? QStringLiteral("none") : C(colour).name(QColor::HexRgb);
}

QString Number(double value) { return QString::number(value, 'g', 6); }

// The same shapes as an SVG document of the same grid.
QByteArray Svg(const std::vector<Shape>& shapes) {
  QString svg = QStringLiteral(
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" "
      "viewBox=\"0 0 32 32\">\n");
  for (const Shape& shape : shapes) {
    const std::vector<QPointF>& p = shape.points;
    QString paint = QStringLiteral(" fill=\"%1\"").arg(SvgColour(shape.fill));
    if (shape.stroke != kNone && shape.strokeWidth > 0) {
      paint += QStringLiteral(" stroke=\"%1\" stroke-width=\"%2\"")
                   .arg(SvgColour(shape.stroke), Number(shape.strokeWidth));
    }
    switch (shape.kind) {
      case Shape::Kind::kRect:
        svg += QStringLiteral("  <rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"%4\"%5/>\n")
                   .arg(Number(p[0].x()), Number(p[0].y()), Number(p[1].x() - p[0].x()),
                        Number(p[1].y() - p[0].y()), paint);
        break;
      case Shape::Kind::kCircle:
        svg += QStringLiteral("  <circle cx=\"%1\" cy=\"%2\" r=\"%3\"%4/>\n")
                   .arg(Number(p[0].x()), Number(p[0].y()), Number(p[1].x() - p[0].x()), paint);
        break;
      case Shape::Kind::kLine:
        svg +=
            QStringLiteral(
                "  <line x1=\"%1\" y1=\"%2\" x2=\"%3\" y2=\"%4\"%5 "
                "stroke-linecap=\"round\"/>\n")
                .arg(Number(p[0].x()), Number(p[0].y()), Number(p[1].x()), Number(p[1].y()), paint);
        break;
      case Shape::Kind::kPolygon: {
        QStringList points;
        for (const QPointF& point : p) points << Number(point.x()) + u',' + Number(point.y());
        svg += QStringLiteral("  <polygon points=\"%1\"%2/>\n").arg(points.join(u' '), paint);
        break;
      }
    }
  }
  svg += QStringLiteral("</svg>\n");
  return svg.toUtf8();
}

bool Write(const QByteArray& bytes, const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
    std::fprintf(stderr, "draw_icons: cannot write %s\n", qPrintable(path));
    return false;
  }
  return true;
}

// One image of an icon: a pixel drawing in the 16 colours, or a smoothed one in 32-bit colour.
struct Picture {
  QImage image;
  bool sixteenColours;
};

QImage Indexed(const QImage& image) {
  return image.convertToFormat(QImage::Format_Indexed8, Palette(),
                               Qt::ThresholdDither | Qt::AvoidDither);
}

QByteArray Png(const Picture& picture) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  (picture.sixteenColours ? Indexed(picture.image) : picture.image).save(&buffer, "PNG");
  return bytes;
}

void PutLE(QByteArray& out, std::uint32_t value, int width) {
  for (int i = 0; i < width; ++i) out.append(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// Rows of a Windows bitmap are padded to whole 32-bit words.
int RowBytes(int width, int bitsPerPixel) { return (width * bitsPerPixel + 31) / 32 * 4; }

constexpr int kVgaColours = 16;

// Windows keeps icons of 256 pixels as PNG files, and every smaller one as a bitmap.
constexpr int kPngIconSize = 256;

int BitsPerPixel(const Picture& picture) { return picture.sixteenColours ? 4 : 32; }

// One image of an .ico file: a BITMAPINFOHEADER of twice the height (colour image and mask), the
// 16-colour palette for a 4-bit image, the colour image and the 1-bit AND mask, both bottom-up. A
// 4-bit image's transparent pixels are black and set in the mask; a 32-bit image carries its own
// alpha, and its mask is set where the alpha is 0. A 256 pixel image is the PNG file itself.
QByteArray IcoImage(const Picture& picture) {
  const int size = picture.image.width();
  if (size == kPngIconSize) return Png(picture);
  const int bits = BitsPerPixel(picture);
  const QImage argb = picture.image.convertToFormat(QImage::Format_ARGB32);
  const QImage indexed = Indexed(picture.image);
  const auto transparent = [&](int x, int y) {
    return picture.sixteenColours ? indexed.pixelIndex(x, y) >= kVgaColours
                                  : qAlpha(argb.pixel(x, y)) == 0;
  };
  QByteArray out;
  PutLE(out, 40, 4);        // header size
  PutLE(out, size, 4);      // width
  PutLE(out, size * 2, 4);  // height of colour image and mask together
  PutLE(out, 1, 2);         // planes
  PutLE(out, bits, 2);      // bits per pixel
  PutLE(out, 0, 4);         // no compression
  PutLE(out, (RowBytes(size, bits) + RowBytes(size, 1)) * size, 4);
  PutLE(out, 0, 4);  // horizontal and vertical resolution: unused for icons
  PutLE(out, 0, 4);
  PutLE(out, picture.sixteenColours ? kVgaColours : 0, 4);  // colours in the palette
  PutLE(out, 0, 4);                                         // all of them important
  if (picture.sixteenColours) {
    for (int i = 0; i < kVgaColours; ++i) {
      const QRgb c = Palette()[i];
      out.append(static_cast<char>(qBlue(c)));
      out.append(static_cast<char>(qGreen(c)));
      out.append(static_cast<char>(qRed(c)));
      out.append('\0');
    }
  }
  for (int y = size - 1; y >= 0; --y) {
    QByteArray row(RowBytes(size, bits), '\0');
    for (int x = 0; x < size; ++x) {
      if (picture.sixteenColours) {
        const int index = transparent(x, y) ? kBlack : indexed.pixelIndex(x, y);
        row[x / 2] = static_cast<char>(row[x / 2] | (x % 2 == 0 ? index << 4 : index));
      } else {
        const QRgb c = argb.pixel(x, y);
        row[4 * x] = static_cast<char>(qBlue(c));
        row[4 * x + 1] = static_cast<char>(qGreen(c));
        row[4 * x + 2] = static_cast<char>(qRed(c));
        row[4 * x + 3] = static_cast<char>(qAlpha(c));
      }
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

// An icon group as one .ico file: the directory, then each image. A size of 256 is written 0.
QByteArray Ico(const std::vector<Picture>& pictures) {
  constexpr int kDirectoryBytes = 6;
  constexpr int kEntryBytes = 16;
  QByteArray directory;
  QByteArray data;
  PutLE(directory, 0, 2);  // reserved
  PutLE(directory, 1, 2);  // an icon, not a cursor
  PutLE(directory, static_cast<std::uint32_t>(pictures.size()), 2);
  std::uint32_t offset =
      kDirectoryBytes + kEntryBytes * static_cast<std::uint32_t>(pictures.size());
  for (const Picture& picture : pictures) {
    const QByteArray bytes = IcoImage(picture);
    const int size = picture.image.width();
    directory.append(static_cast<char>(size % 256));
    directory.append(static_cast<char>(size % 256));
    directory.append(static_cast<char>(picture.sixteenColours ? kVgaColours : 0));
    directory.append('\0');  // reserved
    PutLE(directory, 1, 2);  // planes
    PutLE(directory, BitsPerPixel(picture), 2);
    PutLE(directory, static_cast<std::uint32_t>(bytes.size()), 4);
    PutLE(directory, offset, 4);
    offset += static_cast<std::uint32_t>(bytes.size());
    data += bytes;
  }
  return directory + data;
}

// A group's pictures, smallest first: the pixel drawings, and the shapes smoothed at every other
// size.
std::vector<Picture> Group(std::vector<QImage> pixelDrawings, const std::vector<Shape>& shapes,
                           std::initializer_list<int> smoothedSizes) {
  std::vector<Picture> pictures;
  for (QImage& image : pixelDrawings) pictures.push_back({std::move(image), true});
  for (int size : smoothedSizes) pictures.push_back({Render(shapes, size), false});
  std::sort(pictures.begin(), pictures.end(),
            [](const Picture& a, const Picture& b) { return a.image.width() < b.image.width(); });
  return pictures;
}

// Each picture as "<group>-<size>.png" and the ones of `icoSizes` as "<group>.ico".
bool SaveGroup(const QString& folder, int group, const std::vector<Picture>& pictures,
               std::initializer_list<int> icoSizes) {
  std::vector<Picture> inIco;
  for (const Picture& picture : pictures) {
    const int size = picture.image.width();
    const QString png = QStringLiteral("%1/%2-%3.png").arg(folder).arg(group).arg(size);
    if (!Write(Png(picture), png)) return false;
    if (std::find(icoSizes.begin(), icoSizes.end(), size) != icoSizes.end()) {
      inIco.push_back(picture);
    }
  }
  return Write(Ico(inIco), QStringLiteral("%1/%2.ico").arg(folder).arg(group));
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT-FOLDER\n", argv[0]);
    return 2;
  }
  const QString folder = QString::fromLocal8Bit(argv[1]);
  // The program: every size of the freedesktop icon theme up to 256 for the desktop; Windows takes
  // 16 and 24 for the title bar at 100 and 150 % scale, 32 and 48 for the taskbar and Alt+Tab, 256
  // for Explorer's large views. The about box: 32, 48 and 64 for its icon at 100, 150 and 200 %.
  const std::vector<Picture> program =
      Group({Stopwatch16(), Stopwatch32()}, StopwatchShapes(), {22, 24, 48, 64, 128, 256});
  const std::vector<Picture> about = Group({TallySheet32()}, TallySheetShapes(), {48, 64});
  const bool ok = SaveGroup(folder, 128, program, {16, 24, 32, 48, 256}) &&
                  SaveGroup(folder, 131, about, {32, 48, 64}) &&
                  Write(Svg(StopwatchShapes()), folder + QStringLiteral("/128.svg"));
  return ok ? 0 : 1;
}
