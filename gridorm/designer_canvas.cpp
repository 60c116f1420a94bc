// The designer window's canvas: its size, the temp-store panel with the
// snapshots, clearing, the background colour and saving.
#include "gridorm/table_designer.h"

#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>

#include "common/colour_swatch.h"
#include "common/picture_box.h"
#include "gridorm/bitmap_file.h"
#include "gridorm/designer_layout.h"
#include "gridorm/image_control.h"

void Form1::HScroll1_Change() {
  resizeCanvas({designer_layout::pixels(HScroll1->value()), Picture1->height()});
  Label22->setText(QString::number(HScroll1->value()));
}

void Form1::HScroll2_Change() {
  resizeCanvas({Picture1->width(), designer_layout::pixels(HScroll2->value())});
  Label23->setText(QString::number(HScroll2->value()));
}

void Form1::resizeCanvas(QSize size) {
  // A narrower canvas only hides what lies beyond its edge: the drawing is
  // kept whole until the canvas is cleared, and comes back as it widens.
  // Saving and snapshots still read the visible canvas alone. What the canvas
  // never showed stays transparent in the reserve.
  const QImage visible = Picture1->Image();
  const QSize kept = reserve_.size().expandedTo(visible.size());
  if (reserve_.size() != kept) {
    QImage larger(kept, QImage::Format_ARGB32_Premultiplied);
    larger.fill(Qt::transparent);
    QPainter(&larger).drawImage(0, 0, reserve_);
    reserve_ = larger;
  }
  QPainter(&reserve_).drawImage(0, 0, visible);
  Picture1->resize(size);
  if (!visible.rect().contains(QRect(QPoint(0, 0), Picture1->Image().size())))
    Picture1->PaintPicture(reserve_, 0, 0);
}

void Form1::forgetHiddenDrawing() { reserve_ = QImage(); }

void Form1::Command12_Click() {
  Frame2->show();
  Frame2->raise();
  Form_Paint();
}

void Form1::Image1_Click(int slot) {
  snapshots_.store(slot, Picture1->Image());
  showSnapshot(slot);
}

void Form1::showSnapshot(int slot) {
  if (const auto picture = snapshots_.picture(slot)) Image1[slot]->setPicture(*picture);
}

void Form1::Command13_Click(int slot) {
  // A slot never stored has nothing to give back; the canvas stays as it is.
  if (const auto picture = snapshots_.picture(slot)) {
    Picture1->setPicture(*picture);
    forgetHiddenDrawing();
  }
}

void Form1::Command3_Click() {
  Picture1->Cls();
  Picture1->setPicture(QImage());
  forgetHiddenDrawing();
}

void Form1::Command11_Click() {
  CommonDialog1.Color = Label4->BackColor();
  // The drawing goes; a background picture, such as a restored snapshot, stays.
  if (!CommonDialog1.ShowColor(this)) return;
  Picture1->setBackColor(CommonDialog1.Color);
  forgetHiddenDrawing();
}

void Form1::Command4_Click() {
  CommonDialog1.Filter = tr("Bitmap(*.bmp)|*.bmp|All files(*.*)|*.*");
  if (!CommonDialog1.ShowSave(this) || CommonDialog1.FileName.isEmpty()) return;
  const QString failure = writeBitmap(Picture1->Image(), CommonDialog1.FileName);
  if (!failure.isEmpty()) MsgBox(this, failure, tr("错误"), MessageRequest::Icon::Critical);
}
