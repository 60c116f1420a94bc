#pragma once

#include <QImage>
#include <QPageLayout>
#include <QWidget>

#include "glyphant/print_job.h"

// The sheets of a print laid out as they are put together: the poster's
// rows and columns of pages, each drawn as it will be printed, all scaled to
// fit the view, so that the whole poster is in sight at once.
class SheetsView : public QWidget {
 public:
  SheetsView(const PrintSource& source, QWidget* parent = nullptr);

  void setSheets(const poster::Layout& layout, const QPageLayout& page);
  int sheetCount() const { return int(layout_.sheets.size()); }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void render();

  const PrintSource& source_;
  poster::Layout layout_;
  QPageLayout page_;
  QImage rendered_;  // the view as last drawn, until the sheets or the size change
};
