// Draws Rotaskiv's built-in pictures: a 320 x 240 sample whose turn, mask and
// colour changes are easy to see, and an 800 x 600 background.
// Usage: generate_assets OUTPUT_FOLDER
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cstdio>

namespace {

QImage sample() {
  QImage image(320, 240, QImage::Format_RGB32);
  // White surroundings: white is the mask colour at start, so the picture's
  // own shape shows over the background.
  image.fill(Qt::white);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);

  // A card with every hue across and falling brightness downwards, so hue,
  // saturation and threshold changes show at a glance.
  const QRectF card(16, 16, 288, 208);
  QPainterPath cardPath;
  cardPath.addRoundedRect(card, 18, 18);
  QLinearGradient hues(card.topLeft(), card.topRight());
  for (int i = 0; i <= 6; ++i) hues.setColorAt(i / 6.0, QColor::fromHsv((i * 60) % 360, 200, 250));
  p.fillPath(cardPath, hues);
  QLinearGradient shade(card.topLeft(), card.bottomLeft());
  shade.setColorAt(0, QColor(255, 255, 255, 90));
  shade.setColorAt(0.45, QColor(0, 0, 0, 0));
  shade.setColorAt(1, QColor(0, 0, 0, 170));
  p.fillPath(cardPath, shade);
  p.setPen(QPen(QColor(30, 40, 70), 3));
  p.drawPath(cardPath);

  // An arrow pointing up: which way the picture turns is plain to see.
  QPainterPath arrow;
  arrow.moveTo(160, 36);
  arrow.lineTo(222, 110);
  arrow.lineTo(184, 110);
  arrow.lineTo(184, 200);
  arrow.lineTo(136, 200);
  arrow.lineTo(136, 110);
  arrow.lineTo(98, 110);
  arrow.closeSubpath();
  p.setPen(QPen(QColor(255, 230, 90), 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(QColor(25, 35, 80));
  p.drawPath(arrow);

  // Corner marks in primary colours.
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(220, 30, 30));
  p.drawEllipse(QPointF(48, 48), 16, 16);
  p.setBrush(QColor(30, 170, 60));
  p.drawRect(QRectF(256, 32, 32, 32));
  p.setBrush(QColor(30, 80, 220));
  const QPointF triangle[3] = {{48, 176}, {68, 208}, {28, 208}};
  p.drawPolygon(triangle, 3);
  return image;
}

QImage background() {
  QImage image(800, 600, QImage::Format_RGB32);
  QPainter p(&image);
  QLinearGradient sky(0, 0, 0, 600);
  sky.setColorAt(0, QColor(214, 236, 242));
  sky.setColorAt(1, QColor(226, 218, 244));
  p.fillRect(image.rect(), sky);
  // A faint grid shows transparency and the display's scale.
  p.setPen(QPen(QColor(160, 180, 205, 110), 1));
  for (int x = 0; x < 800; x += 40) p.drawLine(x, 0, x, 600);
  for (int y = 0; y < 600; y += 40) p.drawLine(0, y, 800, y);
  p.setPen(QPen(QColor(120, 145, 180, 150), 1));
  for (int x = 0; x < 800; x += 200) p.drawLine(x, 0, x, 600);
  for (int y = 0; y < 600; y += 200) p.drawLine(0, y, 800, y);
  return image;
}

}  // namespace

int main(int argc, char* argv[]) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: generate_assets OUTPUT_FOLDER\n");
    return 2;
  }
  const QDir out(QString::fromLocal8Bit(argv[1]));
  if (!QDir().mkpath(out.path()) || !sample().save(out.filePath("sample.png")) ||
      !background().save(out.filePath("background.png"))) {
    std::fprintf(stderr, "generate_assets: cannot write to %s\n", argv[1]);
    return 1;
  }
  return 0;
}
