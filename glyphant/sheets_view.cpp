#include "glyphant/sheets_view.h"

#include <QPainter>
#include <algorithm>

#include "glyphant/print_job.h"

namespace {

constexpr int kGap = 8;  // pixels around and between the pages

}  // namespace

SheetsView::SheetsView(const PrintSource& source, QWidget* parent)
    : QWidget(parent), source_(source) {
  setMinimumSize(200, 150);
}

void SheetsView::setSheets(const poster::Layout& layout, const QPageLayout& page) {
  layout_ = layout;
  page_ = page;
  rendered_ = QImage();
  update();
}

void SheetsView::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  rendered_ = QImage();
}

void SheetsView::paintEvent(QPaintEvent*) {
  if (rendered_.size() != size()) render();
  QPainter(this).drawImage(0, 0, rendered_);
}

void SheetsView::render() {
  rendered_ = QImage(size(), QImage::Format_RGB32);
  rendered_.fill(palette().color(QPalette::Dark));
  if (layout_.sheets.empty() || !page_.isValid()) return;
  const int rows = std::max(1, layout_.rows), columns = std::max(1, layout_.columns);
  const QSizeF paper = page_.fullRectPoints().size();
  // Pixels per point, for the largest pages that fit.
  const double scale = std::min((width() - kGap * (columns + 1)) / (columns * paper.width()),
                                (height() - kGap * (rows + 1)) / (rows * paper.height()));
  if (scale <= 0) return;
  const QSize pageSize = (paper * scale).toSize();
  const QPoint origin((width() - columns * (pageSize.width() + kGap) + kGap) / 2,
                      (height() - rows * (pageSize.height() + kGap) + kGap) / 2);
  // Each page drawn as the printer draws it: at a resolution that makes the
  // page as large as it is shown, with the printer's margins around the area
  // it paints.
  const int dpi = std::max(1, qRound(72 * scale));
  QImage sheetImage(pageSize, QImage::Format_RGB32);
  sheetImage.setDotsPerMeterX(qRound(dpi / 0.0254));
  sheetImage.setDotsPerMeterY(qRound(dpi / 0.0254));
  const QRect printable = page_.paintRectPixels(dpi);
  QPainter view(&rendered_);
  for (const poster::Sheet& sheet : layout_.sheets) {
    sheetImage.fill(Qt::white);
    QPainter onPage(&sheetImage);
    onPage.setWindow(QRect(-printable.topLeft(), pageSize));
    print_job::paintSheet(onPage, page_, source_, layout_, sheet);
    onPage.end();
    const QPoint at = origin + QPoint(sheet.column * (pageSize.width() + kGap),
                                      sheet.row * (pageSize.height() + kGap));
    view.drawImage(at, sheetImage);
  }
}
