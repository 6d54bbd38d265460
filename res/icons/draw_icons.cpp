// Draws Tallimo's icons into res/icons: group 128 (the program: a stopwatch with a plus badge, at
// 32 and 16 pixels) and group 131 (the about box: a list of times added up). They are 16-colour
// images in the classic VGA palette; fully transparent pixels stand in for an icon's mask.
// Run `make icons` after changing a drawing.
#include <QColor>
#include <QImage>
#include <QPainter>
#include <QString>
#include <QVector>
#include <cstdio>

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

}  // namespace

int main(int argc, char* argv[]) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT-FOLDER\n", argv[0]);
    return 2;
  }
  const QString folder = QString::fromLocal8Bit(argv[1]);
  const bool ok = Save(Stopwatch32(), folder + QStringLiteral("/128-32.png")) &&
                  Save(Stopwatch16(), folder + QStringLiteral("/128-16.png")) &&
                  Save(TallySheet32(), folder + QStringLiteral("/131-32.png"));
  return ok ? 0 : 1;
}
