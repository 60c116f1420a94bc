// The pointer over the canvas: dragging, stamping, readouts and guides.
#include <QCheckBox>
#include <QFrame>
#include <QLabel>

#include "common/colour_swatch.h"
#include "common/cursor_override.h"
#include "common/dialogs.h"
#include "common/drag_window.h"
#include "common/numbers.h"
#include "common/picture_box.h"
#include "common/surface.h"
#include "glyphant/glyphant_window.h"
#include "glyphant/window_style.h"

void Form1::pic1_MouseDown(double x, double y) {
  // The stamp lands where the button went down, wherever the canvas was
  // dragged meanwhile.
  DragWindow(pic1);
  if (Check2->isChecked()) stampAt(x, y);
}

void Form1::stampAt(double x, double y) {
  const cursor_override::BusyScope busy;
  // Read in place: the record keeps the same pixels for a stamp stamped again.
  const QImage stamp = Picture1->Image();
  const Surface source = surface::view(stamp);
  const QSize size = Picture1->Picture().size();
  const QPoint at(numbers::roundHalfEven32(x), numbers::roundHalfEven32(y));
  const ColourRef mask = Label7->BackColor();
  surface::transparentBlt(*pic1->hDC(), at.x(), at.y(), size.width(), size.height(), source, 0, 0,
                          size.width(), size.height(), mask);
  // A system colour is no pixel value: nothing is left out.
  Drawings.addStamp(
      stamp.size() == size ? stamp : stamp.copy(QRect(QPoint(0, 0), size)), at,
      (mask & colour::kSystemFlag) != 0 ? std::nullopt : std::optional(colour::toPixel(mask)));
  pic1->Refresh();
  refreshThumbnail();
  History.recordStamp(pic1->Image(), Drawings);
}

void Form1::pic1_MouseMove(double x, double y) {
  Label5->setText(tr("宽x=") + QString::number(numbers::roundHalfEven(x)));
  Label6->setText(tr("高y=") + QString::number(numbers::roundHalfEven(y)));
  const bool guides = Check1->isChecked();
  pic1->setOverlayLine(Line2,
                       {QLineF(0, y, pic1->ScaleWidth(), y), window_style::kGuideColour, guides});
  pic1->setOverlayLine(Line1,
                       {QLineF(x, 0, x, pic1->ScaleHeight()), window_style::kGuideColour, guides});
  if (guides) {
    setWindowTitle(QString::fromLatin1(window_style::kGuideCaption) +
                   QString(10, QLatin1Char(' ')) + numbers::shortestFloatText(float(x)) +
                   QLatin1Char('|') + numbers::shortestFloatText(float(y)));
  }
  // A canvas dragged over the panel never covers it.
  Frame1->raise();
}

void Form1::Command11_Click() {
  choosePicture([this](const QImage& picture) { Picture1->setPicture(picture); });
}
