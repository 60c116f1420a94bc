// The pointer over the canvas: dragging, stamping, readouts and guides.
#include <QCheckBox>
#include <QFrame>
#include <QLabel>

#include "common/background_job.h"
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
  canvas_work::StampInput input;
  input.canvas = pic1->Image();
  input.stamp = Picture1->Image();
  input.size = Picture1->Picture().size();
  input.at = QPoint(numbers::roundHalfEven32(x), numbers::roundHalfEven32(y));
  input.mask = Label7->BackColor();
  // A system colour is no pixel value: the record leaves nothing out.
  if ((input.mask & colour::kSystemFlag) == 0) input.recordMask = colour::toPixel(input.mask);
  input.drawings = Drawings;
  input.history = History;
  drawOnCanvas(
      tr("正在贴图……"),
      [input = std::move(input)](JobTracking& tracking) mutable {
        return canvas_work::stamp(std::move(input), tracking);
      },
      std::nullopt, [] {});
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
