#include "rotaskiv/loupe.h"

#include <QImage>
#include <QPainter>
#include <QtMath>

#include "common/colour.h"
#include "rotaskiv/style_constants.h"

namespace capture {

namespace {

// One axis: beside the pointer on the side away from `away`, on the other
// side when that runs off the screen, and inside the screen at worst.
double placed(double pointer, double away, double side, double screen) {
  const double after = pointer + kLoupeGap;
  const double before = pointer - kLoupeGap - side;
  const bool fitsAfter = after + side <= screen;
  const bool fitsBefore = before >= 0;
  double start = pointer >= away ? (fitsAfter || !fitsBefore ? after : before)
                                 : (fitsBefore || !fitsAfter ? before : after);
  return qBound(0.0, start, qMax(0.0, screen - side));
}

}  // namespace

Loupe loupeFor(QPointF pointer, QPointF awayFrom, QSizeF screen, qreal devicePixelRatio) {
  // An odd number of cells, so that the pointer's pixel is the middle one.
  const int cells = int(kLoupeSide * devicePixelRatio / kLoupeZoom) | 1;
  const double side = cells * kLoupeZoom / devicePixelRatio;
  const QPoint under(qFloor(pointer.x() * devicePixelRatio),
                     qFloor(pointer.y() * devicePixelRatio));
  // On the device pixel grid, so each cell is drawn as whole device pixels.
  const auto onGrid = [devicePixelRatio](double at) {
    return qRound(at * devicePixelRatio) / devicePixelRatio;
  };
  const QPointF at(onGrid(placed(pointer.x(), awayFrom.x(), side, screen.width())),
                   onGrid(placed(pointer.y(), awayFrom.y(), side, screen.height())));
  return {QRectF(at, QSizeF(side, side)),
          QRect(under - QPoint(cells / 2, cells / 2), QSize(cells, cells))};
}

void paintLoupe(QPainter& painter, const QImage& picture, const Loupe& loupe) {
  // Device pixels beyond the picture come out of copy() as 0: black.
  QImage cells = picture.copy(loupe.source).convertToFormat(QImage::Format_RGB32);
  cells.setDevicePixelRatio(1);
  QImage magnified =
      cells.scaled(cells.size() * kLoupeZoom, Qt::IgnoreAspectRatio, Qt::FastTransformation);
  {
    // Drawn in the magnified picture's own device pixels: lines exactly one
    // device pixel wide at any scale.
    QPainter marks(&magnified);
    const QColor blue = colour::toQColor(style_constants::kSelectionBlue);
    const int middle = (loupe.source.width() / 2) * kLoupeZoom;  // the pointer's cell
    const int end = magnified.width();
    QColor line = blue;
    line.setAlpha(160);
    const int across = middle + kLoupeZoom / 2;
    marks.fillRect(0, across, middle - 1, 1, line);
    marks.fillRect(middle + kLoupeZoom + 1, across, end - middle - kLoupeZoom - 1, 1, line);
    marks.fillRect(across, 0, 1, middle - 1, line);
    marks.fillRect(across, middle + kLoupeZoom + 1, 1, end - middle - kLoupeZoom - 1, line);
    marks.setPen(blue);
    marks.setBrush(Qt::NoBrush);
    marks.drawRect(middle - 1, middle - 1, kLoupeZoom + 1, kLoupeZoom + 1);
    marks.drawRect(0, 0, end - 1, end - 1);
  }
  magnified.setDevicePixelRatio(picture.devicePixelRatio());
  painter.drawImage(loupe.area.topLeft(), magnified);
}

}  // namespace capture
